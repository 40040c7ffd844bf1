#!/usr/bin/env bash
# Every check of the project, stage by stage, each ending in a one-line
# summary: the whole suite in a normal build (with the real corpus and its
# thumbnails), the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer with line coverage of src/, and each fuzz
# target for a bounded time from its seeds. Exits non-zero when any stage
# fails.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-15}
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export ASAN_OPTIONS="detect_leaks=1"
summaries=()
failed=0
corpus_folder=${TARNIVEL_CORPUS:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnivel/corpus}
npm_folder=${XDG_CACHE_HOME:-$HOME/.cache}/tarnivel/npm

note() {
    echo "### $1 (${SECONDS} s in)"
    summaries+=("$1")
}

# record STATUS NAME SUMMARY [LOG]: one summary line; a failure shows the log's end.
record() {
    if [ "$1" -ne 0 ]; then
        failed=1
        [ -n "${4:-}" ] && tail -n 60 "$4"
        note "$2: FAILED ($3)"
    else
        note "$2: $3"
    fi
}

xvfb() {
    # -noreset: the server must not restart between one test's window and the next
    xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$@"
}

build() {  # build DIR cmake-options...
    local dir=$1
    shift
    cmake -S . -B "$dir" "$@" >"$dir.configure.log" 2>&1 && cmake --build "$dir" -j "$jobs" 2>&1 | tail -n 3
    local status=${PIPESTATUS[0]}
    [ "$status" -eq 0 ] || record "$status" "$dir" "the build; see $dir.configure.log and the output above"
    return "$status"
}

# ctest_stage NAME DIR LABEL [ctest options]: runs one label under Xvfb,
# or, for the off-screen label, with no display server at all.
ctest_stage() {
    local name=$1 dir=$2 label=$3
    shift 3
    local log="$dir/ctest-$label.log" run=xvfb
    [ "$label" = offscreen ] && run="env -u DISPLAY -u WAYLAND_DISPLAY"
    (cd "$dir" && $run ctest -L "^$label\$" --output-on-failure --timeout 900 "$@") >"$log" 2>&1
    local status=$?
    grep -E "tests passed|The following tests FAILED|\(Failed\)|\(Timeout\)|\(SEGFAULT\)|\(Subprocess" "$log" |
        tail -n 8
    local line
    line=$(grep -E "tests passed" "$log" | tail -n 1)
    record $status "$name" "${line:-no tests ran}" "$log"
    [ "$label" != corpus ] || grep -hoE "corpus: .*" "$log" | grep -v "^corpus: using" | sed 's/^/  /'
}

# script_stage NAME WORD COMMAND...: a script whose last "WORD: ..." line sums it up.
script_stage() {
    local name=$1 word=$2 output status
    shift 2
    output=$("$@" 2>&1)
    status=$?
    echo "$output"
    output=$(echo "$output" | grep -E "^$word: " | tail -n 1)
    record $status "$name" "${output#"$word": }"
}

echo "=== Stage 1: the layers, then build and run the suite"
script_stage layers layers python3 tests/layers/check-layers.py src
if build build -DCMAKE_BUILD_TYPE=RelWithDebInfo; then
    note "build: tarnivel, tests, benchmarks and the demo folder built"
    bash tests/export/fetch-validator.sh "$npm_folder"
    ctest_stage "unit tests" build unit -j "$jobs"
    ctest_stage "end-to-end scenarios" build e2e
    ctest_stage "off-screen pictures (no display server)" build offscreen
    ctest_stage "installation" build install
    script_stage "file-manager thumbnails" gnome bash tests/install/gnome-thumbnails.sh build
    script_stage "Debian package" package bash tests/install/package.sh build
    ctest_stage "real-corpus test" build corpus -V
    script_stage "the batch export's gallery in a browser" gallery bash tests/gallery/browser.sh build "$corpus_folder"
    summaries+=("$(grep -hoE "corpus: .*" build/ctest-corpus.log | grep -v "^corpus: using" | sed 's/^/  /')")
    for mode in thumbnails exports; do
        script_stage $mode $mode bash tests/corpus/corpus-programs.sh $mode build "$corpus_folder" "$npm_folder/node_modules"
    done
    script_stage "the engines" engines bash tests/engines/engines.sh build "$corpus_folder"
fi

echo "=== Stage 2: the suite under AddressSanitizer and UndefinedBehaviorSanitizer, with line coverage (${SECONDS} s in)"
# One build for both: coverage is counted over the sanitized unit,
# end-to-end and off-screen runs, before the corpus run adds to it.
if build build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 -DTARNIVEL_SANITIZE=ON -DTARNIVEL_COVERAGE=ON; then
    find build-asan -name '*.gcda' -delete
    # LeakSanitizer's own tracer now and then dies at a test's exit among
    # Mesa's threads ("Tracer caught signal 11") after the test passed; a
    # test is run again once then, and a real leak fails both runs.
    ctest_stage "sanitized unit tests" build-asan unit -j "$jobs" --repeat until-pass:2
    # The programs' own exits leave the GL driver's blocks behind (once EGL
    # unloads it they cannot even be told apart); leaks are checked by the
    # unit and corpus runs.
    ASAN_OPTIONS="detect_leaks=0" ctest_stage "sanitized end-to-end scenarios" build-asan e2e
    ASAN_OPTIONS="detect_leaks=0" ctest_stage "sanitized off-screen pictures" build-asan offscreen
    lines=$(gcovr --root . --filter 'src/' --object-directory build-asan build-asan --print-summary -o /dev/null \
        2>/dev/null | grep '^lines:')
    status=0
    [ -n "$lines" ] || status=1
    record $status "coverage of src/ over the unit, off-screen and end-to-end suites" "${lines#lines: }"
    # Every model loaded and drawn; every tenth written and read back (all are in the normal run).
    TARNIVEL_READ_BACK_EVERY=10 ctest_stage "sanitized real-corpus test" build-asan corpus -V
fi

echo "=== Stage 3: fuzzing, ${fuzz_seconds} s a target (${SECONDS} s in)"
if CC=clang CXX=clang++ build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNIVEL_FUZZ=ON; then
    seeds=build-fuzz/seeds
    rm -rf "$seeds" && build-fuzz/fuzz/fuzz_seeds "$seeds"
    mkdir -p build-fuzz/artifacts
    for program in build-fuzz/fuzz/fuzz_*; do
        [ -f "$program" ] && [ -x "$program" ] || continue
        target=${program#build-fuzz/fuzz/fuzz_}
        [ "$target" != seeds ] || continue
        log="build-fuzz/fuzz-$target.log"
        mkdir -p "build-fuzz/corpus-$target"
        "$program" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=4096 \
            -artifact_prefix="build-fuzz/artifacts/$target-" "build-fuzz/corpus-$target" "$seeds/$target" \
            >"$log" 2>&1
        status=$?
        runs=$(grep -oE "Done [0-9]+ runs" "$log" | grep -oE "[0-9]+" | tail -n 1)
        [ $status -eq 0 ] || grep -E "ERROR|runtime error|SUMMARY|Test unit written" "$log" | head -n 20
        if [ $status -eq 0 ]; then
            record 0 "fuzz_$target" "${runs} executions, 0 crashes"
        else
            record 1 "fuzz_$target" "after ${runs:-?} executions; inputs in build-fuzz/artifacts"
        fi
    done
fi

echo "=== Summary (${SECONDS} s in)"
printf '%s\n' "${summaries[@]}"
if [ $failed -ne 0 ]; then
    echo "FAILED"
    exit 1
fi
echo "All stages passed."
