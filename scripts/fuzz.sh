#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz) and runs each for SECONDS (30 unless given) from its
# seeds and the test fixtures, two at a time. A crash leaves its input in build/fuzz/findings and
# fails the run. The growing corpus is kept in build/fuzz/corpus between runs.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
jobs=${FUZZ_JOBS:-2}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
bin=build/fuzz/fuzz
work=build/fuzz
mkdir -p "$work/findings" "$work/logs"
# The jar and profile targets write a file per input; in memory that costs no disk sync.
scratch=$(mktemp -d "$( [ -d /dev/shm ] && echo /dev/shm || echo /tmp )/tessel-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

# Seeds: the target's own, and the fixtures of the format it reads.
seed() {
    local target=$1 corpus=$work/corpus/$1
    mkdir -p "$corpus"
    if [ -d "fuzz/seeds/$target" ]; then cp -n fuzz/seeds/"$target"/* "$corpus"/; fi
    case $target in
        profile_fuzz) cp -n tests/data/*.ini "$corpus"/ ;;
        cookie_jar_fuzz) cp -n tests/data/jar_*.txt tests/data/hostile_jar_*.txt "$corpus"/ ;;
        code_page_fuzz) cp -n tests/data/*.ini "$corpus"/ ;;
    esac
}

run() {
    local target=$1 log=$work/logs/$1.log
    # A leaked allocation is not a finding in a parser fuzzed in one process; memory stays
    # bounded by -rss_limit_mb.
    if "$bin/$target" "$work/corpus/$target" -dict=fuzz/tessel.dict -max_total_time="$seconds" \
        -max_len=65536 -rss_limit_mb=2048 -timeout=10 -detect_leaks=0 \
        -artifact_prefix="$work/findings/$target-" -print_final_stats=1 >"$log" 2>&1; then
        local runs
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        local cov
        cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
        echo "fuzz: $target: $runs runs, $cov"
    else
        echo "fuzz: $target FAILED, see $log" >&2
        grep -E 'ERROR|property broken|runtime error' "$log" | head -5 >&2
        return 1
    fi
}

targets=$(ls fuzz/*_fuzz.cpp | xargs -n1 basename | sed 's/\.cpp$//')
for target in $targets; do seed "$target"; done
export -f run
export work bin seconds
failed=0
printf '%s\n' $targets | xargs -P "$jobs" -I{} bash -c 'run {}' || failed=1
exit $failed
