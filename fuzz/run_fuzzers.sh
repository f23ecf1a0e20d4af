#!/usr/bin/env bash
# Runs every harness in turn (docs/fuzzing.md): first each kept input of
# fuzz/regressions/<harness>/ once, then the fuzzer for SECONDS seconds on its corpus. Every
# harness runs even when an earlier one failed, so one report shows all faults; the exit
# status is 1 when any failed.
#
#   fuzz/run_fuzzers.sh BUILD_FOLDER SECONDS [HARNESS ...]   (every harness when none is named)
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?build folder}" && pwd)
seconds=${2:-60}

harnesses=(settings_file label_format wildcard sheet_file input_script keyin_arguments pcf_file grid_file auto_place session)
[ $# -gt 2 ] && harnesses=("${@:3}")

# Inputs no bigger than a user would write keep each run well below the 1 s limit.
declare -A max_len=(
    [settings_file]=8192 [label_format]=4096 [wildcard]=512
    [sheet_file]=65536 [input_script]=8192 [keyin_arguments]=256
    [pcf_file]=16384 [grid_file]=2048 [auto_place]=65536 [session]=4096
)
# Harnesses that read a format another harness has the keywords of.
declare -A dict_of=([auto_place]=sheet_file [session]=input_script)
# Files of the repository that make good first inputs.
declare -A seed_files=(
    [settings_file]="examples/*.ini tests/data/*.ini"
    [sheet_file]="examples/*.json tests/data/*.json"
    [auto_place]="examples/*.json tests/data/*.json"
    [input_script]="examples/*.txt"
    [pcf_file]="examples/*.pcf tests/data/revision/*.pcf"
)

# Whatever is found is a fault: sanitizer reports abort, and leaks count.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}
# Fontconfig keeps its font cache for the life of the process; the PDF plot's font lookup
# fills it (tests/sanitizer/lsan.supp says why no leak of ours hides behind this).
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/sanitizer/lsan.supp}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

common=(-timeout=1 -rss_limit_mb=2048 -malloc_limit_mb=2048)
mkdir -p "$build/artifacts" "$build/logs"
failed=()

for harness in "${harnesses[@]}"; do
    binary="$build/fuzz/${harness}_fuzzer"
    log="$build/logs/$harness.log"
    options=("${common[@]}" "-max_len=${max_len[$harness]}" "-artifact_prefix=$build/artifacts/$harness-")
    dict="$root/fuzz/dict/${dict_of[$harness]:-$harness}.dict"
    [ -f "$dict" ] && options+=("-dict=$dict")

    # One run per kept input: libFuzzer stops at the first that fails, and each should be
    # reported.
    if [ -d "$root/fuzz/regressions/$harness" ]; then
        while IFS= read -r -d '' file; do
            if ! "$binary" "${options[@]}" "$file" >"$log.regression" 2>&1; then
                echo "FAIL $harness: fuzz/regressions/$harness/$(basename "$file") fails again:"
                grep -E "fuzz check failed|^==[0-9]+==ERROR|^SUMMARY|runtime error" "$log.regression" | head -5
                failed+=("$harness/$(basename "$file")")
            fi
        done < <(find "$root/fuzz/regressions/$harness" -type f -print0 | sort -z)
    fi

    corpus="$build/corpus/$harness"
    mkdir -p "$corpus"
    [ -d "$root/fuzz/seeds/$harness" ] && cp "$root/fuzz/seeds/$harness"/* "$corpus"/ 2>/dev/null
    for pattern in ${seed_files[$harness]:-}; do
        for file in "$root"/$pattern; do [ -f "$file" ] && cp "$file" "$corpus"/; done
    done

    start=$(date +%s)
    "$binary" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 "$corpus" >"$log" 2>&1
    status=$?
    took=$(($(date +%s) - start))
    runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo "?")
    coverage=$(grep -Eo 'cov: [0-9]+' "$log" | tail -1 | grep -Eo '[0-9]+' || echo "?")
    if [ $status -eq 0 ]; then
        echo "ok   $harness: ${took}s, $runs runs, coverage $coverage, corpus $(ls "$corpus" | wc -l) inputs"
    else
        echo "FAIL $harness after ${took}s (log: $log); the input is in $build/artifacts/:"
        grep -E -A12 "^==[0-9]+==ERROR|fuzz check failed|ALARM|runtime error" "$log" | head -40
        failed+=("$harness")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]}"
    exit 1
fi
