#!/usr/bin/env bash
# The Results Export (36), read as other programs read it, with Python's csv
# module in its strict mode, on two models:
# - the demo, with a run label, a product whose description holds a comma
#   ("Bread, fresh"), an activity whose description holds a double quote
#   (Packing 12" boxes), and one more transaction of 12.345678 under a new
#   account that no pool selects, which the group's generated not-selected
#   pool keeps as a cell of its own;
# - tests/models/reciprocal_two_departments, whose service departments Y
#   and Z serve each other (option 11): Y's full cost of 9,000 goes 40/40/20
#   to A, B and Z, Z's 5,800 goes 20/50/30 to A, B and Y.
# Checks:
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
#   loop       the loop's members send their shares of their full costs,
#              to each other too: Y 3,600, 3,600 and 1,800; Z 1,160, 2,900
#              and 1,740
# Skipped (exit 77) where no python3 is installed.
#
#   results_export.sh KORAVA DEMO_DIR RECIPROCAL_MODEL_DIR
set -euo pipefail
korava=$(realpath "$1")
demo=$(realpath "$2")
loop_model=$(realpath "$3")
command -v python3 >/dev/null || { echo "SKIPPED: no python3 to read the export"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for model in demo loop; do
  source_dir=$demo
  [[ $model == loop ]] && source_dir=$loop_model
  mkdir "$work/$model"
  cp -r "$source_dir"/. "$work/$model"/
  rm -rf "$work/$model/out" "$work/$model/expected" && mkdir "$work/$model/out"
done
cd "$work/demo"
printf 'OO,12,2026-11 Actual\r\n' >>OO.csv
printf 'MISC,Miscellaneous,,\r\n' >>DIM1.csv
printf '12.345678,MISC,ADM\r\n' >>transactions.csv
sed -i -e 's/^CP,P.BREAD,Bread,/CP,P.BREAD,"Bread, fresh",/' \
  -e 's/^CP,A.PACK,Packing,/CP,A.PACK,Packing 12" boxes,/' CP.csv
"$korava" --quiet run.csv
cd "$work/loop"
printf 'REP,12\r\nREP,15\r\nREP,36\r\nREP,36,36-flows.csv,,,,F\r\n' >>reports.csv
"$korava" --quiet run.csv
cd "$work"

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

class Run:
    """One model's output folder: both exports and reports 12 and 15."""

    def __init__(self, model):
        self.out = model + "/out/"
        self.cells_raw, self.cells = self.table("36.csv", CELLS)
        self.flows_raw, self.flows = self.table("36-flows.csv", FLOWS)
        self.values, self.base_lines = self.cost_pool_report()

    def table(self, name, header):
        raw = open(self.out + name, "rb").read()
        if raw.replace(b"\r\n", b"").count(b"\n") or raw.replace(b"\r\n", b"").count(b"\r"):
            fail(f"{name}: a line does not end in CR LF")
        rows = list(csv.reader(io.StringIO(raw.decode("utf-8"), newline=""), strict=True))
        if ",".join(rows[0]) != header or not raw.startswith(header.encode() + b"\r\n"):
            fail(f"{name}: header {rows[0]}")
        for row in rows[1:]:
            if len(row) != len(rows[0]):
                fail(f"{name}: {len(row)} fields in {row}")
        return raw, [dict(zip(rows[0], row)) for row in rows[1:]]

    def report_lines(self, name):
        return open(self.out + name, encoding="utf-8", newline="").read().split("\r\n")

    def cost_pool_report(self):
        """Report 15: per pool its value and its base lines' amounts in order."""
        values, lines, pool = {}, {}, None
        for line in self.report_lines("15.csv"):
            if line.startswith("CP,"):
                pool = line.split(",")[1]
                values[pool], lines[pool] = line.rsplit(",", 1)[1], []
            elif line.startswith("    ABL,"):
                lines[pool].append(line.rsplit(",", 1)[1])
        return values, lines

    def stage_report_allocated(self):
        """Report 12: per pool its Alloc figure."""
        lines = self.report_lines("12.csv")
        column = lines[1].split(",").index("Alloc")
        return {row[1]: row[column]
                for row in csv.reader(l for l in lines if l.lstrip().startswith("CP,"))}

def check_headers(run):
    if not run.cells or not run.flows:
        fail(f"{len(run.cells)} cells, {len(run.flows)} flows")

def check_rfc4180(run):
    bread = [c for c in run.cells if c["Pool"] == "P.BREAD"]
    packing = [f for f in run.flows if f["Sender"] == "A.PACK"]
    if not bread or {c["Pool Description"] for c in bread} != {"Bread, fresh"}:
        fail(f"bread's cells {bread[:1]}")
    if not packing or {f["Sender Description"] for f in packing} != {'Packing 12" boxes'}:
        fail(f"packing's flows {packing[:1]}")
    if b'"Packing 12"" boxes"' not in run.flows_raw or b'"Bread, fresh"' not in run.cells_raw:
        fail("the descriptions are not quoted as RFC 4180 quotes them")
    if {r["Run Label"] for r in run.cells + run.flows} != {"2026-11 Actual"}:
        fail("a row without the run label")

def check_cells(run):
    sums = {}
    for cell in run.cells:
        sums[cell["Pool"]] = sums.get(cell["Pool"], 0.0) + float(cell["Value"])
    if set(sums) - set(run.values):
        fail(f"cells of pools report 15 does not list: {set(sums) - set(run.values)}")
    for pool, printed in run.values.items():
        if not cents(sums.get(pool, 0.0), printed):
            fail(f"{pool}: cells add up to {sums.get(pool, 0.0)!r}, report 15 shows {printed}")

def check_flows(run):
    sent = {}
    for flow in run.flows:
        sender, line = flow["Sender"], int(flow["Line"])
        printed = run.base_lines[sender][line - 1]
        if not cents(float(flow["Amount"]), printed):
            fail(f"{sender} line {line}: {flow['Amount']}, report 15 shows {printed}")
        sent[sender] = sent.get(sender, 0.0) + float(flow["Amount"])
    listed = {(s, i + 1) for s, amounts in run.base_lines.items()
              for i, a in enumerate(amounts) if abs(float(a)) > 0.01}
    if listed != {(f["Sender"], int(f["Line"])) for f in run.flows}:
        fail(f"report 15's base lines {sorted(listed)} are not the flows")
    allocated = run.stage_report_allocated()
    for sender, amount in sent.items():
        if not cents(amount, allocated.get(sender) or "nan"):
            fail(f"{sender} sent {amount!r}, the Stage Report allocated {allocated.get(sender)}")

def check_precision(run):
    misc = [c for c in run.cells if c["Account"] == "MISC"]
    if [c["Value"] for c in misc] != ["12.345678"] or float(misc[0]["Value"]) != 12.345678:
        fail(f"the 12.345678 cell reads {[c['Value'] for c in misc]}")
    baking = [f for f in run.flows if f["Sender"] == "A.BAKE" and f["Receiver"] == "P.BREAD"]
    propn = 430 / 605
    amount = propn * (14000 * (300 / 400) + 68750 * (12 / 16))
    if len(baking) != 1 or float(baking[0]["Proportion"]) != propn or \
            float(baking[0]["Amount"]) != amount or (amount * 100).is_integer():
        fail(f"baking to bread {baking}, expected {propn!r} and {amount!r}")

def check_manifest(run):
    manifest = json.load(open(run.out + ".Run.json", encoding="utf-8"))
    exports = sorted(r["file"] for r in manifest["reports"] if r["number"] == 36)
    if exports != ["36-flows.csv", "36.csv"]:
        fail(f"the manifest lists {exports} as report 36")

def check_loop(run):
    expected = [("Y", "1", "A", 3600), ("Y", "2", "B", 3600), ("Y", "3", "Z", 1800),
                ("Z", "1", "A", 1160), ("Z", "2", "B", 2900), ("Z", "3", "Y", 1740)]
    found = [(f["Sender"], f["Line"], f["Receiver"], f["Amount"]) for f in run.flows]
    if len(found) != len(expected) or any(
            f[:3] != e[:3] or not cents(e[3], f[3]) for f, e in zip(found, expected)):
        fail(f"the loop's flows {found}")

models = [
    ("demo", [check_headers, check_rfc4180, check_cells, check_flows, check_precision,
              check_manifest]),
    ("loop", [check_headers, check_cells, check_flows, check_loop]),
]
for model, checks in models:
    run = Run(model)
    for check in checks:
        before = len(failures)
        check(run)
        print(("FAIL " if len(failures) > before else "ok   ") + model + " " +
              check.__name__[len("check_"):])
for message in failures:
    print("  " + message)
sys.exit(1 if failures else 0)
PY
