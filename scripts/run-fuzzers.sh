#!/usr/bin/env bash
# Builds the libFuzzer targets (preset `fuzz`, clang with ASan and UBSan) and runs each for a bounded
# time on a copy of its seed corpus. Fails when any target finds a crash, leak, timeout or memory blow-up.
#
#   scripts/run-fuzzers.sh [build-dir] [seconds-per-target]     (defaults: build/fuzz, 20)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/fuzz}")
seconds=${2:-${QUILL_FUZZ_SECONDS:-20}}

targets=(rtf_fuzzer word_binary_fuzzer office_package_fuzzer plain_text_fuzzer)
declare -A max_len=([rtf_fuzzer]=16384 [word_binary_fuzzer]=32768 [office_package_fuzzer]=32768
                    [plain_text_fuzzer]=8192)

(cd "$root" && cmake --preset fuzz -B "$build" >/dev/null)
cmake --build "$build" -j2 --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
failed=()
for target in "${targets[@]}"; do
    mkdir -p "$work/$target"
    echo "== $target: ${seconds}s"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len="${max_len[$target]}" -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
        "$work/$target" "$root/fuzz/corpus/$target" >"$work/$target.log" 2>&1; then
        failed+=("$target")
        tail -n 60 "$work/$target.log"
    else
        grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$work/$target.log" | tr '\n' ' '
        echo
    fi
done

if ((${#failed[@]})); then
    echo "Fuzzing found problems in: ${failed[*]} (inputs in $artifacts)"
    exit 1
fi
echo "Fuzzing: ${#targets[@]} targets ran ${seconds}s each without a crash, leak or timeout."
