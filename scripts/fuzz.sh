#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60) on its corpus
# in tests/fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# The committed corpus is only read: new inputs go to a scratch folder, and with
# VORLEX_FUZZ_MERGE=1 the ones that add coverage are merged into the corpus (-merge=1) at the
# end. A crash stops the run with status 1 and leaves the input in the scratch folder's
# artifacts/. VORLEX_FUZZ_BUILD names the build folder (default build-fuzz).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
build="${VORLEX_FUZZ_BUILD:-$root/build-fuzz}"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_parse_action fuzz_recode_text fuzz_recode_document fuzz_sample_source
           fuzz_read_list_line fuzz_update_answer fuzz_unicode_views)
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVORLEX_BUILD_FUZZ=ON -DVORLEX_BUILD_TESTS=OFF -DVORLEX_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target "${targets[@]}" -j 2

scratch="$(mktemp -d "${TMPDIR:-/tmp}/vorlex-fuzz.XXXXXX")"
echo "scratch folder: $scratch"
for target in "${targets[@]}"; do
  corpus="$root/tests/fuzz/corpus/$target"
  mkdir -p "$corpus" "$scratch/$target/new" "$scratch/$target/artifacts"
  echo "== $target for ${seconds}s"
  if ! "$build/tests/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$scratch/$target/artifacts/" \
      "$scratch/$target/new" "$corpus" 2>"$scratch/$target/log"; then
    tail -n 60 "$scratch/$target/log"
    echo "$target: FAILED, input in $scratch/$target/artifacts/" >&2
    exit 1
  fi
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec)' \
    "$scratch/$target/log" || true
  if [ "${VORLEX_FUZZ_MERGE:-0}" = 1 ]; then
    "$build/tests/fuzz/$target" -merge=1 -max_len=4096 "$corpus" "$scratch/$target/new" \
      2>>"$scratch/$target/log"
  fi
done
rm -rf "$scratch"
