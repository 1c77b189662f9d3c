#!/usr/bin/env bash
# The Results Export (36) of the demo, read as other programs read it, with
# Python's csv module in its strict mode. The demo runs with a run label,
# a product whose description holds a comma ("Bread, fresh"), an activity
# whose description holds a double quote (Packing 12" boxes), and one more
# transaction of 12.345678 under a new account that no pool selects, which
# the group's generated not-selected pool keeps as a cell of its own. Checks:
#   headers    both files begin with their header row, exactly
#   rfc4180    every line ends in CR LF, every row has the header's fields
#              and the texts read back as the model holds them
#   cells      the cells added up per pool give every pool value of report
#              15 to the cent (a pool without cells shows 0.00)
#   flows      each flow row is its base line's amount in report 15 (the
#              line's position in its base), and each sender's rows add up
#              to what the Stage Report (12) says it allocated
#   precision  the 12.345678 reads back as that number, and Baking's line
#              to bread carries 430/605 of its 62,062.50 (300/400 of the
#              premises' 14,000.00 and 12/16 of the personnel's 68,750.00),
#              a proportion and an amount that are no whole number of cents
#   manifest   the run manifest lists both files as report 36
# Skipped (exit 77) where no python3 is installed.
#
#   results_export.sh KORAVA DEMO_DIR
set -euo pipefail
korava=$(realpath "$1")
demo=$(realpath "$2")
command -v python3 >/dev/null || { echo "SKIPPED: no python3 to read the export"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$demo"/. "$work"/
rm -rf "$work/out" && mkdir "$work/out"
cd "$work"
printf 'OO,12,2026-11 Actual\r\n' >>OO.csv
printf 'MISC,Miscellaneous,,\r\n' >>DIM1.csv
printf '12.345678,MISC,ADM\r\n' >>transactions.csv
sed -i -e 's/^CP,P.BREAD,Bread,/CP,P.BREAD,"Bread, fresh",/' \
  -e 's/^CP,A.PACK,Packing,/CP,A.PACK,Packing 12" boxes,/' CP.csv
"$korava" --quiet run.csv

python3 - <<'PY'
import csv, io, json, sys

CELLS = ("Run Label,Stage,Stage Description,Group,Group Description,Pool,Pool Description,"
         "Account,Department,Value")
FLOWS = ("Run Label,Stage,Sender,Sender Description,Base,Line,Receiver,Receiver Description,"
         "Proportion,Amount")
failures = []

def fail(message):
    failures.append(message)

def cents(figure, printed):
    """True when `figure` is the figure printed to the cent as `printed`."""
    return abs(figure - float(printed)) <= 0.005 + 1e-9 * max(1.0, abs(figure))

def table(name, header):
    raw = open("out/" + name, "rb").read()
    if raw.replace(b"\r\n", b"").count(b"\n") or raw.replace(b"\r\n", b"").count(b"\r"):
        fail(f"{name}: a line does not end in CR LF")
    rows = list(csv.reader(io.StringIO(raw.decode("utf-8"), newline=""), strict=True))
    if ",".join(rows[0]) != header or not raw.startswith(header.encode() + b"\r\n"):
        fail(f"{name}: header {rows[0]}")
    for row in rows[1:]:
        if len(row) != len(rows[0]):
            fail(f"{name}: {len(row)} fields in {row}")
    return raw, [dict(zip(rows[0], row)) for row in rows[1:]]

def report_lines(name):
    return open("out/" + name, encoding="utf-8", newline="").read().split("\r\n")

def cost_pool_report():
    """Report 15: per pool its value and its base lines' amounts in order."""
    values, lines, pool = {}, {}, None
    for line in report_lines("15.csv"):
        if line.startswith("CP,"):
            pool = line.split(",")[1]
            values[pool], lines[pool] = line.rsplit(",", 1)[1], []
        elif line.startswith("    ABL,"):
            lines[pool].append(line.rsplit(",", 1)[1])
    return values, lines

cells_raw, cells = table("36.csv", CELLS)
flows_raw, flows = table("36-flows.csv", FLOWS)
values, base_lines = cost_pool_report()

def check_headers():
    if not cells or not flows:
        fail(f"{len(cells)} cells, {len(flows)} flows")

def check_rfc4180():
    bread = [c for c in cells if c["Pool"] == "P.BREAD"]
    packing = [f for f in flows if f["Sender"] == "A.PACK"]
    if not bread or {c["Pool Description"] for c in bread} != {"Bread, fresh"}:
        fail(f"bread's cells {bread[:1]}")
    if not packing or {f["Sender Description"] for f in packing} != {'Packing 12" boxes'}:
        fail(f"packing's flows {packing[:1]}")
    if b'"Packing 12"" boxes"' not in flows_raw or b'"Bread, fresh"' not in cells_raw:
        fail("the descriptions are not quoted as RFC 4180 quotes them")
    if {r["Run Label"] for r in cells + flows} != {"2026-11 Actual"}:
        fail("a row without the run label")

def check_cells():
    sums = {}
    for cell in cells:
        sums[cell["Pool"]] = sums.get(cell["Pool"], 0.0) + float(cell["Value"])
    if set(sums) - set(values):
        fail(f"cells of pools report 15 does not list: {set(sums) - set(values)}")
    for pool, printed in values.items():
        if not cents(sums.get(pool, 0.0), printed):
            fail(f"{pool}: cells add up to {sums.get(pool, 0.0)!r}, report 15 shows {printed}")

def stage_report_allocated():
    """Report 12: per pool its Alloc figure."""
    lines = report_lines("12.csv")
    column = lines[1].split(",").index("Alloc")
    allocated = {}
    for row in csv.reader(l for l in lines if l.lstrip().startswith("CP,")):
        allocated[row[1]] = row[column]
    return allocated

def check_flows():
    sent = {}
    for flow in flows:
        sender, line = flow["Sender"], int(flow["Line"])
        printed = base_lines[sender][line - 1]
        if not cents(float(flow["Amount"]), printed):
            fail(f"{sender} line {line}: {flow['Amount']}, report 15 shows {printed}")
        sent[sender] = sent.get(sender, 0.0) + float(flow["Amount"])
    listed = {(s, i + 1) for s, amounts in base_lines.items()
              for i, a in enumerate(amounts) if abs(float(a)) > 0.01}
    if listed != {(f["Sender"], int(f["Line"])) for f in flows}:
        fail(f"report 15's base lines {sorted(listed)} are not the flows")
    allocated = stage_report_allocated()
    for sender, amount in sent.items():
        if not cents(amount, allocated.get(sender) or "nan"):
            fail(f"{sender} sent {amount!r}, the Stage Report allocated {allocated.get(sender)}")

def check_precision():
    misc = [c for c in cells if c["Account"] == "MISC"]
    if [c["Value"] for c in misc] != ["12.345678"] or float(misc[0]["Value"]) != 12.345678:
        fail(f"the 12.345678 cell reads {[c['Value'] for c in misc]}")
    baking = [f for f in flows if f["Sender"] == "A.BAKE" and f["Receiver"] == "P.BREAD"]
    propn = 430 / 605
    amount = propn * (14000 * (300 / 400) + 68750 * (12 / 16))
    if len(baking) != 1 or float(baking[0]["Proportion"]) != propn or \
            float(baking[0]["Amount"]) != amount or (amount * 100).is_integer():
        fail(f"baking to bread {baking}, expected {propn!r} and {amount!r}")

def check_manifest():
    manifest = json.load(open("out/.Run.json", encoding="utf-8"))
    exports = sorted(r["file"] for r in manifest["reports"] if r["number"] == 36)
    if exports != ["36-flows.csv", "36.csv"]:
        fail(f"the manifest lists {exports} as report 36")

checks = [("headers", check_headers), ("rfc4180", check_rfc4180), ("cells", check_cells),
          ("flows", check_flows), ("precision", check_precision), ("manifest", check_manifest)]
for name, check in checks:
    before = len(failures)
    check()
    print(("FAIL " if len(failures) > before else "ok   ") + name)
for message in failures:
    print("  " + message)
sys.exit(1 if failures else 0)
PY
