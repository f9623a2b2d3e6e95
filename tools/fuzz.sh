#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a bounded time,
# two at a time, seeded from the sample CD's pictures, the hostile CD and the findings under
# tests/fuzz/corpus/. The corpus each run grows is kept in build-fuzz/fuzz/corpus/ for the next.
#
#   tools/fuzz.sh              every target for 60 s
#   tools/fuzz.sh 600          every target for ten minutes
#   tools/fuzz.sh 600 picture  only fuzz_picture (targets: settings picture search)
#
# A crash, hang or allocation beyond the limits leaves its input in build-fuzz/fuzz/artifacts/
# and makes the script fail; copy it under tests/fuzz/corpus/<target>/, named for what it
# triggered, as a regression test.
set -euo pipefail
cd "$(dirname "$0")/.."

# The fuzzing build needs clang and its fuzzer runtime on top of what the program needs.
. tools/setup.sh
ORVANE_PACKAGES+=(clang-14 libclang-rt-14-dev)
orvane_install_packages

seconds="${1:-60}"
shift || true
build=build-fuzz
work="$build/fuzz"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DORVANE_FUZZ=ON \
        -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
all="settings picture search"
targets=()
for t in "${@:-$all}"; do
    for name in $t; do
        targets+=("fuzz_${name#fuzz_}")
    done
done
cmake --build "$build" --target "${targets[@]}" sample-cd orvane-mkhostile

# Seeds: pictures small enough to mutate quickly, and the hostile CD's troublemakers.
rm -rf "$work/hostile"
"$build/tools/orvane-mkhostile" "$work/hostile" --small
seed() { # target, files...
    local dir="$work/seeds/$1"
    shift
    mkdir -p "$dir"
    local i=0
    for f in "$@"; do
        [ -f "$f" ] && [ ! -p "$f" ] || continue
        cp "$f" "$dir/seed-$i"
        i=$((i + 1))
    done
}
rm -rf "$work/seeds"
# The sample CD's bitmaps are all large: one of them is enough (cut at -max_len).
mapfile -t pictures < <(
    find "$build/sample-cd" "$work/hostile/cd/images" -type f \
        \( -iname '*.jpg' -o -iname '*.gif' \) -size -64k
    find "$build/sample-cd" -type f -name 'welcome.bmp'
    find "$work/hostile/cd/images" -type f -iname '*.bmp' -size -64k
)
seed fuzz_picture "${pictures[@]}"
mapfile -t settings < <(find "$build/sample-cd" "$work/hostile" -maxdepth 2 -type f \
    -name orvane.ini | sort)
seed fuzz_settings "${settings[@]}"

export QT_QPA_PLATFORM=offscreen
# Each input is written to a file: in memory where the machine has it.
[ -d /dev/shm ] && export TMPDIR=/dev/shm

run() { # target
    local t=$1
    local corpus="$work/corpus/$t"
    mkdir -p "$corpus" "$work/artifacts" "$work/logs"
    local extra=()
    [ -d "tests/fuzz/corpus/${t#fuzz_}" ] && extra+=("tests/fuzz/corpus/${t#fuzz_}")
    [ -d "$work/seeds/$t" ] && extra+=("$work/seeds/$t")
    # 700 MB for one allocation: the loader's 600 MB budget and no more. 30 s for one input: a
    # picture just inside the budget (a tiny GIF declaring a 124-megapixel screen) takes seconds
    # to decode under ASan on a busy machine; a hang would never end.
    nice "$build/tests/fuzz/$t" "$corpus" "${extra[@]}" \
        -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 -malloc_limit_mb=700 \
        -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/$t-" >"$work/logs/$t.log" 2>&1 || return 1
}

mkdir -p "$work/artifacts"
touch "$work/started"
status=0
pids=()
names=()
for t in "${targets[@]}"; do
    run "$t" &
    pids+=($!)
    names+=("$t")
    if [ ${#pids[@]} -eq 2 ]; then
        wait "${pids[0]}" || status=1
        pids=("${pids[@]:1}")
    fi
done
for p in "${pids[@]}"; do
    wait "$p" || status=1
done

for t in "${names[@]}"; do
    log="$work/logs/$t.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1)
    corpus=$(find "$work/corpus/$t" -type f | wc -l)
    printf '%-20s runs=%s exec/s=%s %s %s corpus=%s\n' "$t" "${runs:-?}" "${rate:-?}" \
        "${cov:-cov: ?}" "${ft:-ft: ?}" "$corpus"
done
# A slow unit is only reported (a picture just inside the budget is slow by design); the rest are
# crashes, leaks, timeouts and allocations beyond the limits.
slow=$(find "$work/artifacts" -type f -name '*slow-unit-*' -newer "$work/started")
if [ -n "$slow" ]; then
    echo "Slow inputs (reported, not failures):"
    echo "$slow"
fi
findings=$(find "$work/artifacts" -type f ! -name '*slow-unit-*' -newer "$work/started")
if [ -n "$findings" ]; then
    echo "Findings:"
    echo "$findings"
    status=1
fi
exit $status
