#!/usr/bin/env python3
"""Runs korava on mutated copies of the models under tests/models/ and examples/.

Each run copies one model folder, mutates one to three of its files (bytes,
lines, line ends, and fields replaced by hostile values: huge and tiny numbers,
names that leave the folder, quotes, long texts) and runs korava on it under a
time limit, as an unprivileged user and under strace. A run fails when korava
crashes, hangs, reports a sanitizer finding, ends with an exit code other than
0, 2 or 4, or creates, changes or removes any file outside the output folder
that its run file names. Failing runs are kept with their outputs.

    tests/mutate/mutate_engine.py KORAVA [--runs N] [--seed S] [--timeout SECONDS]
                                         [--keep FOLDER]

Use a build with the sanitizers (build-sanitize/bin/korava). Needs root (to
run korava as nobody) and strace. Prints one line per failing run and a summary;
exits 1 when any run failed. The same seed repeats the same mutations.
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

HOSTILE = [
    b"", b"0", b"-1", b"1e70", b"-1e70", b"1e308", b"-1e308", b"1e-320", b"4.9e-324",
    b"nan", b"inf", b"-inf", b"0x1p1023", b"99999999999999999999", b"2147483648",
    b"-2147483649", b"1,5", b"1.5.5", b" 12", b"12 ", b"+", b"-", b"*", b"%", b">", b">X",
    b"../escape", b"../../escape", b"/tmp/korav-mutate-escape", b"a:b", b"..\\escape",
    b"sub/dir/x", b".", b"..", b"$USERNAME", b'"', b'""', b'"a,b"', b'"a"b', b";", b"\t",
    b"\x00", b"\xff\xfe", b"REP", b"CP", b"DIMH", b"TXH", b"CPY", b"STG", b"1", b"2", b"3",
    b"4", b"8", b"9", b"11", b"26", b"35.csv", b".Job.csv", b".JobandTrace.csv",
    b"A" * 300, b"B" * 70000,
]


def lines_of(data):
    return data.split(b"\n")


def mutate_bytes(rng, data):
    if not data:
        return bytes([rng.randrange(256)])
    data = bytearray(data)
    choice = rng.randrange(4)
    pos = rng.randrange(len(data))
    if choice == 0:
        data[pos] ^= 1 << rng.randrange(8)
    elif choice == 1:
        data[pos] = rng.choice(b',"/\\.;:\r\n 0123456789-+*%>$')
    elif choice == 2:
        data[pos:pos] = bytes(rng.randrange(256) for _ in range(rng.randint(1, 8)))
    else:
        del data[pos:pos + rng.randint(1, 16)]
    return bytes(data)


def mutate_lines(rng, data, donors):
    lines = lines_of(data)
    choice = rng.randrange(6)
    i = rng.randrange(len(lines))
    if choice == 0:
        lines.insert(i, lines[rng.randrange(len(lines))])
    elif choice == 1 and len(lines) > 1:
        del lines[i]
    elif choice == 2:
        j = rng.randrange(len(lines))
        lines[i], lines[j] = lines[j], lines[i]
    elif choice == 3 and donors:
        donor = lines_of(rng.choice(donors))
        lines.insert(i, donor[rng.randrange(len(donor))])
    elif choice == 4:
        lines = lines[:i]
    else:
        lines.insert(i, lines[i] * rng.randint(2, 50))
    return b"\n".join(lines)


def mutate_field(rng, data):
    lines = lines_of(data)
    i = rng.randrange(len(lines))
    fields = lines[i].split(b",")
    j = rng.randrange(len(fields) + 2)
    while len(fields) <= j:
        fields.append(b"")
    fields[j] = rng.choice(HOSTILE)
    lines[i] = b",".join(fields)
    return b"\n".join(lines)


def mutate_ends(rng, data):
    choice = rng.randrange(3)
    if choice == 0:
        return data.replace(b"\n", b"\r")
    if choice == 1:
        return data.replace(b"\n", b"\r\n")
    return data.rstrip(b"\r\n") + b"," + b"x" * rng.randint(1, 3_000_000)


def mutate_file(rng, data, donors):
    for _ in range(rng.randint(1, 4)):
        kind = rng.choices(range(4), weights=(3, 3, 5, 1))[0]
        if kind == 0:
            data = mutate_bytes(rng, data)
        elif kind == 1:
            data = mutate_lines(rng, data, donors)
        elif kind == 2:
            data = mutate_field(rng, data)
        else:
            data = mutate_ends(rng, data)
    return data


def model_folders():
    folders = []
    for parent in ("tests/models", "examples"):
        base = os.path.join(ROOT, parent)
        for name in sorted(os.listdir(base)):
            if os.path.isfile(os.path.join(base, name, "run.csv")):
                folders.append(os.path.join(base, name))
    return folders


def copy_model(source, target):
    shutil.copytree(source, target, ignore=shutil.ignore_patterns("expected"))
    for dirpath, dirnames, filenames in os.walk(target):
        if os.path.basename(dirpath) == "out":
            for name in filenames:
                os.remove(os.path.join(dirpath, name))


def data_files(folder):
    files = []
    for dirpath, _, filenames in os.walk(folder):
        if os.path.basename(dirpath) == "out":
            continue
        files += [os.path.join(dirpath, name) for name in filenames]
    return sorted(files)


WRITE_CALL = re.compile(
    rb'^(\d+) +(open|openat|creat|mkdir|mkdirat|rename|renameat|renameat2|unlink|unlinkat|'
    rb'link|linkat|symlink|symlinkat|truncate|rmdir)\((.*)$')
PATH_ARG = re.compile(rb'"((?:[^"\\]|\\.)*)"')


def unescape(text):
    return text.decode("unicode_escape").encode("latin-1")


def written_paths(trace, cwd):
    """The paths that the traced process created, changed or removed, or tried to."""
    paths = []
    for line in trace.split(b"\n"):
        match = WRITE_CALL.match(line)
        if not match:
            continue
        call, args = match.group(2), match.group(3)
        if call in (b"open", b"openat") and not re.search(rb"O_WRONLY|O_RDWR|O_CREAT|O_TRUNC", args):
            continue
        for raw in PATH_ARG.findall(args):
            path = unescape(raw)
            paths.append(os.path.normpath(os.path.join(cwd.encode(), path)))
    return paths


def output_folder(paths):
    for path in paths:
        if os.path.basename(path) == b".JobandTrace.csv":
            return os.path.dirname(path)
    return None


def run_once(korava, rng, folders, work, timeout):
    source = rng.choice(folders)
    model = os.path.join(work, "model")
    copy_model(source, model)
    files = data_files(model)
    donors = [open(f, "rb").read() for f in files]
    chosen = rng.sample(files, rng.randint(1, min(3, len(files))))
    for path in chosen:
        with open(path, "rb") as f:
            data = f.read()
        with open(path, "wb") as f:
            f.write(mutate_file(rng, data, donors))
    cwd = os.path.join(work, "cwd")
    os.makedirs(cwd)
    subprocess.run(["chown", "-R", "nobody:nogroup", work], check=True)
    trace_file = os.path.join(work, "trace.txt")
    # Leak checking cannot work under strace's ptrace; the fuzz targets check leaks.
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0", UBSAN_OPTIONS="print_stacktrace=1")
    command = ["timeout", "-s", "KILL", str(timeout), "strace", "-f", "-qq", "-o", trace_file,
               "-e", "trace=%file", "setpriv", "--reuid=nobody", "--regid=nogroup",
               "--clear-groups", korava, os.path.join(model, "run.csv")]
    result = subprocess.run(command, cwd=cwd, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    problems = []
    if result.returncode in (124, 137, -9):
        problems.append("hang (killed after %d s)" % timeout)
    elif result.returncode not in (0, 2, 4):
        problems.append("exit code %d" % result.returncode)
    for marker in (b"AddressSanitizer", b"LeakSanitizer", b"runtime error:"):
        if marker in result.stderr:
            problems.append("sanitizer: " + marker.decode())
    with open(trace_file, "rb") as f:
        written = written_paths(f.read(), cwd)
    written = [p for p in written if not p.startswith(b"/dev/")]
    out = output_folder(written)
    for path in written:
        # An attempt on the output folder itself (a report named ".") writes nothing.
        if out is None or not (path == out or path.startswith(out + b"/")):
            problems.append("wrote outside the output folder: " + path.decode("latin-1"))
            break
    with open(os.path.join(work, "stderr.txt"), "wb") as f:
        f.write(result.stderr)
    described = "%s, mutated %s" % (os.path.relpath(source, ROOT),
                                    " ".join(os.path.relpath(p, model) for p in chosen))
    return result.returncode, problems, described


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("korava")
    parser.add_argument("--runs", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--timeout", type=int, default=60)
    parser.add_argument("--keep", default=os.path.join(tempfile.gettempdir(), "korav-mutate-failures"))
    args = parser.parse_args()
    korava = os.path.abspath(args.korava)
    if os.geteuid() != 0 or shutil.which("strace") is None:
        sys.exit("mutate_engine: run as root with strace installed (apt-get install strace)")
    folders = model_folders()
    codes = {}
    failures = 0
    for run in range(args.runs):
        rng = random.Random("%d-%d" % (args.seed, run))
        work = tempfile.mkdtemp(prefix="korav-mutate-")
        os.chmod(work, 0o755)
        try:
            code, problems, described = run_once(korava, rng, folders, work, args.timeout)
            codes[code] = codes.get(code, 0) + 1
            if problems:
                failures += 1
                kept = os.path.join(args.keep, "run-%d-%d" % (args.seed, run))
                shutil.rmtree(kept, ignore_errors=True)
                shutil.copytree(work, kept, symlinks=True)
                print("run %d (%s): %s; kept in %s" % (run, described, "; ".join(problems), kept),
                      flush=True)
        finally:
            shutil.rmtree(work, ignore_errors=True)
    print("%d runs, %d failed; exit codes %s" % (
        args.runs, failures, ", ".join("%d: %d" % item for item in sorted(codes.items()))))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
