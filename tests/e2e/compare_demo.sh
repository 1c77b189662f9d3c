#!/usr/bin/env bash
# Runs a copy of the demo (2026-11 Actual) and its what-if (2026-12 What-if),
# compares them with korava --compare and checks the three files:
# - compare.csv: every pool's A and B are report 15's values of each run and
#   its change is B - A, stage by stage as the cost flows; bread went from
#   60,770.38 to 62,243.25 and cakes from 21,979.62 to 19,506.75 (worked by
#   hand in README, "The demo model");
# - compare-effects.csv: the final pools are the two products, and each one's
#   rows add up to its change in compare.csv to the cent, each row's cost
#   and share effect to its change;
# - compare.html: parses, its SVG as XML, and refers to nothing outside
#   itself; every file's lines end in CR LF.
# A folder that is no run ends korava --compare with exit code 2 and one
# line. Skipped (exit 77) where no python3 is installed.
#
#   compare_demo.sh KORAVA DEMO_DIR
set -euo pipefail
korava=$(realpath "$1")
command -v python3 >/dev/null || { echo "SKIPPED: no python3 to read the files"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$2"/. "$work"/
rm -rf "$work/out" "$work/out-whatif" "$work/compare"
mkdir "$work/out" "$work/out-whatif"
cd "$work"
"$korava" --quiet run.csv 2>/dev/null
"$korava" --quiet whatif.csv 2>/dev/null
"$korava" --compare out out-whatif 2>stderr || { cat stderr; exit 1; }
grep -q '^korava: compared A (2026-11 Actual) with B (2026-12 What-if): ' stderr ||
  { echo "no summary line:"; cat stderr; exit 1; }

set +e
"$korava" --compare out no-such-run 2>refused
code=$?
set -e
[[ $code == 2 && $(wc -l <refused) == 1 ]] || { echo "exit code $code:"; cat refused; exit 1; }
grep -q '^korava: no-such-run does not exist; ' refused || { cat refused; exit 1; }

python3 - <<'PY'
import csv, io, re, sys, xml.dom.minidom
from decimal import Decimal
from html.parser import HTMLParser

def fail(message):
    sys.exit("FAIL: " + message)

def table(path):
    data = open(path, "rb").read()
    if data.count(b"\n") != data.count(b"\r\n") or not data.endswith(b"\r\n"):
        fail(f"{path}: lines do not all end in CR LF")
    return list(csv.reader(io.StringIO(data.decode("utf-8"), newline="")))

def report15(folder):
    """Each pool's value as report 15 prints it."""
    values = {}
    for row in csv.reader(open(f"{folder}/15.csv", newline="")):
        if row and row[0] == "CP":
            values[row[1]] = Decimal(row[7])
    return values

a, b = report15("out"), report15("out-whatif")
rows = table("compare/compare.csv")
header = rows[0]
if header != ["Stage", "Group", "Pool", "Pool Description", "A: 2026-11 Actual",
              "B: 2026-12 What-if", "Change", "Change %", "Note"]:
    fail(f"header {header}")
changes = {}
for stage, group, pool, description, fa, fb, change, percent, note in rows[1:]:
    if note or Decimal(fa) != a[pool] or Decimal(fb) != b[pool]:
        fail(f"{pool}: {fa} -> {fb} ({note!r}); report 15 says {a[pool]} -> {b[pool]}")
    if Decimal(change) != b[pool] - a[pool]:
        fail(f"{pool}: change {change}, B - A is {b[pool] - a[pool]}")
    changes[pool] = Decimal(change)
# The exports list pools by code; the rows follow the flow from resources
# through activities to products.
if list(changes) != ["R.PERS", "R.PREM", "A.BAKE", "A.PACK", "P.BREAD", "P.CAKE"]:
    fail(f"pools {list(changes)}")
if changes["P.BREAD"] != Decimal("1472.87") or changes["P.CAKE"] != Decimal("-2472.87"):
    fail(f"products changed by {changes['P.BREAD']} and {changes['P.CAKE']}")

effects = table("compare/compare-effects.csv")
if effects[0] != ["Pool", "Sender", "Cost Effect", "Share Effect", "Change"]:
    fail(f"effects header {effects[0]}")
sums = {}
for pool, sender, cost, share, change in effects[1:]:
    sums[pool] = sums.get(pool, Decimal(0)) + Decimal(change)
    if sender != "(own transactions)" and Decimal(cost) + Decimal(share) != Decimal(change):
        fail(f"{pool} from {sender}: {cost} + {share} is not {change}")
# Worked by hand: baking's 750.00 less at the old shares 430/605 and 175/605,
# and bread's share moving to 516/691 of baking's 61,312.50; packing's
# shares stay.
expected = {("P.BREAD", "A.BAKE"): ("-533.06", "2207.25"), ("P.BREAD", "A.PACK"): ("-201.33", "0.00"),
            ("P.CAKE", "A.BAKE"): ("-216.94", "-2207.25"), ("P.CAKE", "A.PACK"): ("-48.67", "0.00")}
found = {(pool, sender): (cost, share) for pool, sender, cost, share, change in effects[1:]
         if sender != "(own transactions)"}
if found != expected:
    fail(f"effects {found}, worked by hand {expected}")
if sorted(sums) != ["P.BREAD", "P.CAKE"]:
    fail(f"final pools {sorted(sums)}")
for pool, total in sums.items():
    if total != changes[pool]:
        fail(f"{pool}: its effects add up to {total}, its change is {changes[pool]}")

page_bytes = open("compare/compare.html", "rb").read()
if page_bytes.count(b"\n") != page_bytes.count(b"\r\n"):
    fail("compare.html: lines do not all end in CR LF")
page = page_bytes.decode("utf-8")
if re.search(r"src=|href=|https?:|@import|<script|<link|url\([^#]", page, re.I):
    fail("the page refers to something outside itself")

class Nesting(HTMLParser):
    """Every element the page opens is closed, in order."""
    VOID = {"meta", "br", "img", "line", "rect", "path"}
    def __init__(self):
        super().__init__()
        self.open = []
    def handle_starttag(self, tag, attrs):
        if tag not in self.VOID:
            self.open.append(tag)
    def handle_startendtag(self, tag, attrs):
        pass
    def handle_endtag(self, tag):
        if tag in self.VOID:
            return
        if not self.open or self.open.pop() != tag:
            fail(f"</{tag}> closes nothing it opened")

nesting = Nesting()
nesting.feed(page)
if nesting.open:
    fail(f"left open: {nesting.open}")
svgs = re.findall(r"<svg.*?</svg>", page, re.S)
for svg in svgs:
    xml.dom.minidom.parseString(svg.encode("utf-8"))
if len(svgs) != 3:
    fail(f"{len(svgs)} charts, expected the largest changes and one waterfall per product")
print(f"{len(changes)} pools, {len(sums)} final pools explained to the cent; page well-formed")
PY
