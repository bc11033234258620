#!/usr/bin/env bash
# Runs every fuzz target for a while on its seed corpus and says how many inputs
# each tried. Usage: fuzz/run.sh BUILD_DIR [SECONDS]. New inputs go to a scratch
# folder; a finding stops the run with the input saved in fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
seconds=${2:-30}
targets=(fuzz_csv_line fuzz_csv_file fuzz_settings fuzz_clipboard fuzz_dates fuzz_cp932
         fuzz_query_builder fuzz_ndl_answer)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p fuzz/findings
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
for target in "${targets[@]}"; do
  mkdir -p "$work/$target"
  log="$work/$target.log"
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -seed=1 -print_final_stats=1 \
       -artifact_prefix=fuzz/findings/ "$work/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -40 "$log"
    echo "$target: FINDING (input in fuzz/findings/)"
    exit 1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  echo "$target: $runs inputs in ${seconds} s, no finding"
done
