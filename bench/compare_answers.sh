#!/usr/bin/env bash
# Checks that two builds of vorlex-cli give the same answers, for a change that should only make
# them faster: batch --auto reports (verdict, action, confidence, plausibility, sizes) and output
# files over a whole folder with -j 1 and -j 2, and `auto --refined --json` and `auto --best`
# (output and exit status) over the first LOOP files of it.
#
#   bench/compare_answers.sh OLD_CLI NEW_CLI FOLDER [WORK_DIR]   (LOOP=300)
set -euo pipefail
old="$1" new="$2" folder="$3"
work="${4:-$(mktemp -d "${TMPDIR:-/tmp}/vorlex-compare.XXXXXX")}"
: "${LOOP:=300}"
export VORLEX_SETTINGS="$work/settings.ini" # the built-in schemes
status=0

for jobs in 1 2; do
  for side in old new; do
    cli="$old"; [ "$side" = new ] && cli="$new"
    rm -rf "$work/out-$side"; mkdir -p "$work/out-$side"
    "$cli" batch --auto -r -j "$jobs" --out "$work/out-$side" --report "$work/$side.jsonl" \
      "$folder" >/dev/null 2>&1 || true
    sed "s|$work/out-$side|OUT|g" "$work/$side.jsonl" >"$work/$side-j$jobs.jsonl"
  done
  if cmp -s "$work/old-j$jobs.jsonl" "$work/new-j$jobs.jsonl" &&
    diff -r "$work/out-old" "$work/out-new" >/dev/null; then
    echo "batch --auto -j $jobs: $(wc -l <"$work/new-j$jobs.jsonl") files, same reports and outputs"
  else
    echo "batch --auto -j $jobs: DIFFERENT (see $work)"; status=1
  fi
done

mapfile -t files < <(find "$folder" -type f | sort | head -n "$LOOP")
differ=0
for file in "${files[@]}"; do
  for args in "--refined --json" "--best"; do
    # shellcheck disable=SC2086
    a=$("$old" auto $args "$file" 2>&1 | md5sum; echo "${PIPESTATUS[0]}")
    # shellcheck disable=SC2086
    b=$("$new" auto $args "$file" 2>&1 | md5sum; echo "${PIPESTATUS[0]}")
    [ "$a" = "$b" ] || { echo "auto $args $file: DIFFERENT"; differ=$((differ + 1)); }
  done
done
echo "auto --refined --json and auto --best: ${#files[@]} files, $differ different"
[ "$differ" -eq 0 ] || status=1
exit "$status"
