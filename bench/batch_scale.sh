#!/usr/bin/env bash
# The scale benchmark of batch --auto: small files a second with -j 1 and -j 2, large files in
# MB/s, peak memory, and a shell loop of `auto --best` over the same small files as the
# baseline (over the first LOOP of them, scaled).
#
#   bench/batch_scale.sh BUILD_DIR [WORK_DIR]   (SMALL=20000 LARGE=20 LARGE_MB=50 LOOP=1000)
set -euo pipefail
build="$1"
work="${2:-$(mktemp -d "${TMPDIR:-/tmp}/vorlex-batch-bench.XXXXXX")}"
cli="$build/cli/vorlex-cli"
here="$(cd "$(dirname "$0")" && pwd)"
: "${SMALL:=20000}" "${LARGE:=20}" "${LARGE_MB:=50}" "${LOOP:=1000}"
export VORLEX_SETTINGS="$work/settings.ini" # the built-in schemes

[ -d "$work/corpus/small" ] ||
  python3 "$here/make_batch_corpus.py" "$work/corpus" --small "$SMALL" --large "$LARGE" \
    --large-mb "$LARGE_MB"

# SECONDS PEAK_KB CPU_SECONDS of one command, its output thrown away (on a shared machine the
# processor time tells more than the wall clock).
measure() {
  /usr/bin/time -f '%e %M %U %S' -o "$work/time" "$@" >/dev/null 2>&1 || true
  tail -n 1 "$work/time" | awk '{ printf "%s %s %.2f\n", $1, $2, $3 + $4 }'
}
rate() { awk -v n="$1" -v t="$2" 'BEGIN { printf "%.0f", n / t }'; }

# Every run writes into a folder of its own, and the outputs are removed only at the end: on a file
# system without a journal (ext4 in that mode), each new file made soon after thousands were
# deleted makes the kernel step over every recently freed inode, which would be timed as the
# batch's own system time.
outs=()
for jobs in 1 2; do
  out=$(mktemp -d "$work/out-j$jobs.XXXXXX"); outs+=("$out")
  read -r seconds peak cpu < <(measure "$cli" batch --auto -r -j "$jobs" --out "$out" \
    --report "$work/small-j$jobs.jsonl" "$work/corpus/small")
  echo "small files, -j $jobs: $SMALL files in ${seconds}s = $(rate "$SMALL" "$seconds") files/s, ${cpu}s CPU, peak ${peak} KB"
done
out=$(mktemp -d "$work/out-large.XXXXXX"); outs+=("$out")
read -r seconds peak cpu < <(measure "$cli" batch --auto -r -j 2 --out "$out" "$work/corpus/large")
echo "large files, -j 2: $((LARGE * LARGE_MB)) MB in ${seconds}s = $(rate $((LARGE * LARGE_MB)) "$seconds") MB/s, ${cpu}s CPU, peak ${peak} KB"

mapfile -t first < <(find "$work/corpus/small" -type f | sort | head -n "$LOOP")
start=$(date +%s.%N)
for file in "${first[@]}"; do
  "$cli" auto --best "$file" >/dev/null 2>&1 || true
done
seconds=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { print e - s }')
echo "baseline, a shell loop of auto --best: ${#first[@]} files in ${seconds}s = $(rate "${#first[@]}" "$seconds") files/s"
rm -rf "${outs[@]}"
