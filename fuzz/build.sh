#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ into build-fuzz/ (next to build/):
#   build-fuzz/fuzz_input      the reader alone, on arbitrary bytes
#   build-fuzz/fuzz_pipeline   the whole run on small inputs, in a scratch directory
# Usage: fuzz/build.sh [-jN]   (default -j2)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${1:--j2}
jobs=${jobs#-j}
out=build-fuzz
mkdir -p "$out/obj"
cxx=${CXX_FUZZ:-clang++}
flags=(-std=c++20 -O1 -g -ffp-contract=off -fno-fast-math -fno-omit-frame-pointer
       -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -Isrc)
# Every source of the core library: all of src/ but the program's entry and the viewer.
mapfile -t sources < <(find src -name '*.cpp' ! -path src/kalvane.cpp ! -path 'src/view/*' | sort)
objects=()
for s in "${sources[@]}"; do objects+=("$out/obj/$(echo "${s%.cpp}" | tr / _).o"); done
compile() {  # source object
  if [[ ! -f $2 || $1 -nt $2 || fuzz/build.sh -nt $2 || -n $(find src -name '*.hpp' -newer "$2" -print -quit) ]]; then
    "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$1" -o "$2"
  fi
}
pids=()
for i in "${!sources[@]}"; do
  compile "${sources[$i]}" "${objects[$i]}" &
  pids+=($!)
  if (( ${#pids[@]} >= jobs )); then wait "${pids[0]}"; pids=("${pids[@]:1}"); fi
done
for p in "${pids[@]}"; do wait "$p"; done
for target in fuzz_input fuzz_pipeline; do
  "$cxx" "${flags[@]}" -fsanitize=fuzzer "fuzz/$target.cpp" "${objects[@]}" -o "$out/$target"
done
echo "built $out/fuzz_input and $out/fuzz_pipeline"
