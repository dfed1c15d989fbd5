#!/usr/bin/env bash
# Runs the fuzz targets for a while, each on its own corpus under build-fuzz/corpus/,
# seeded from the examples' input.txt and fuzz/seeds/ (fuzz_model: the examples' model.json
# and fuzz/model_seeds/). Findings land in build-fuzz/findings/.
# Usage: fuzz/run.sh [SECONDS_PER_TARGET] [TARGET...]   (default 60 s, every target)
# Exit status 1 when a target reported a finding.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)  # absolute paths: the pipeline target works in a directory of its own
seconds=${1:-60}
shift || true
targets=("$@")
(( ${#targets[@]} )) || targets=(fuzz_input fuzz_pipeline fuzz_model)
status=0
mkdir -p build-fuzz/findings
for t in "${targets[@]}"; do
  corpus=$root/build-fuzz/corpus/$t
  mkdir -p "$corpus"
  dict=$root/fuzz/kalvane.dict
  if [[ $t == fuzz_model ]]; then
    # Model files: the bundled ones, the edge files and the regressions in their format.
    dict=$root/fuzz/model.dict
    for f in examples/*/model.json; do cp "$f" "$corpus/example-$(basename "$(dirname "$f")")"; done
    cp fuzz/model_seeds/* "$corpus/"
    for f in tests/fuzz_regressions/*.json; do [[ -f $f ]] && cp "$f" "$corpus/"; done
  else
    for f in examples/*/input.txt; do cp "$f" "$corpus/example-$(basename "$(dirname "$f")")"; done
    cp fuzz/seeds/* "$corpus/"
    for f in tests/fuzz_regressions/*.txt; do [[ -f $f ]] && cp "$f" "$corpus/"; done
  fi
  echo "fuzzing $t for $seconds s"
  if ! nice -n 19 "build-fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=64 -max_len=4096 \
       -dict="$dict" -artifact_prefix="$root/build-fuzz/findings/$t-" -print_final_stats=1 \
       "$corpus" 2>"build-fuzz/$t.log"; then
    status=1
    echo "$t: finding; see build-fuzz/$t.log and build-fuzz/findings/" >&2
    tail -n 40 "build-fuzz/$t.log" >&2
  fi
  grep -E '^stat::number_of_executed_units|^Done' "build-fuzz/$t.log" || true
done
exit $status
