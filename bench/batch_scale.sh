#!/usr/bin/env bash
# The scale benchmark of batch --auto: small files a second with -j 1 and -j 2, large files in
# MB/s (by --auto and by one chain of code tables, CHAIN), peak memory, and a shell loop of
# `auto --best` over the same small files as the baseline (over the first LOOP of them, scaled).
# SMALL=0 or LARGE=0 leaves that part out; each large-file run is made REPS times, the median
# given last. Outputs go to WORK_DIR/out: a folder on disk measures what a user gets, a tmpfs
# leaves the disk out.
#
#   bench/batch_scale.sh BUILD_DIR [WORK_DIR]
#     (SMALL=20000 LARGE=20 LARGE_MB=50 LOOP=1000 CHAIN=kw REPS=3)
set -euo pipefail
build="$1"
work="${2:-$(mktemp -d "${TMPDIR:-/tmp}/vorlex-batch-bench.XXXXXX")}"
cli="$build/cli/vorlex-cli"
here="$(cd "$(dirname "$0")" && pwd)"
: "${SMALL:=20000}" "${LARGE:=20}" "${LARGE_MB:=50}" "${LOOP:=1000}" "${CHAIN:=kw}" "${REPS:=3}"
export VORLEX_SETTINGS="$work/settings.ini" # the built-in schemes

[ -d "$work/corpus" ] ||
  python3 "$here/make_batch_corpus.py" "$work/corpus" --small "$SMALL" --large "$LARGE" \
    --large-mb "$LARGE_MB"

# SECONDS PEAK_KB CPU_SECONDS of one command, its output thrown away (on a shared machine the
# processor time tells more than the wall clock).
measure() {
  /usr/bin/time -f '%e %M %U %S' -o "$work/time" "$@" >/dev/null 2>&1 || true
  tail -n 1 "$work/time" | awk '{ printf "%s %s %.2f\n", $1, $2, $3 + $4 }'
}
rate() { awk -v n="$1" -v t="$2" 'BEGIN { printf "%.0f", n / t }'; }

[ "$SMALL" -eq 0 ] || for jobs in 1 2; do
  rm -rf "$work/out"; mkdir "$work/out"
  read -r seconds peak cpu < <(measure "$cli" batch --auto -r -j "$jobs" --out "$work/out" \
    --report "$work/small-j$jobs.jsonl" "$work/corpus/small")
  echo "small files, -j $jobs: $SMALL files in ${seconds}s = $(rate "$SMALL" "$seconds") files/s, ${cpu}s CPU, peak ${peak} KB"
done
perGB() { awk -v c="$1" -v m=$((LARGE * LARGE_MB)) 'BEGIN { printf "%.2f", c * 1000 / m }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# Each run starts with the outputs of the last one removed and written back to the disk.
large() {
  local name="$1" mb=$((LARGE * LARGE_MB)) walls=() cpus=() seconds peak cpu
  shift
  for _ in $(seq "$REPS"); do
    rm -rf "$work/out"; mkdir "$work/out"; sync
    read -r seconds peak cpu < <(measure "$cli" batch "$@" -r -j 2 --out "$work/out" "$work/corpus/large")
    walls+=("$seconds"); cpus+=("$cpu")
    echo "large files, $name, -j 2: $mb MB in ${seconds}s = $(rate "$mb" "$seconds") MB/s, ${cpu}s CPU = $(perGB "$cpu")s/GB, peak ${peak} KB"
  done
  seconds=$(printf '%s\n' "${walls[@]}" | median); cpu=$(printf '%s\n' "${cpus[@]}" | median)
  echo "large files, $name, -j 2, median of $REPS: $(rate "$mb" "$seconds") MB/s, $(perGB "$cpu")s CPU/GB"
}
if [ "$LARGE" -gt 0 ]; then
  large "--action '$CHAIN'" --action "$CHAIN"
  large "--auto" --auto
fi

[ "$SMALL" -eq 0 ] && { rm -rf "$work/out"; exit 0; }
mapfile -t first < <(find "$work/corpus/small" -type f | sort | head -n "$LOOP")
start=$(date +%s.%N)
for file in "${first[@]}"; do
  "$cli" auto --best "$file" >/dev/null 2>&1 || true
done
seconds=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { print e - s }')
echo "baseline, a shell loop of auto --best: ${#first[@]} files in ${seconds}s = $(rate "${#first[@]}" "$seconds") files/s"
rm -rf "$work/out"
