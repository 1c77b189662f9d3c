#!/usr/bin/env bash
# The run manifest out/.Run.json, read with Python's json module:
# 1. A run of the demo with a run label and one transaction of an unknown
#    code (e204, exit code 4): the manifest carries the exit code korava
#    ended with, the label, the message counts of the job log, every file
#    the run read (the run file and each $FILE) and every report in the
#    output folder, each with the size, line count and SHA-256 that stat,
#    the file itself and sha256sum give, and no file outside the model's
#    folder.
# (An interrupted run's manifest is tried in stop_and_failure.sh.)
# Skipped (exit 77) where no python3 is installed.
#
#   run_manifest.sh KORAVA DEMO_DIR
set -euo pipefail
korava=$(realpath "$1")
demo=$(realpath "$2")
command -v python3 >/dev/null || { echo "SKIPPED: no python3 to read the manifest"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$demo"/. "$work"/
rm -rf "$work/out"
mkdir "$work/out"
cd "$work"
printf '99.50,SAL,NOPE\r\n' >>transactions.csv

set +e
"$korava" --quiet run.csv 2>stderr
code=$?
set -e

python3 - "$work" "$code" <<'PY'
import json, os, subprocess, sys

work, code = sys.argv[1], int(sys.argv[2])
os.chdir(work)
manifest = json.load(open("out/.Run.json", encoding="utf-8"))

def fail(message):
    sys.exit("FAIL: " + message)

def sha256sum(path):
    return subprocess.run(["sha256sum", path], check=True, capture_output=True,
                          text=True).stdout.split()[0]

def check_file(entry, path):
    if not path.startswith(work + "/"):
        fail(f"{path} lies outside the model's folder")
    if entry["size"] != os.path.getsize(path):
        fail(f"{path}: size {entry['size']}, the file has {os.path.getsize(path)}")
    if entry["sha256"] != sha256sum(path):
        fail(f"{path}: SHA-256 {entry['sha256']}, sha256sum says {sha256sum(path)}")

if code != 4 or manifest["exit_code"] != code:
    fail(f"exit code {code}, manifest {manifest['exit_code']}, expected 4 in both")
if manifest["status"] != "complete" or manifest["run_label"] != "2026-11 Actual":
    fail(f"status {manifest['status']!r}, label {manifest['run_label']!r}")
if manifest["run_file"]["absolute_path"] != os.path.join(work, "run.csv"):
    fail(f"run file {manifest['run_file']}")

# Inputs: the run file and every $FILE, each once.
named = [line.split(",")[1:3] for line in open("run.csv").read().splitlines()
         if line.startswith("$FILE")]
inputs = manifest["inputs"]
expected = [["RUN", "run.csv"]] + named
if sorted([i["kind"], i["path"]] for i in inputs) != sorted(expected):
    fail(f"inputs {[[i['kind'], i['path']] for i in inputs]}, expected {expected}")
for entry in inputs:
    path = entry["absolute_path"]
    check_file(entry, path)
    with open(path, "rb") as data:
        lines = data.read().count(b"\n")
    if entry["lines"] != lines:
        fail(f"{path}: {entry['lines']} lines, the file has {lines}")

# Reports: every file in out/ but the logs and the manifest.
reports = manifest["reports"]
written = sorted(name for name in os.listdir("out") if not name.startswith("."))
if sorted(r["file"] for r in reports) != written:
    fail(f"reports {[r['file'] for r in reports]}, out/ holds {written}")
for report in reports:
    check_file(report, os.path.realpath(os.path.join("out", report["file"])))
    if not report["file"].startswith(str(report["number"])):
        fail(f"report {report['number']} in {report['file']}")

# The job log's error lines, by number.
errors = [line for line in open("out/.Job.csv").read().splitlines() if line.startswith("  >>>>,,")]
messages = manifest["messages"]
if messages["errors"] != len(errors) or messages["by_message"].get("e204") != 1:
    fail(f"messages {messages}, the log has {len(errors)} error lines")
options = {o["number"]: o for o in manifest["options"]}
if options[12]["name"] != "Run Label" or options[12]["text"] != "2026-11 Actual":
    fail(f"option 12: {options.get(12)}")
PY

echo "the manifest lists what the run read and wrote, as it ended"
