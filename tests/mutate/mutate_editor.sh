#!/usr/bin/env bash
# Mutation run of the editor's checks: takes the shipped parameter file and
# the model files of examples/demo and tests/models, damages one file at a
# time (flipped bytes, deletions, duplications, long lines, quotes, commas,
# huge numbers, empty fields, truncation, broken line ends) and runs
# "korave --check-data" and "korave --check-parms" on each mutated model with
# a time limit. Reports every run that crashed, hung, drew a sanitizer
# finding, failed inside ("internal failure") or wrote a file other than its
# check file into the model folder or anywhere else in its sandbox.
#
# Usage: mutate_editor.sh KORAVE [COUNT [SEED [WORK_DIR]]]
#   KORAVE    the program to try, best a sanitizer build (build-sanitize/bin/korave)
#   COUNT     mutated models to try (default 1000); each is checked twice
#   SEED      seed of the random choices (default 1); a seed repeats its run
#   WORK_DIR  where the mutated models go (default: a new temporary folder,
#             removed at the end unless something was found)
# Environment: MUTATE_TIME_LIMIT seconds per run (default 30).
# Exit code: 0 when nothing was found, 1 when something was (each finding is
# kept under WORK_DIR/findings with its model, its mutations and the
# program's output), 2 when the run could not start.
set -u
export LC_ALL=C

if [ $# -lt 1 ] || [ ! -x "$1" ]; then
  echo "usage: $0 KORAVE [COUNT [SEED [WORK_DIR]]]" >&2
  exit 2
fi
korave=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
count=${2:-1000}
seed=${3:-1}
root=$(cd "$(dirname "$0")/../.." && pwd)
limit=${MUTATE_TIME_LIMIT:-30}
if [ $# -ge 4 ]; then
  work=$4
  keep_work=1
  mkdir -p "$work" || exit 2
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/mutate_editor.XXXXXX") || exit 2
  keep_work=0
fi
work=$(cd "$work" && pwd)
parms="$root/editor/KORAVEParms.csv"

# The random choices come from one generator in this shell (never from a
# subshell, which would not advance it), so that a seed repeats its run:
# "rand N" sets r to a number from 0 to N - 1.
random_state=$seed
rand() {
  random_state=$(((random_state * 1103515245 + 12345) % 2147483648))
  r=$(((random_state >> 4) % $1))
}

# ---------------------------------------------------------------------------
# Seeds: each a folder of the editor's data files, named as the parameter
# file names them, with a run file and the parameter file.

# "CODE FILE" for every data file whose lines carry their record code.
coded_files=$(awk -F, '$1 ~ /^[0-9]+$/ && $1 < 1000 {
  n = split($5, part, "/"); if (n >= 3 && part[2] == "I") print part[3], part[1] }' "$parms")

# Builds a seed from a model folder through its run file: each MODEL file's
# lines go to the data file of their record code, each DIMn file becomes
# DIMn.csv.
make_seed() {
  local model=$1 seed_dir=$2 kind name code file
  mkdir -p "$seed_dir"
  printf '$ODIR,,./out\r\n' >"$seed_dir/run.csv"
  cp "$parms" "$seed_dir/KORAVEParms.csv"
  while IFS=, read -r kind name file _; do
    file=${file%$'\r'}
    file=${file//\\//}
    [ -f "$model/$file" ] || continue
    case $name in
      MODEL)
        while read -r code data_file; do
          awk -F, -v code="$code" '$1 == code' "$model/$file" >>"$seed_dir/$data_file"
        done <<<"$coded_files"
        ;;
      DIM[1-8]) cat "$model/$file" >>"$seed_dir/$name.csv" ;;
    esac
  done < <(grep '^\$FILE,' "$model/run.csv")
  find "$seed_dir" -type f -empty -delete
}

seeds=()
for model in "$root/examples/demo" "$root"/tests/models/*; do
  [ -f "$model/run.csv" ] || continue
  seed_dir="$work/seeds/$(basename "$model")"
  make_seed "$model" "$seed_dir"
  # A model whose run file names no data file the editor knows is no seed.
  if [ "$(ls "$seed_dir" | wc -l)" -gt 2 ]; then seeds+=("$seed_dir"); else rm -rf "$seed_dir"; fi
done
if [ ${#seeds[@]} -eq 0 ]; then
  echo "no seed models found under $root" >&2
  exit 2
fi

# ---------------------------------------------------------------------------
# Mutations of one file. Every operator changes the file in place and sets
# "did" to a short description of what it did.

size_of() { wc -c <"$1"; }
lines_of() { awk 'END { print NR }' "$1"; }

# Replaces the bytes [from, from + length) of $1 with standard input.
replace_bytes() {
  local file=$1 from=$2 length=$3
  {
    head -c "$from" "$file"
    cat
    tail -c +"$((from + length + 1))" "$file"
  } >"$file.new"
  mv "$file.new" "$file"
}

# Sets "at" to a random byte offset of $1 (0 for an empty file).
random_offset() {
  local size
  size=$(size_of "$1")
  at=0
  if [ "$size" -gt 0 ]; then
    rand "$size"
    at=$r
  fi
}

flip_byte() {
  local file=$1 byte
  [ -s "$file" ] || return 0
  random_offset "$file"
  byte=$(od -An -tu1 -j "$at" -N1 "$file" | tr -d ' ')
  rand 8
  printf "\\$(printf '%03o' $((byte ^ (1 << r))))" | replace_bytes "$file" "$at" 1
  did="flip@$at.$r"
}

delete_bytes() {
  [ -s "$1" ] || return 0
  random_offset "$1"
  rand 64
  replace_bytes "$1" "$at" "$((r + 1))" </dev/null
  did="delete@$at+$((r + 1))"
}

duplicate_bytes() {
  [ -s "$1" ] || return 0
  random_offset "$1"
  rand 200
  tail -c +"$((at + 1))" "$1" | head -c "$((r + 1))" | replace_bytes "$1" "$at" 0
  did="duplicate@$at+$((r + 1))"
}

truncate_file() {
  [ -s "$1" ] || return 0
  random_offset "$1"
  replace_bytes "$1" "$at" "$(size_of "$1")" </dev/null
  did="truncate@$at"
}

# Rewrites line $2 of $1 with the awk program $3, which finds the value to
# use in the environment as MUTATE_VALUE.
edit_line() {
  local file=$1 line=$2 program=$3
  awk -v target="$line" -F, -v OFS=, "NR == target { $program } { print }" "$file" >"$file.new" &&
    mv "$file.new" "$file"
}

# Sets "line" to a random line number of $1.
random_line() {
  rand "$(lines_of "$1")"
  line=$((r + 1))
}

duplicate_lines() {
  local file=$1
  [ -s "$file" ] || return 0
  random_line "$file"
  rand 60
  awk -v target="$line" -v times="$((r + 1))" \
    '{ print } NR == target { for (i = 0; i < times; ++i) print }' "$file" >"$file.new" &&
    mv "$file.new" "$file"
  did="duplicate-line@$line*$((r + 1))"
}

delete_line() {
  local file=$1
  [ -s "$file" ] || return 0
  random_line "$file"
  awk -v target="$line" 'NR != target' "$file" >"$file.new" && mv "$file.new" "$file"
  did="delete-line@$line"
}

long_line() {
  local file=$1 lengths=(300 5000 70000 400000 1100000) units=("A" "A," '"' "/" "9" ',"')
  local length unit
  rand ${#lengths[@]}
  length=${lengths[$r]}
  rand ${#units[@]}
  unit=${units[$r]}
  random_offset "$file"
  awk -v size="$length" -v unit="$unit" \
    'BEGIN { while (length(s) < size) s = s unit s; print substr(s, 1, size) }' |
    replace_bytes "$file" "$at" 0
  did="long-line@$at:$length*$unit"
}

insert_quotes_or_commas() {
  local file=$1 texts=('"' '""' '","' '"a,b"' 'a"b,c' '",' ',"' ',' ',,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,'
    '"\r\n' '\r' '\n' '\000' '/' '//' '\\' ';' ' ' '\t' '\377\376')
  rand ${#texts[@]}
  local text=${texts[$r]}
  random_offset "$file"
  printf "$text" | replace_bytes "$file" "$at" 0
  did="insert@$at:$text"
}

# Values that test the limits of numbers, file numbers and key numbers.
odd_values=(99999999999999999999 -2147483649 2147483647 2147483648 -2147483648 1e308 1e309
  -1e999 4.9e-324 1e-400 nan inf -inf 0x10 1e70 -1 0 1 2 999 1000 1001 1999 9999 10000 30 31 22 23
  "" " " "*" ">" ">>" "%" "%Y" "%X" "@" "I" "K" "S" "K/0/0" "K/1/1" "K/31/0" "K/1/99" "K/-1/2"
  "S//" "K/2147483648/1" "99999/x" "-1/" "0/A" "3/" "/" "x/" "f/@/CMUs/99999" "f/@/CM@/-5"
  "f//////" "f/X/WPN>/26" "f/X/TNNV/0" "f/X/    /9999" "ACDMQZ" "OO.csv/IF/OO" "/I/" "//" "CP.csv"
  "../outside.csv" "/tmp/korave_mutate_outside.csv" "DIM1.csv/I/DIM1")

odd_field() {
  local file=$1 value field
  [ -s "$file" ] || return 0
  random_line "$file"
  rand ${#odd_values[@]}
  value=${odd_values[$r]}
  rand 32
  field=$((r + 1))
  MUTATE_VALUE=$value edit_line "$file" "$line" \
    "f = $field; if (f > NF + 1) f = NF + 1; \$f = ENVIRON[\"MUTATE_VALUE\"]"
  did="field@$line.$field=$value"
}

empty_fields() {
  local file=$1
  [ -s "$file" ] || return 0
  random_line "$file"
  rand 3
  case $r in
    0)
      rand 12
      edit_line "$file" "$line" "\$$((r + 1)) = \"\""
      ;;
    1)
      # Every field but the first emptied in one pass: a long line may hold
      # a million fields.
      edit_line "$file" "$line" \
        "i = index(\$0, \",\"); rest = substr(\$0, i + 1); gsub(/[^,]+/, \"\", rest); if (i) \$0 = substr(\$0, 1, i) rest"
      ;;
    2) edit_line "$file" "$line" "\$0 = \"\"" ;;
  esac
  did="empty@$line"
}

line_ends() {
  local file=$1
  rand 4
  local kind=$r
  case $kind in
    0) tr '\n' '\r' <"$file" >"$file.new" ;;
    1) tr -d '\r\n' <"$file" >"$file.new" ;;
    2) sed 's/$/\r\r/' "$file" >"$file.new" ;;
    3) awk '{ printf "%s", $0 }' "$file" >"$file.new" ;;
  esac
  mv "$file.new" "$file"
  did="line-ends:$kind"
}

reorder_lines() {
  local file=$1
  awk '{ line[NR] = $0 } END { for (i = NR; i >= 1; --i) print line[i] }' "$file" >"$file.new" &&
    mv "$file.new" "$file"
  did="reverse-lines"
}

operators=(flip_byte flip_byte delete_bytes duplicate_bytes truncate_file duplicate_lines
  delete_line long_line insert_quotes_or_commas insert_quotes_or_commas odd_field odd_field
  odd_field empty_fields line_ends reorder_lines)

# ---------------------------------------------------------------------------
# One run of a check on a mutated model in its sandbox.

findings=0
runs=0
declare -A outcomes=()
declare -A could_not_run=()
log="$work/mutations.log"
: >"$log"

# Every file of the sandbox but the check files, with its size and time, to
# see what a run wrote.
snapshot() {
  find "$1" -path "$1/model/KORAVECheck*.csv" -prune -o -type d -printf '%p/\n' \
    -o -printf '%p %s %T@\n' | sort
}

record_finding() {
  local what=$1 sandbox=$2 number=$3 option=$4
  findings=$((findings + 1))
  local kept="$work/findings/$number$option"
  mkdir -p "$kept"
  cp -R "$sandbox/model" "$kept/"
  cp "$work/stderr" "$kept/stderr"
  printf '%s\n' "$what" >"$kept/finding"
  echo "FINDING $number $option: $what (kept in $kept)"
}

check_run() {
  local sandbox=$1 option=$2 number=$3 status before after
  rm -f "$sandbox"/model/KORAVECheck*.csv
  before=$(snapshot "$sandbox")
  (
    cd "$sandbox/cwd" &&
      HOME="$sandbox/home" TMPDIR="$sandbox/tmp" \
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:exitcode=86 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=87 \
        timeout -k 5 "$limit" "$korave" "$option" "$sandbox/model/run.csv" \
        "$sandbox/model/KORAVEParms.csv" >"$work/stdout" 2>"$work/stderr"
  )
  status=$?
  runs=$((runs + 1))
  after=$(snapshot "$sandbox")
  local what=""
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    what="hang: no end within ${limit}s"
  elif grep -q -E 'Sanitizer|runtime error' "$work/stderr"; then
    what="sanitizer: $(grep -m1 -E 'Sanitizer|runtime error' "$work/stderr")"
  elif [ "$status" -gt 2 ]; then
    what="crash: exit status $status"
  elif grep -q 'internal failure' "$work/stderr"; then
    what="$(head -c 300 "$work/stderr")"
  elif [ "$before" != "$after" ]; then
    what="wrote outside its check file: $(diff <(echo "$before") <(echo "$after") | grep '^>' | head -3 | tr '\n' ' ')"
  fi
  outcomes[$status]=$((${outcomes[$status]:-0} + 1))
  if [ "$status" -eq 2 ] && [ -z "$what" ]; then
    local message
    message=$(head -c 120 "$work/stderr" | head -1 | sed 's/[0-9][0-9]*/N/g')
    could_not_run[$message]=$((${could_not_run[$message]:-0} + 1))
  fi
  if [ -n "$what" ]; then record_finding "$what" "$sandbox" "$number" "$option"; fi
}

# ---------------------------------------------------------------------------

sandbox="$work/sandbox"
for ((i = 1; i <= count; ++i)); do
  number=$(printf '%04d' "$i")
  rand ${#seeds[@]}
  seed_dir=${seeds[$r]}
  rm -rf "$sandbox"
  mkdir -p "$sandbox/cwd" "$sandbox/home" "$sandbox/tmp"
  cp -R "$seed_dir" "$sandbox/model"
  # The parameter file in a third of the runs, else one of the data files.
  mapfile -t files < <(cd "$sandbox/model" && ls -- *.csv | grep -v -x -e run.csv -e KORAVEParms.csv)
  rand 3
  if [ "$r" -eq 0 ] || [ ${#files[@]} -eq 0 ]; then
    target=KORAVEParms.csv
  else
    rand ${#files[@]}
    target=${files[$r]}
  fi
  applied=""
  rand 3
  for ((m = 0, mutations = r + 1; m < mutations; ++m)); do
    rand ${#operators[@]}
    did=""
    ${operators[$r]} "$sandbox/model/$target"
    applied="$applied $did"
  done
  printf '%s %s %s:%s\n' "$number" "$(basename "$seed_dir")" "$target" "$applied" >>"$log"
  check_run "$sandbox" --check-data "$number"
  check_run "$sandbox" --check-parms "$number"
  if ((i % 100 == 0)); then echo "$i mutated models, $runs runs, $findings findings"; fi
done

echo "Mutated models: $count (seed $seed, ${#seeds[@]} seed models); runs: $runs;" \
  "time limit ${limit}s per run"
for status in $(printf '%s\n' "${!outcomes[@]}" | sort -n); do
  echo "  exit $status: ${outcomes[$status]} runs"
done
if [ ${#could_not_run[@]} -gt 0 ]; then
  echo "Runs that could not check the model (exit 2), by message:"
  for message in "${!could_not_run[@]}"; do
    echo "  ${could_not_run[$message]} x $message"
  done
fi
echo "Findings: $findings"
if [ "$findings" -gt 0 ]; then
  echo "Kept in $work/findings; the mutations of each model are in $log"
  exit 1
fi
if [ "$keep_work" -eq 0 ]; then rm -rf "$work"; fi
exit 0
