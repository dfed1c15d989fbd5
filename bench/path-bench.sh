#!/usr/bin/env bash
# kalvane-path side by side with kalvane and CalculiX on this machine. Every figure is a
# ratio of runs made one after the other in this one invocation, each the median of REPS
# runs; a measuring script, never a test, and it fails on no figure.
#
#   bench/path-bench.sh [BUILD_DIR]     (default: build)
#
# 1. `kalvane-generate net NET_BARS`: kalvane-path against kalvane's own run (target: at
#    most 2x kalvane's time).
# 2. `kalvane-generate tower TOWER_BARS`: kalvane-path, which ends at rounding level,
#    against kalvane with the tolerance 1e-6 (target: at least 10x faster); then against
#    CalculiX (ccx) at one and at two threads on the deck that `kalvane-check --calculix`
#    writes (target: at least 20x faster; a straight stage is taken in one step).
# 3. `kalvane-generate net BIG_NET_BARS`: kalvane-path's peak resident memory (target: within
#    4 GB); BIG_NET_BARS=0 leaves it out.
#
# Environment: REPS (default 3), NET_BARS (100000), TOWER_BARS (20000), BIG_NET_BARS (1000000);
# NET_BARS=0 leaves out the first.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
reps=${REPS:-3}
net_bars=${NET_BARS:-100000}
tower_bars=${TOWER_BARS:-20000}
big_net_bars=${BIG_NET_BARS:-1000000}
for program in kalvane kalvane-path kalvane-check kalvane-generate; do
  [[ -x $build/$program ]] || { echo "path-bench: $build/$program is missing (build it first)" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "path-bench: /usr/bin/time is missing (Debian's package time)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/path-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# timed FOLDER COMMAND...: runs it there; sets seconds, peak_kb and status.
timed() {
  local folder=$1
  shift
  status=0
  (cd "$folder" && /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$work/out" 2>"$work/err") || status=$?
  read -r seconds peak_kb < <(tail -n 1 "$work/time")
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }'; }
gigabytes() { awk -v kb="$1" 'BEGIN { printf "%.2f", kb / 1048576 }'; }

# generate KIND BARS FOLDER [OPTIONS...]
generate() {
  mkdir -p "$3"
  "$build/kalvane-generate" "$1" "$2" "${@:4}" -o "$3/input.txt" 2>"$work/counts"
  counts=$(cat "$work/counts")
}

# The tolerance (third number of the settings line) of FOLDER/input.txt set to VALUE.
set_tolerance() {
  awk -v t="$2" 'NR == 3 { $3 = t } { print }' "$1/input.txt" >"$1/input.new" && mv "$1/input.new" "$1/input.txt"
}

# pair NAME_A FOLDER_A COMMAND_A -- NAME_B FOLDER_B COMMAND_B: REPS runs of each, in turn;
# sets median_a and median_b.
pair() {
  local a_folder=$2 b_folder
  local -a a_command=() b_command=()
  shift 2
  while [[ $1 != -- ]]; do a_command+=("$1"); shift; done
  shift
  b_folder=$1
  shift
  b_command=("$@")
  : >"$work/a"
  : >"$work/b"
  for ((r = 0; r < reps; ++r)); do
    timed "$a_folder" "${a_command[@]}"
    echo "$seconds" >>"$work/a"
    a_status=$status
    timed "$b_folder" "${b_command[@]}"
    echo "$seconds" >>"$work/b"
    b_status=$status
    b_summary=$(cat "$work/out")
  done
  median_a=$(median <"$work/a")
  median_b=$(median <"$work/b")
}

echo "kalvane-path benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores:" \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "medians of $reps runs each, wall-clock seconds"
echo

# 1. The 10^5-bar net.
if ((net_bars > 0)); then
  net="$work/net"
  generate net "$net_bars" "$net"
  echo "net $net_bars ($counts)"
  pair kalvane "$net" "$build/kalvane" -- "$net" "$build/kalvane-path"
  echo "  kalvane ${median_a} s (exit $a_status), kalvane-path ${median_b} s (exit $b_status):" \
    "kalvane-path / kalvane = $(ratio "$median_b" "$median_a") (target: at most 2)"
  echo "  $(grep '^Path:' <<<"$b_summary")"
  echo
fi

# 2. The 20k-bar tower: kalvane at 1e-6 (with room for its iterations) against the path.
tower="$work/tower"
generate tower "$tower_bars" "$tower" --iterations 1000000
set_tolerance "$tower" 1e-6
echo "tower $tower_bars ($counts)"
pair kalvane "$tower" "$build/kalvane" -- "$tower" "$build/kalvane-path"
path_seconds=$median_b
echo "  kalvane at tolerance 1e-6 ${median_a} s (exit $a_status), kalvane-path ${median_b} s (exit $b_status):" \
  "$(ratio "$median_a" "$median_b")x faster (target: at least 10x)"
echo "  $(grep '^Path:' <<<"$b_summary")"
(cd "$tower" && "$build/kalvane-check" --dir path --no-path --calculix >"$work/check" 2>&1) || true
grep -E '^(3\. Refinement|   digits right)' "$work/check" | sed 's/^ */  kalvane-check on path\/: /'
if command -v ccx >/dev/null && [[ -f $tower/path/calculix/model.inp ]]; then
  mkdir -p "$work/ccx"
  cp "$tower/path/calculix/model.inp" "$work/ccx/model.inp"
  for threads in 1 2; do
    : >"$work/c"
    for ((r = 0; r < reps; ++r)); do
      timed "$work/ccx" env OMP_NUM_THREADS=$threads ccx -i model
      echo "$seconds" >>"$work/c"
    done
    ccx_seconds=$(median <"$work/c")
    echo "  CalculiX (ccx, OMP_NUM_THREADS=$threads) ${ccx_seconds} s (exit $status) on kalvane-check's deck:" \
      "kalvane-path $(ratio "$ccx_seconds" "$path_seconds")x faster (target: at least 20x)"
  done
else
  echo "  CalculiX: not measured (no ccx on the PATH, or kalvane-check wrote no deck)"
fi
echo

# 3. The 10^6-bar net: memory.
if ((big_net_bars > 0)); then
  big="$work/big"
  generate net "$big_net_bars" "$big"
  echo "net $big_net_bars ($counts)"
  timed "$big" "$build/kalvane-path"
  echo "  kalvane-path peak resident memory $(gigabytes "$peak_kb") GB (target: within 4 GB), ${seconds} s (exit $status)"
  echo "  $(grep '^Path:' "$work/out")"
fi
