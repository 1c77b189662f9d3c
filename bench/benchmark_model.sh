# Shared by the benchmark scripts, which source it: the DuckDB package and
# the benchmark model with its transactions and the pool of each code pair.
#
#   install_bench_tools                installs "time", "nodejs" and "npm"
#                                      with apt-get where they are missing
#   install_duckdb_api ROOT SCRIPT...  installs @duckdb/node-api into
#                                      ROOT/bench/.duckdb once and copies the
#                                      given .mjs scripts beside it
#   make_benchmark_model ROOT BIN MODEL COUNT
#                                      writes the model into MODEL, COUNT
#                                      generated transactions unless there,
#                                      and MODEL/pool_map.csv
#   write_run_file MODEL NAME REPORT...
#                                      writes MODEL/NAME_run.csv, a run of
#                                      the model and its transactions with
#                                      the given reports into MODEL/NAME_out
#   verify_peer ROOT BIN MODEL THREADS
#                                      runs korava with reports 15, 33 and 41
#                                      and the DuckDB job on the model and
#                                      compares their cubes and pool values
#                                      (bench/verify_job.mjs); prints its
#                                      line, returns 1 when they differ and
#                                      3 when the DuckDB job refuses the model

install_bench_tools() {
  local missing=()
  command -v /usr/bin/time >/dev/null || missing+=(time)
  command -v node >/dev/null || missing+=(nodejs)
  command -v npm >/dev/null || missing+=(npm)
  ((${#missing[@]} == 0)) && return
  echo "installing ${missing[*]}"
  local sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

install_duckdb_api() {
  local root=$1
  shift
  local duckdb_dir="$root/bench/.duckdb"
  if [[ ! -d "$duckdb_dir/node_modules/@duckdb/node-api" ]]; then
    echo "installing @duckdb/node-api into $duckdb_dir"
    mkdir -p "$duckdb_dir"
    npm install --silent --no-audit --no-fund --prefix "$duckdb_dir" @duckdb/node-api >/dev/null
  fi
  local script
  for script in "$@"; do cp "$root/bench/$script" "$duckdb_dir/"; done
}

make_benchmark_model() {
  local root=$1 bin=$2 model=$3 count=$4
  # The model is small and rewritten every time, so a folder kept from an
  # earlier version of make_model.sh never runs a stale model; the
  # transactions depend only on the dimensions and are made once.
  "$root/bench/make_model.sh" "$model"
  if [[ ! -f "$model/transactions.csv" ]]; then
    echo "writing $count transactions into $model"
    "$bin/korava-gen" "$model/model_run.csv" "$count" "$model/transactions.csv.part" 42
    mv "$model/transactions.csv.part" "$model/transactions.csv"
  fi
  # The pool each account and department reach: groups R01..R20 take
  # accounts AC1..AC20 and their pools P01..P10 departments DP1..DP10; what a
  # group's pools leave goes to its not-selected pool, other accounts to the
  # not-selected group's.
  awk -F, 'NR == FNR { accounts[++a] = $1; next }
    { for (i = 1; i <= a; i++) {
        account = accounts[i]; pool = ".NOTSEL..NOTSEL"
        if (account ~ /^AC[0-9]+$/ && substr(account, 3) + 0 <= 20) {
          group = sprintf("R%02d", substr(account, 3) + 0); pool = ".NOTSEL." group
          if ($1 ~ /^DP[0-9]+$/ && substr($1, 3) + 0 <= 10) pool = sprintf("%sP%02d", group, substr($1, 3) + 0)
        }
        print account "," $1 "," pool } }' "$model/DIM1.csv" "$model/DIM2.csv" >"$model/pool_map.csv"
}

write_run_file() {
  local model=$1 name=$2
  shift 2
  mkdir -p "$model/${name}_out"
  {
    echo "\$ODIR,,./${name}_out"
    grep -v '^\$ODIR' "$model/model_run.csv"
    echo '$FILE,TX,transactions.csv'
    echo "\$FILE,MODEL,${name}_reports.csv"
  } >"$model/${name}_run.csv"
  printf 'REP,%s\n' "$@" >"$model/${name}_reports.csv"
}

verify_peer() {
  local root=$1 bin=$2 model=$3 threads=$4 duckdb_dir="$1/bench/.duckdb" code=0
  write_run_file "$model" verify 15 33 41
  "$bin/korava" --quiet "$model/verify_run.csv" 2>"$model/verify_stderr.txt" ||
    { cat "$model/verify_stderr.txt" >&2; echo "korava failed on $model" >&2; return 1; }
  mkdir -p "$model/verify_peer"
  node "$duckdb_dir/duckdb_job.mjs" "$model/verify_run.csv" "$threads" "$model/verify_peer" >/dev/null || code=$?
  ((code == 0)) || return "$code"
  node "$duckdb_dir/verify_job.mjs" "$model/verify_out" "$model/verify_peer" "$threads"
}
