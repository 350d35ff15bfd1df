#!/usr/bin/env bash
# Builds the clang fuzz tree and runs every fuzz target for MINUTES minutes, one
# after the other, over a scratch copy of its seed corpus (the committed corpus is
# never written). Prints the runs and the coverage (libFuzzer's cov and ft figures)
# of each target and fails when any target finds a crash, a leak, a timeout or runs
# out of memory; the input that did it is kept in the target's artifacts folder.
#   usage: scripts/fuzz.sh MINUTES
#   KQ_FUZZ_BUILD_DIR  build tree (build/fuzz, the fuzz preset)
#   KQ_FUZZ_WORK_DIR   scratch corpora, logs and artifacts (<build tree>/fuzz-run)
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-}
if [[ ! $minutes =~ ^[0-9]+$ ]] || ((minutes == 0)); then
    echo "usage: scripts/fuzz.sh MINUTES" >&2
    exit 2
fi

build=${KQ_FUZZ_BUILD_DIR:-build/fuzz}
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --preset fuzz -B "$build" "${launcher[@]}"
cmake --build "$build" -j"$(nproc)"

manifest=$build/fuzz-targets.txt
if [[ ! -s $manifest ]] || ! grep -q '=' "$manifest"; then
    echo "fuzz.sh: no fuzz targets listed in $manifest" >&2
    exit 1
fi

work=${KQ_FUZZ_WORK_DIR:-$build/fuzz-run}
rm -rf "$work"
mkdir -p "$work"
seconds=$((minutes * 60))
failed=()
report=()

while IFS='=' read -r name seeds; do
    [[ -n $name ]] || continue
    dir=$work/$name
    mkdir -p "$dir/corpus" "$dir/artifacts"
    cp -R "$seeds/." "$dir/corpus/"
    echo "== $name: ${minutes} min over $(find "$dir/corpus" -type f | wc -l) seeds"
    rc=0
    # The limit on the whole run leaves libFuzzer time to finish its last input.
    timeout --kill-after=30 $((seconds + 120)) "$build/bin/$name" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -timeout=25 -print_final_stats=1 \
        -artifact_prefix="$dir/artifacts/" "$dir/corpus" >"$dir/log.txt" 2>&1 || rc=$?
    last=$(grep -E '^#[0-9]+.* cov: ' "$dir/log.txt" | tail -n 1 || true)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log.txt" | tail -n 1)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    corp=$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$last")
    findings=$(find "$dir/artifacts" -type f | wc -l)
    status=ok
    if ((rc != 0 || findings != 0)); then
        status="FAILED (exit $rc, $findings artifacts in $dir/artifacts, log $dir/log.txt)"
        failed+=("$name")
        grep -E 'ERROR|SUMMARY|==[0-9]+==' "$dir/log.txt" | head -n 20 || true
    fi
    report+=("$(printf '%-32s runs %-11s cov %-6s ft %-7s corpus %-14s %s' \
        "$name" "${runs:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$status")")
    echo "${report[-1]}"
done <"$manifest"

echo
echo "Fuzzing, ${minutes} min per target:"
printf '%s\n' "${report[@]}"
if ((${#failed[@]} != 0)); then
    echo "fuzz.sh: findings in ${failed[*]}" >&2
    exit 1
fi
