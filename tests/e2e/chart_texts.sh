#!/usr/bin/env bash
# Runs the Cost Flow Chart on a model whose texts hold control characters
# (NUL, SOH, VT, FF, ESC, a C1 control in Latin-1) and right-to-left
# overrides, one of them where a label is cut, and reads the page's SVG with
# an XML parser: it must be well-formed, every label and tooltip must close
# each direction control it opens, and every text holding an override must
# stand in an isolate (inside the SVG) or in <bdi> (on the page around it).
# The model runs a second time with another amount, and the comparison of
# the two runs (korava --compare, which shows the same texts in its tables
# and charts) must pass the same checks. Skipped (exit 77) where no python3
# is installed.
#
#   chart_texts.sh KORAVA
set -euo pipefail
korava=$(realpath "$1")
command -v python3 >/dev/null || { echo "SKIPPED: no python3 to read the page"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
rlo=$'\xE2\x80\xAE'
printf '$ODIR,,./out\r\n$IDIR,,.\r\n$FILE,MODEL,model.csv\r\n$FILE,DIM1,accounts.csv\r\n' >"$work/run.csv"
printf '$FILE,TX,transactions.csv\r\n$FILE,MODEL,reports.csv\r\n' >>"$work/run.csv"
printf 'X,Account X\r\n' >"$work/accounts.csv"
printf '100,X\r\n' >"$work/transactions.csv"
{
  printf 'OO,0,Model \0\1\13\14\33 %s written backwards\r\n' "$rlo"
  printf 'DIMH,1,Account\r\nSTG,S1,Inputs,1\r\nSTG,S3,Products,3\r\n'
  printf 'CPG,G1,Resources,S1,10\r\nCPGS,G1,All,,,*\r\nCPG,G3,Products,S3,30\r\n'
  printf 'CP,A,Caf\xE9 \x85\0\1\13\14\33,G1,AA\r\n'
  printf 'CP,B,abcdefghijklmno%spqrstuvwxyz0123456789abcdefghij,G3\r\n' "$rlo"
  printf 'CPS,A,X,,,X\r\nAB,AA,Base A\r\nABL,AA,all,C,1,B\r\n'
} >"$work/model.csv"
printf 'REP,41,chart\r\nREP,36\r\nREP,36,flows,,,,F\r\n' >"$work/reports.csv"
"$korava" "$work/run.csv" 2>/dev/null
sed -e 's|^\$ODIR,,./out|$ODIR,,./out2|' -e 's|transactions.csv|transactions2.csv|' \
  "$work/run.csv" >"$work/run2.csv"
printf '120,X\r\n' >"$work/transactions2.csv"
mkdir "$work/out2"
"$korava" "$work/run2.csv" 2>/dev/null
"$korava" --compare "$work/out" "$work/out2" 2>/dev/null
for page in "$work/out/chart.html" "$work/compare/compare.html"; do
python3 - "$page" <<'EOF'
import re
import sys
import xml.dom.minidom

page = open(sys.argv[1], "rb").read().decode("utf-8")  # fails on bytes that are not UTF-8
chart = sys.argv[1].endswith("chart.html")
# The page around the SVG is HTML, not XML, but holds no control character
# either.
hidden = [c for c in page if ord(c) < 0x20 and c not in "\t\r\n"]
if hidden:
    sys.exit("control characters on the page: %r" % hidden)

RLO, PDF, FSI, PDI = "\u202e", "\u202c", "\u2068", "\u2069"
OPENERS = {"\u202a": "e", "\u202b": "e", "\u202d": "e", "\u202e": "e",
           "\u2066": "i", "\u2067": "i", "\u2068": "i"}

def check(text):
    """Every opener closed in order; every override inside an isolate."""
    stack = []
    for c in text:
        if c in OPENERS:
            if c == RLO and "i" not in stack:
                sys.exit("override outside an isolate: %r" % text)
            stack.append(OPENERS[c])
        elif c == PDF:
            if not stack or stack.pop() != "e":
                sys.exit("PDF closes no override: %r" % text)
        elif c == PDI:
            if not stack or stack.pop() != "i":
                sys.exit("PDI closes no isolate: %r" % text)
        elif c == "\n" and stack:
            sys.exit("a line of a tooltip ends inside a control: %r" % text)
    if stack:
        sys.exit("left open: %r" % text)

texts = []
for svg in re.findall(r"<svg.*?</svg>", page, re.S):
    dom = xml.dom.minidom.parseString(svg.encode("utf-8"))
    for name in ("text", "tspan", "title"):
        for node in dom.getElementsByTagName(name):
            text = "".join(n.data for n in node.childNodes if n.nodeType == n.TEXT_NODE)
            if text:
                texts.append(text)
# The chart names pool B in the label and tooltips of its bar and band; the
# comparison, where B is the one final pool, in its bar's label and tooltip.
overrides = [t for t in texts if RLO in t]
if len(overrides) < (3 if chart else 2):
    sys.exit("expected the overrides in labels and tooltips, found %d" % len(overrides))
for text in texts:
    check(text)
if not any("\u2026" in t and RLO in t for t in texts):
    sys.exit("no label was cut after its override")
if not any("Caf\u00e9 " + "\ufffd" * 6 in t for t in texts):
    sys.exit("the Latin-1 description is not shown as such")
about = "<p class=\"about\"><bdi>Model \ufffd\ufffd\ufffd\ufffd\ufffd " + RLO + " written backwards" + PDF + "</bdi></p>"
if chart and about not in page:
    sys.exit("the model's description is not isolated with its controls shown")
if RLO in re.sub(r"<svg.*?</svg>|<bdi>.*?</bdi>", "", page, flags=re.S):
    sys.exit("an override on the page stands outside <bdi>")
print("%s well-formed; %d texts, %d with an override, each isolated and closed"
      % (sys.argv[1].rsplit("/", 1)[1], len(texts), len(overrides)))
EOF
done
