#!/usr/bin/env bash
# Benchmarks of kopsou against peer tools on corpora made here: builds the
# project (Release) in build-bench/, makes the corpora that are missing, runs
# the chosen benchmarks warm and prints a table of times, ratios and targets.
#
#   bench/run.sh [--work DIR] [--runs N] [--scale F] [BENCHMARK...]
#
# Benchmarks: names content-ascii content-chinese window memory quick (all
# when none is named). --work: where corpora and results go (bench/work by
# default). --runs: timed runs per command after one untimed warm-up (5;
# the window benchmark takes 3 rounds of them, quick at least 15 runs).
# --scale: shrinks the corpora for a trial of the script; the targets hold
# only at scale 1. Exit status 0 when every benchmark passed, 1 otherwise.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(dirname "$here")
build="$top/build-bench"
work="$here/work"
runs=5
scale=1
all_benchmarks=(names content-ascii content-chinese window memory quick)
benchmarks=()

usage() { sed -n '6,13s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"; }

while (($#)); do
  case "$1" in
    --work) work=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --scale) scale=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    -*) echo "run.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
    *)
      if [[ " ${all_benchmarks[*]} " != *" $1 "* ]]; then
        echo "run.sh: unknown benchmark $1 (known: ${all_benchmarks[*]})" >&2
        exit 2
      fi
      benchmarks+=("$1"); shift ;;
  esac
done
((${#benchmarks[@]})) || benchmarks=("${all_benchmarks[@]}")
mkdir -p "$work"
work=$(cd "$work" && pwd)
results="$work/results"
rm -rf "$results"
mkdir -p "$results"
table="$results/table.tsv"
: >"$table"

selected() { [[ " ${benchmarks[*]} " == *" $1 "* ]]; }

# --- tools ------------------------------------------------------------------
missing=()
command -v hyperfine >/dev/null || missing+=(hyperfine)
selected names && ! command -v fdfind >/dev/null && missing+=(fd-find)
selected content-ascii && ! command -v rg >/dev/null && missing+=(ripgrep)
selected window && ! command -v xvfb-run >/dev/null && missing+=(xvfb xauth)
selected memory && ! [[ -x /usr/bin/time ]] && missing+=(time)
if ((${#missing[@]})); then
  echo "== installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# --- build ------------------------------------------------------------------
echo "== building in $build (Release)"
generator=()
if [[ ! -f "$build/CMakeCache.txt" ]] && command -v ninja >/dev/null; then generator=(-G Ninja); fi
cmake -S "$top" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >"$results/configure.log" \
  || { cat "$results/configure.log" >&2; exit 1; }
targets=(kopsou kopsou_make_corpus)
selected window && targets+=(kopsou_window_bench)
cmake --build "$build" -j2 --target "${targets[@]}" >"$results/build.log" \
  || { tail -n 40 "$results/build.log" >&2; exit 1; }
kopsou="$build/app/kopsou"
make_corpus="$build/bench/kopsou_make_corpus"
window_bench="$build/bench/kopsou_window_bench"

# --- helpers ----------------------------------------------------------------
corpus() {  # KIND: makes $work/KIND unless its stamp says it is there
  local log="$results/corpus-$1.log"
  "$make_corpus" --scale "$scale" "$1" "$work/$1" >"$log" 2>&1 || { cat "$log" >&2; return 1; }
  sed -n 's/^\(.*: \)/   \1/p' "$log"
}

info() {  # KIND KEY: a fact from the corpus's info file
  sed -n "s/^$2=//p" "$work/$1/info"
}

quote() {  # the arguments as one command line for hyperfine --shell=none
  local out="" arg
  for arg in "$@"; do out+="'${arg//\'/\'\\\'\'}' "; done
  printf '%s' "${out% }"
}

median() {  # NAME COMMAND...: median seconds of the command, warm
  local json="$results/$1.json"
  shift
  hyperfine --shell=none --warmup 1 --runs "${timed_runs:-$runs}" --style none --export-json "$json" \
    -- "$(quote "$@")" >"$results/hyperfine.log" 2>&1 \
    || { cat "$results/hyperfine.log" >&2; return 1; }
  json_median "$json"
}

json_median() {  # JSON: the first median of a hyperfine export, in seconds
  sed -n 's/^ *"median": *\([0-9.eE+-]*\),*$/\1/p' "$1" | head -n 1 | awk '{ printf "%.4f\n", $1 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
at_most() { awk -v r="$1" -v t="$2" 'BEGIN { exit !(r <= t) }'; }
at_least() { awk -v r="$1" -v t="$2" 'BEGIN { exit !(r >= t) }'; }
verdict() { if "$@"; then echo PASS; else echo FAIL; fi; }

row() {  # BENCHMARK KOPSOU PEER RATIO TARGET VERDICT
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$@" >>"$table"
}

note() { printf '   %s\n' "$*" | tee -a "$results/notes.txt"; }

kopsou_search() {  # DATA-NAME ARGS...: the command line of a kopsou search
  printf '%s\0' "$kopsou" search --data-dir "$work/data/$1" "${@:2}"
}

lines() { wc -l <"$1" | tr -d ' '; }

# Found/expected of one tool's file list against a planted list, by form:
# "12/12 (UTF-16LE 4/4, of them with BOM 2/2), 0 unplanted".
found_report() {  # FOUND-LIST PLANTED-TSV ROOT
  awk -F '\t' -v root="$3/" '
    FILENAME == ARGV[1] { if (index($0, root) == 1) $0 = substr($0, length(root) + 1); found[$0] = 1; nfound++; next }
    {
      wide = $1 ~ /^utf16le/; bom = $1 == "utf16le-bom"
      n++; nw += wide; nb += bom
      if ($3 in found) { f++; fw += wide; fb += bom; hit++ }
    }
    END {
      printf "%d/%d (UTF-16LE %d/%d, of them with BOM %d/%d), %d unplanted\n", f, n, fw, nw, fb, nb, nfound - hit
    }' "$1" "$2"
}

# --- benchmarks -------------------------------------------------------------
bench_names() {
  corpus names
  local root="$work/names/tree" expected
  expected=$(info names txt_files)
  local -a kop peer
  mapfile -d '' kop < <(kopsou_search names --type '*.txt' "$root")
  peer=(fdfind -u -j1 -e txt . "$root")
  "${kop[@]}" >"$results/names-kopsou.out"
  "${peer[@]}" >"$results/names-fd.out"
  note "names: files found: kopsou $(lines "$results/names-kopsou.out"), fd $(lines "$results/names-fd.out"), .txt files in the corpus $expected"
  local tk tp r
  tk=$(median names-kopsou "${kop[@]}")
  tp=$(median names-fd "${peer[@]}")
  r=$(ratio "$tk" "$tp")
  row names "$tk" "$tp" "$r" "<= 0.80" "$(verdict at_most "$r" 0.80)"
}

# content-ascii and content-chinese: KIND KEYWORD-KEY TARGET PEER-NAME PEER...
content_benchmark() {
  local name=$1 key=$2 target=$3 peer_name=$4
  shift 4
  corpus content
  local root="$work/content/tree" keyword planted="$work/content/planted-${key}.tsv"
  keyword=$(info content "${key}_keyword")
  local -a kop peer
  mapfile -d '' kop < <(kopsou_search content --type '*.txt' --keyword "$keyword" "$root")
  peer=("$@" "$keyword" "$root")
  "${kop[@]}" >"$results/$name-kopsou.out" || true
  "${peer[@]}" >"$results/$name-$peer_name.out" || true
  local kop_found peer_found
  kop_found=$(found_report "$results/$name-kopsou.out" "$planted" "$root")
  peer_found=$(found_report "$results/$name-$peer_name.out" "$planted" "$root")
  note "$name: keyword '$keyword', $(info content txt_bytes) bytes in $(info content txt_files) .txt files"
  note "$name: found/expected: kopsou $kop_found"
  note "$name: found/expected: $peer_name $peer_found"
  local tk tp r v
  tk=$(median "$name-kopsou" "${kop[@]}")
  tp=$(median "$name-$peer_name" "${peer[@]}")
  r=$(ratio "$tk" "$tp")
  v=$(verdict at_most "$r" "$target")
  local expected
  expected=$(wc -l <"$planted" | tr -d ' ')
  if [[ "$kop_found" != "$expected/$expected "*", 0 unplanted" ]]; then
    v="FAIL(found)"
    note "$name: kopsou did not find exactly the planted files"
  fi
  row "$name" "$tk" "$tp" "$r" "<= $target" "$v"
}

bench_content_ascii() {
  content_benchmark content-ascii ascii 0.80 rg rg -l -i -F -uuu -j1 --iglob '*.txt'
}

bench_content_chinese() {
  content_benchmark content-chinese chinese 1.15 grep env LC_ALL=C grep -rlaF --include='*.txt'
}

# Searches that take well under a second get more runs: one disturbance
# moves a median of five.
short_runs=$((runs > 15 ? runs : 15))

median_of() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.4f", (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'; }

bench_window() {
  corpus window
  local root="$work/window/tree" expected
  expected=$(info window txt_files)
  local -a kop
  mapfile -d '' kop < <(kopsou_search window --type '*.txt' "$root")
  "${kop[@]}" >"$results/window-kopsou.out"
  note "window: $expected files to list; the command line lists $(lines "$results/window-kopsou.out")"
  # The window and the command line take turns, three rounds, so that a
  # machine that speeds up or slows down meanwhile weighs on both sides.
  local -a window=("$window_bench" "$root" '*.txt' "$expected" "$runs")
  local -a tcs txs tos
  local round t
  for round in 1 2 3; do
    t=$(median "window-command-line-$round" "${kop[@]}")
    tcs+=("$t")
    t=$(xvfb-run -a -s "-screen 0 1280x1024x24" "${window[@]}" 2>>"$results/window-xvfb.log") \
      || { cat "$results/window-xvfb.log" >&2; return 1; }
    txs+=("$t")
    t=$(QT_QPA_PLATFORM=offscreen "${window[@]}" 2>>"$results/window-offscreen.log") \
      || { cat "$results/window-offscreen.log" >&2; return 1; }
    tos+=("$t")
  done
  note "window: round medians: command line ${tcs[*]}; xvfb ${txs[*]}; offscreen ${tos[*]}"
  local tc tx to r
  tc=$(median_of "${tcs[@]}")
  tx=$(median_of "${txs[@]}")
  to=$(median_of "${tos[@]}")
  r=$(ratio "$tx" "$tc")
  row window-xvfb "$tx" "$tc" "$r" "<= 1.30" "$(verdict at_most "$r" 1.30)"
  r=$(ratio "$to" "$tc")
  row window-offscreen "$to" "$tc" "$r" "<= 1.30" "$(verdict at_most "$r" 1.30)"
}

peak_rss_kib() {  # ROOT: peak resident set of a content search of ROOT, warm
  local -a kop
  mapfile -d '' kop < <(kopsou_search memory --type '*.txt' --keyword "$(info memory absent_keyword)" "$1")
  local status=0
  "${kop[@]}" >/dev/null || status=$?
  ((status == 1)) || { echo "memory: kopsou exited $status, 1 (nothing found) expected" >&2; return 1; }
  /usr/bin/time -v -o "$results/memory-time.txt" "${kop[@]}" >/dev/null || true
  sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): *//p' "$results/memory-time.txt"
}

bench_memory() {
  corpus memory
  local without with
  without=$(peak_rss_kib "$work/memory/without")
  with=$(peak_rss_kib "$work/memory/with")
  local diff_mib
  diff_mib=$(awk -v a="$with" -v b="$without" 'BEGIN { printf "%+.1f", (a - b) / 1024 }')
  note "memory: peak RSS $((without / 1024)) MiB over the small tree, $((with / 1024)) MiB with a $(( $(info memory big_file_bytes) / 1048576 )) MiB file added: $diff_mib MiB"
  row memory "$(awk -v k="$with" 'BEGIN { printf "%.1f MiB", k / 1024 }')" \
    "$(awk -v k="$without" 'BEGIN { printf "%.1f MiB", k / 1024 }')" "$diff_mib MiB" "<= +16 MiB" \
    "$(verdict at_most "$diff_mib" 16)"
}

bench_quick() {
  corpus quick
  local timed_runs=$short_runs
  local root="$work/quick/tree" expected
  expected=$(info quick txt_files)
  local -a full quick idle
  mapfile -d '' full < <(kopsou_search quick --type '*.txt' "$root")
  mapfile -d '' quick < <(kopsou_search quick --quick --type '*.txt' "$root")
  "${full[@]}" >"$results/quick-full.out"
  "${quick[@]}" >"$results/quick-quick.out"
  note "quick: $(info quick folders) folders, $(info quick txt_folders) with .txt files; found: full $(lines "$results/quick-full.out"), quick $(lines "$results/quick-quick.out"), expected $expected"
  local tf tq r
  tf=$(median quick-full "${full[@]}")
  tq=$(median quick-quick "${quick[@]}")
  # What every run pays before it searches: a search of an empty folder.
  mkdir -p "$work/empty"
  mapfile -d '' idle < <(kopsou_search empty --type '*.txt' "$work/empty")
  hyperfine --shell=none --warmup 1 --runs "$short_runs" --style none -i --export-json "$results/quick-startup.json" \
    -- "$(quote "${idle[@]}")" >/dev/null 2>&1 || true
  local startup
  startup=$(json_median "$results/quick-startup.json")
  note "quick: a search of an empty folder (start-up and exit) takes $startup s;" \
    "quick less that: $(awk -v q="$tq" -v s="$startup" 'BEGIN { printf "%.4f", q - s }') s"
  r=$(ratio "$tf" "$tq")
  row quick "$tq" "$tf" "$r" ">= 20" "$(verdict at_least "$r" 20)"
}

# --- run --------------------------------------------------------------------
# Timings mean little while something else keeps the two cores busy.
load=$(cut -d ' ' -f 1 /proc/loadavg)
echo "== load average at start: $load"
awk -v l="$load" 'BEGIN { exit !(l > 0.5) }' && echo "   (the machine is busy: expect noisy timings)"
for benchmark in "${benchmarks[@]}"; do
  echo "== $benchmark"
  set +e
  (set -e; "bench_${benchmark//-/_}")
  status=$?
  set -e
  ((status == 0)) || row "$benchmark" - - - - "ERROR($status)"
done

echo
echo "kopsou against its peers (median of $runs warm runs; window: median of 3 rounds of that; quick: $short_runs runs;"
echo "seconds unless marked; load average at start $load)"
echo "peers: names fdfind; content-ascii rg; content-chinese grep; window-* the command line;"
echo "       memory: kopsou column with the big file, peer column without; quick: kopsou --quick, peer the full search"
printf '%-17s %12s %12s %10s %11s  %s\n' benchmark kopsou peer ratio target result
awk -F '\t' '{ printf "%-17s %12s %12s %10s %11s  %s\n", $1, $2, $3, $4, $5, $6 }' "$table"
! grep -qv $'\tPASS$' "$table"
