#!/usr/bin/env bash
# Runs one fuzz target of a build for a number of seconds, on a copy of its
# seed corpus so that nothing is written into the tree.
#
#   fuzz/run.sh BUILD_FOLDER TARGET SECONDS [libFuzzer options...]
#
# Exits with the target's status (0: nothing found). A crash, leak, time-out
# (an input over 2 s) or out-of-memory (over 2 GB) leaves its reproducer in
# the run's folder, which is then kept and named, and the reproducer is
# shown in hex so that a log alone can bring it back. FUZZ_KEEP=1 keeps the
# folder (and the corpus grown there) even when nothing was found.
set -euo pipefail

if [[ $# -lt 3 ]]; then
    echo "usage: $0 BUILD_FOLDER TARGET SECONDS [libFuzzer options...]" >&2
    exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$1 target=$2 seconds=$3
shift 3

# In memory where possible: a target may write files (and sync them) for
# every input. Its temporary files go into the run's folder too, so a crash
# leaves nothing elsewhere.
scratch=${TMPDIR:-/tmp}
[[ -n ${TMPDIR:-} || ! -w /dev/shm ]] || scratch=/dev/shm
run=$(mktemp -d "$scratch/$target.XXXXXX")
mkdir "$run/corpus" "$run/findings"
cp -R "$root/fuzz/corpus/$target/." "$run/corpus/"

# A smaller quarantine than AddressSanitizer's 256 MB keeps a long run's
# memory flat; a setting of the caller's own wins.
export ASAN_OPTIONS="quarantine_size_mb=64${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
status=0
TMPDIR=$run "$build/fuzz/$target" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=2048 \
    -dict="$root/fuzz/ostrel.dict" -artifact_prefix="$run/findings/" -print_final_stats=1 \
    "$@" "$run/corpus" || status=$?

shopt -s nullglob
findings=("$run"/findings/*)
for finding in "${findings[@]}"; do
    echo "reproducer $finding ($(stat -c %s "$finding") bytes):"
    od -A x -t x1z -v "$finding" | head -n 256
done
if [[ ${#findings[@]} != 0 && $status == 0 ]]; then
    status=1
fi
if [[ $status != 0 || ${FUZZ_KEEP:-0} == 1 ]]; then
    echo "$target: run folder kept: $run"
else
    rm -rf "$run"
fi
exit "$status"
