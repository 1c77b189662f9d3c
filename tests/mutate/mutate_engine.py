#!/usr/bin/env python3
"""Runs korava on mutated copies of the models under tests/models/ and examples/.

Each run copies one model folder, mutates one to three of its files (bytes,
lines, line ends, and fields replaced by hostile values: huge and tiny numbers,
names that leave the folder, quotes, long texts) and runs korava on it under a
time limit, as an unprivileged user and under strace. A run fails when korava
crashes, hangs, reports a sanitizer finding, ends with an exit code other than
0, 2 or 4, or creates, changes or removes any file outside the output folder
that its run file names. Failing runs are kept with their outputs.

With --mode edges each run instead generates a model of input pools, service
pools that serve each other (mostly with option 11) and final pools, with
amounts, measures and divisors near the limits of a double now and then, and
reports 21 to 24 and 41 (some 12 and 15) named after links, hard links,
folders and a FIFO planted in and beside the output folder, names with `..`,
NUL bytes or absolute paths, and the run's own inputs and logs. Besides the
checks above (leaks included: there is no strace), a run fails when anything
outside the output folder, a planted entry or an input changes (contents,
inode or link count), a `.korava-*.tmp` file is left, a report or log holds
inf or nan as a figure, or a chart page's SVG is not well-formed XML. One run
in ten gets SIGINT or SIGTERM once its log exists; it may then also end with
130 or 143, with "Run interrupted" as the log's last line. It runs as nobody
when started as root, else as the caller.

    tests/mutate/mutate_engine.py KORAVA [--mode models|edges] [--runs N] [--seed S]
                                         [--only RUN] [--timeout SECONDS] [--keep FOLDER]

Use a build with the sanitizers (build-sanitize/bin/korava). The models mode
needs root (to run korava as nobody) and strace. Prints one line per failing
run and a summary; exits 1 when any run failed. The same seed repeats the same
mutations; --only repeats one run of it.
"""
import argparse
import hashlib
import os
import random
import re
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree

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


# --mode edges: generated models aimed at the output folder's guards and at
# figures near the limits of a double.

# Amounts, measures and divisors at the edges of a double: the largest, its
# negative, huge pairs that cancel or overflow when added, the smallest
# normal and denormal numbers.
EXTREME = [
    "1e308", "-1e308", "1.7976931348623157e308", "-1.7976931348623157e308", "8.98846567431158e307",
    "1e307", "2.2250738585072014e-308", "4.9e-324", "-4.9e-324", "1e-310", "0", "-1",
]

TEMPORARY = re.compile(r"^\.korava-\d+-\d+\.tmp$")
NOT_FINITE_FIELD = re.compile(r'(?i)(^|,)\s*"?[-+]?(inf(inity)?|nan)%?"?\s*(,|$)')
NOT_FINITE_WORD = re.compile(r"(?i)(?<![\w.])[-+]?(inf(inity)?|nan)(?!\w)")
SVG_PART = re.compile(rb"<svg\b.*?</svg>", re.S)


def edge_amount(rng, rate):
    return rng.choice(EXTREME) if rng.random() < rate else "%.2f" % rng.uniform(-50, 1000)


def edge_measure(rng, rate):
    return rng.choice(EXTREME) if rng.random() < rate else str(rng.randint(1, 100))


def edge_model(rng):
    """The files of a generated model: input pools feeding service pools that
    mostly serve each other (option 11), final pools, extreme amounts and
    measures here and there. Returns {name: text} and a one-line summary."""
    accounts = ["A%d" % i for i in range(1, rng.randint(2, 4) + 1)]
    inputs = ["I%d" % i for i in range(1, rng.randint(1, 3) + 1)]
    services = ["P%d" % i for i in range(1, rng.randint(2, 11) + 1)]
    finals = ["F%d" % i for i in range(1, rng.randint(1, 3) + 1)]
    reciprocal = rng.random() < 0.85
    # The share of amounts and measures taken from EXTREME: none in a case
    # that tries the loops and trace reports alone.
    rate = rng.choice((0, 0.03, 0.15, 0.4))
    lines = ["OO,0,Generated loop of %d pools" % len(services)]
    if reciprocal:
        lines.append("OO,11,")
    lines += [o for o in ("OO,5,", "OO,7,") if rng.random() < 0.2]
    lines += ["DIMH,1,Account", "STG,S1,Inputs,1", "STG,S2,Services,2", "STG,S3,Products,3",
              "CPG,G1,Inputs,S1,10", "CPGS,G1,All,,,*", "CPG,G2,Services,S2,20",
              "CPG,G3,Products,S3,30"]
    for i, pool in enumerate(inputs):
        lines.append("CP,%s,Input %d,G1,B%s" % (pool, i + 1, pool))
        account = "*" if pool == inputs[-1] else accounts[i % len(accounts)]
        lines.append("CPS,%s,Accounts,,,%s" % (pool, account))
    lines += ["CP,%s,Service %s,G2,B%s" % (pool, pool[1:], pool) for pool in services]
    lines += ["CP,%s,Product %s,G3" % (pool, pool[1:]) for pool in finals]
    named = []
    for pool in inputs + services:
        targets = rng.sample(services, rng.randint(1, min(3, len(services))))
        if pool in services:
            density = rng.uniform(0.3, 1.0)
            targets = [s for s in services if s != pool and rng.random() < density]
            if rng.random() < 0.2:
                targets.append(pool)
            if rng.random() < 0.9:
                targets += rng.sample(finals, rng.randint(1, len(finals)))
        lines.append("AB,B%s,Base of %s" % (pool, pool))
        for target in targets or [rng.choice(finals)]:
            kind = rng.choices("CNI", weights=(8, 2, 1))[0]
            if kind == "C":
                measure = edge_measure(rng, rate)
            elif kind == "N":
                measure = "NM%d" % (len(named) + 1)
                named.append(measure)
            else:
                measure = "IM1"
            lines.append("ABL,B%s,To %s,%s,%s,%s" % (pool, target, kind, measure, target))
    for measure in named:
        divisor = "," + rng.choice(EXTREME[:8]) if rng.random() < rate else ""
        value = edge_measure(rng, rate)
        lines.append("NM,%s,Measure %s,%s%s" % (measure, measure[2:], value, divisor))
        if rng.random() < 0.3:
            lines.append("NMV,%s,%s" % (measure, edge_measure(rng, rate)))
    lines += ["IM,IM1,Transactions of %s,T" % accounts[0], "IMS,IM1,Account,,,%s" % accounts[0]]
    transactions = ["%s,%s" % (edge_amount(rng, rate), rng.choice(accounts))
                    for _ in range(rng.randint(1, 12))]
    if rng.random() < rate * 2:
        huge = rng.choice(EXTREME[:6])
        account = rng.choice(accounts)
        cancel = huge[1:] if huge.startswith("-") else "-" + huge
        transactions += ["%s,%s" % (huge, account), "%s,%s" % (rng.choice((huge, cancel)), account)]
    files = {
        "model.csv": "\n".join(lines) + "\n",
        "accounts.csv": "".join("%s,Account %s\n" % (a, a[1:]) for a in accounts),
        "transactions.csv": "\n".join(transactions) + "\n",
    }
    summary = "%d service pools%s, %d transactions, extremes %.0f%%" % (
        len(services), " with option 11" if reciprocal else "", len(transactions), rate * 100)
    return files, summary


def plant_victims(out, outside, model, inputs):
    """Files, links and folders in and beside the output folder that no
    report may write through or over, `inputs` being the names of the run's
    files in the model folder. Returns the report names that reach them and
    the paths whose contents must survive."""
    os.makedirs(os.path.join(outside, "folder"), exist_ok=True)
    for name in ("victim.csv", "hard.csv", "victim.html"):
        with open(os.path.join(outside, name), "w") as f:
            f.write("victim %s\n" % name)
    os.makedirs(os.path.join(out, "sub"), exist_ok=True)
    os.makedirs(os.path.join(out, "folder.csv"), exist_ok=True)
    for name in ("existing.csv", "inner.csv", "hardin.csv"):
        with open(os.path.join(out, name), "w") as f:
            f.write("%s\n" % name)
    links = {
        "link.csv": os.path.relpath(os.path.join(outside, "victim.csv"), out),
        "link.html": os.path.relpath(os.path.join(outside, "victim.html"), out),
        "abslink.csv": os.path.join(outside, "victim.csv"),
        "dangling.csv": os.path.relpath(os.path.join(outside, "created.csv"), out),
        "innerlink.csv": "inner.csv",
        "input.csv": os.path.relpath(os.path.join(model, "model.csv"), out),
        "dirlink": os.path.relpath(outside, out),
        "dirin": "sub",
        "sub/up": os.path.relpath(outside, os.path.join(out, "sub")),
        "sub/self": "..",
        "sub/loop": "loop",
    }
    for name, target in links.items():
        os.symlink(target, os.path.join(out, name))
    os.link(os.path.join(outside, "hard.csv"), os.path.join(out, "hard.csv"))
    os.link(os.path.join(out, "hardin.csv"), os.path.join(out, "hardin2.csv"))
    os.link(os.path.join(model, "transactions.csv"), os.path.join(out, "inhard.csv"))
    os.mkfifo(os.path.join(out, "fifo.csv"))
    relative_inputs = [os.path.relpath(os.path.join(model, n), out) for n in inputs]
    names = list(links) + [
        "hard.csv", "hardin.csv", "inhard.csv", "fifo.csv", "folder.csv", "existing.csv",
        "sub/x.csv", "dirlink/x.csv", "dirlink/victim.csv", "dirlink/folder/x.csv", "dirin/x.csv",
        "sub/up/victim.csv", "sub/self/x.csv", "sub/self/link.csv", "sub/loop/x.csv",
        "dirlink\\victim.csv", "..\\x.csv", "../x.csv", "sub/../../x.csv", "./z.csv", "sub//y.csv",
        "sub/", ".", "..", "/", os.path.join(outside, "victim.csv"), os.path.join(out, "abs.csv"),
        "a\0b.csv", "\0", "x.csv\0../../victim", ".Job.csv", ".JobandTrace.csv", ".Job", "35.csv",
        "35", "A" * 300, "sub/" + "B" * 256 + ".csv", "run", "model", "reports", "transactions",
        "accounts.csv", "./model.csv", "sub/../model.csv", "later", '"q,uote.csv"', '"link.csv"',
    ] + relative_inputs
    protected = [os.path.join(model, n) for n in inputs] + [os.path.join(out, "inner.csv")]
    return names, protected


def plant_log_victims(rng, out, outside):
    """Now and then a log's name is taken by a link, so the run cannot start.
    Returns whether it was."""
    if rng.random() >= 0.05:
        return False
    log = os.path.join(out, rng.choice((".Job.csv", ".JobandTrace.csv")))
    if rng.random() < 0.5:
        os.symlink(os.path.relpath(os.path.join(outside, "victim.csv"), out), log)
    else:
        os.link(os.path.join(outside, "victim.csv"), log)
    return True


def edge_reports(rng, names):
    """REP records for the flow reports and the chart, named after planted
    victims, inputs, or plainly."""
    records = []
    for _ in range(rng.randint(3, 9)):
        number = rng.choice((21, 22, 23, 24, 41, 21, 22, 23, 24, 41, 12, 15))
        roll = rng.random()
        name = rng.choice(names) if roll < 0.6 else "" if roll < 0.8 else "r%d" % len(records)
        fields = ["REP", str(number), name, "", "", ""]
        if number in (23, 24) and rng.random() < 0.3:
            fields[5] = "P%d" % rng.randint(1, 3)
        if number in (23, 24):
            fields += ["-" if rng.random() < 0.3 else "", "-" if rng.random() < 0.3 else "",
                       "", "+" if rng.random() < 0.3 else ""]
        records.append(",".join(fields))
    return records


def snapshot(top):
    """Every entry below top, links not followed: kind, contents or link
    target, inode and link count."""
    entries = {}
    for dirpath, dirnames, filenames in os.walk(top):
        for name in dirnames + filenames:
            path = os.path.join(dirpath, name)
            status = os.lstat(path)
            if stat.S_ISLNK(status.st_mode):
                what = ("link", os.readlink(path))
            elif stat.S_ISREG(status.st_mode):
                with open(path, "rb") as f:
                    what = ("file", hashlib.sha1(f.read()).hexdigest())
            else:
                what = ("other", stat.S_IFMT(status.st_mode))
            entries[path] = (what, status.st_ino, status.st_nlink)
    return entries


def inside(path, folder):
    return path.startswith(folder.rstrip("/") + "/")


def tree_problems(before, after, out, protected, killed):
    """Changes the run must not make: to anything outside the output folder,
    to planted links, folders, hard links and protected files inside it, and
    temporary files left behind (unless the run was killed)."""
    problems = []
    for path, entry in sorted(before.items()):
        replaceable = (inside(path, out) and entry[0][0] == "file" and entry[2] == 1 and
                       path not in protected)
        if path not in after:
            problems.append("removed " + path)
        elif after[path] != entry and not replaceable:
            problems.append("changed " + path)
    for path in sorted(after.keys() - before.keys()):
        if path in protected:
            problems.append("created an input of the run: " + path)
        elif not inside(path, out):
            problems.append("created outside the output folder: " + path)
        elif TEMPORARY.match(os.path.basename(path)) and not killed:
            problems.append("left a temporary file: " + path)
    return problems


def output_problems(path):
    """inf or nan written as a figure; a chart page whose SVG is not well-formed XML."""
    with open(path, "rb") as f:
        data = f.read()
    problems = []
    if path.endswith(".html"):
        for svg in SVG_PART.findall(data):
            try:
                tree = xml.etree.ElementTree.fromstring(svg)
            except xml.etree.ElementTree.ParseError as error:
                problems.append("SVG not well-formed (%s): %s" % (error, path))
                continue
            for element in tree.iter():
                texts = list(element.attrib.values()) + [element.text or "", element.tail or ""]
                if any(NOT_FINITE_WORD.search(text) for text in texts):
                    problems.append("inf or nan in the chart: " + path)
                    break
        cells = SVG_PART.sub(b"", data).decode("utf-8", "replace")
        if re.search(r"(?i)>\s*[-+]?(inf(inity)?|nan)%?\s*<", cells):
            problems.append("inf or nan in the chart's tables: " + path)
    else:
        text = data.decode("latin-1")
        if any(NOT_FINITE_FIELD.search(line) for line in text.split("\n")):
            problems.append("inf or nan as a figure: " + path)
    return problems


def run_edge_case(korava, rng, work, timeout):
    model = os.path.join(work, "model")
    outside = os.path.join(work, "outside")
    cwd = os.path.join(work, "cwd")
    for folder in (model, outside, cwd):
        os.makedirs(folder)
    files, summary = edge_model(rng)
    # The output folder is a folder of its own, or the model folder itself
    # so that reports can name the run's inputs without leaving it.
    same = rng.random() < 0.25
    out = model if same else os.path.join(model, "out")
    odir = rng.choice((".", "./", model)) if same else rng.choice(("./out", "./out/", out))
    for name, text in files.items():
        with open(os.path.join(model, name), "w") as f:
            f.write(text)
    inputs = ["run.csv", "model.csv", "accounts.csv", "transactions.csv", "reports.csv"]
    run_file = ["$ODIR,,%s" % odir, "$IDIR,,.", "$FILE,MODEL,model.csv", "$FILE,DIM1,accounts.csv",
                "$FILE,TX,transactions.csv", "$FILE,MODEL,reports.csv"]
    # Now and then a transaction file that the run file names after the
    # reports and that does not exist: no report may create it.
    if rng.random() < 0.3:
        inputs.append("later.csv")
        run_file.append("$FILE,TX,later.csv")
    with open(os.path.join(model, "run.csv"), "w") as f:
        f.write("\n".join(run_file) + "\n")
    names, protected = plant_victims(out, outside, model, inputs)
    with open(os.path.join(model, "reports.csv"), "w", newline="") as f:
        f.write("\n".join(edge_reports(rng, names)) + "\n")
    logs_taken = plant_log_victims(rng, out, outside)
    command = [korava, os.path.join(model, "run.csv")]
    if os.geteuid() == 0:
        subprocess.run(["chown", "-R", "nobody:nogroup", work], check=True)
        command = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] + command
    before = snapshot(work)
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=1", UBSAN_OPTIONS="print_stacktrace=1")
    # One run in ten is interrupted once its log exists (when it can write
    # one), maybe while a report is being written.
    interrupt = rng.random() < 0.1 and not logs_taken
    stop = rng.choice((signal.SIGINT, signal.SIGTERM)) if interrupt else None
    delay = rng.uniform(0, 0.5)
    process = subprocess.Popen(command, cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE)
    problems = []
    log = os.path.join(out, ".Job.csv")
    if stop is not None:
        deadline = time.monotonic() + timeout
        while process.poll() is None and not os.path.exists(log) and time.monotonic() < deadline:
            time.sleep(0.01)
        time.sleep(delay)
        if process.poll() is None:
            process.send_signal(stop)
            summary += ", " + signal.Signals(stop).name
    hung = False
    try:
        _, stderr = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        _, stderr = process.communicate()
        hung = True
        problems.append("hang (killed after %d s)" % timeout)
    code = process.returncode
    if code in (128 + signal.SIGINT, 128 + signal.SIGTERM) and stop is not None:
        with open(log, "rb") as f:
            last = f.read().rstrip(b"\r\n").rsplit(b"\n", 1)[-1]
        if b"Run interrupted" not in last:
            problems.append("interrupted, but the log ends with: " + last.decode("latin-1"))
    elif code not in (0, 2, 4) and not problems:
        problems.append("exit code %d" % code)
    for marker in (b"AddressSanitizer", b"LeakSanitizer", b"runtime error:"):
        if marker in stderr:
            problems.append("sanitizer: " + marker.decode())
    after = snapshot(work)
    problems += tree_problems(before, after, out, protected, hung)
    for path, entry in sorted(after.items()):
        if inside(path, out) and entry[0][0] == "file" and before.get(path) != entry:
            problems += output_problems(path)
    with open(os.path.join(work, "stderr.txt"), "wb") as f:
        f.write(stderr)
    return code, problems, summary


def copy_for_nobody(korava):
    """A copy of korava that the unprivileged user can run wherever the build
    lies (a build under a private home folder is out of its reach)."""
    folder = tempfile.mkdtemp(prefix="korav-mutate-bin-")
    os.chmod(folder, 0o755)
    copy = os.path.join(folder, "korava")
    shutil.copy2(korava, copy)
    os.chmod(copy, 0o755)
    return copy


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("korava")
    parser.add_argument("--mode", choices=("models", "edges"), default="models")
    parser.add_argument("--runs", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--only", type=int, help="repeat just this run of the seed")
    parser.add_argument("--timeout", type=int, default=60)
    parser.add_argument("--keep", default=os.path.join(tempfile.gettempdir(), "korav-mutate-failures"))
    args = parser.parse_args()
    korava = os.path.abspath(args.korava)
    if args.mode == "models" and (os.geteuid() != 0 or shutil.which("strace") is None):
        sys.exit("mutate_engine: run as root with strace installed (apt-get install strace)")
    copied = os.geteuid() == 0
    if copied:
        korava = copy_for_nobody(korava)
    folders = model_folders()
    codes = {}
    failures = 0
    started = time.monotonic()
    runs = range(args.runs) if args.only is None else [args.only]
    for run in runs:
        rng = random.Random("%d-%d" % (args.seed, run))
        work = tempfile.mkdtemp(prefix="korav-mutate-")
        os.chmod(work, 0o755)
        try:
            if args.mode == "edges":
                code, problems, described = run_edge_case(korava, rng, work, args.timeout)
            else:
                code, problems, described = run_once(korava, rng, folders, work, args.timeout)
            codes[code] = codes.get(code, 0) + 1
            if problems:
                failures += 1
                kept = os.path.join(args.keep, "run-%d-%d" % (args.seed, run))
                shutil.rmtree(kept, ignore_errors=True)
                try:
                    shutil.copytree(work, kept, symlinks=True)
                except shutil.Error:
                    pass  # a FIFO is not copied; --only repeats the run exactly
                print("run %d (%s): %s; kept in %s" % (run, described, "; ".join(problems), kept),
                      flush=True)
        finally:
            shutil.rmtree(work, ignore_errors=True)
    print("%d runs, %d failed; exit codes %s; %.0f s" % (
        len(runs), failures, ", ".join("%d: %d" % item for item in sorted(codes.items())),
        time.monotonic() - started))
    if copied:
        shutil.rmtree(os.path.dirname(korava), ignore_errors=True)
    sys.exit(1 if failures else 0)

if __name__ == "__main__":
    main()
