#!/usr/bin/env bash
# Execution rate of every fuzz target of a build: each runs SECONDS (default
# 60) from its seed corpus, and libFuzzer's final statistics give its
# executions per second. The executions per second of processor time the
# target and libFuzzer used stay comparable when other work shares the
# machine. Prints figures; not a test.
#
#   bench/fuzz_rates.sh [BUILD_FOLDER [SECONDS]]   (default build-fuzz, 60)
#
# Targets run one after the other, each on one core; a finding is reported
# and the remaining targets still run.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-fuzz}
seconds=${2:-60}
targets=$build/fuzz/targets.txt
if [[ ! -f $targets ]]; then
    echo "no fuzz targets in $build (configure with CXX=clang++ -DOSTREL_FUZZ=ON)" >&2
    exit 1
fi

echo "fuzz targets of $build, $seconds s each, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
summary=()
while read -r target; do
    status=0
    log=$(mktemp)
    # The user and system seconds the target and libFuzzer used.
    TIMEFORMAT='%U %S'
    { time "$root/fuzz/run.sh" "$build" "$target" "$seconds" >"$log" 2>&1 </dev/null || status=$?; } 2>"$log.time"
    output=$(<"$log")
    cpu=$(awk '{ printf "%.1f", $1 + $2 }' "$log.time")
    rm -f "$log" "$log.time"
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' <<<"$output")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' <<<"$output")
    peak=$(sed -n 's/^stat::peak_rss_mb: *//p' <<<"$output")
    percpu=$(awk -v e="${execs:-0}" -v c="$cpu" 'BEGIN { printf "%d", (c > 0 ? e / c : 0) }')
    printf '%-24s %8s execs/s %8s execs/CPU-s %10s execs  peak RSS %5s MB\n' \
        "$target" "$rate" "$percpu" "$execs" "$peak"
    if [[ $status != 0 ]]; then
        echo "$target: FINDING (status $status):"
        grep -E 'ERROR|property broken|reproducer|kept' <<<"$output" || true
    fi
    summary+=("$target ${rate:-?}/s")
done <"$targets"
echo "fuzz rates: ${summary[*]}"
