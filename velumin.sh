#!/usr/bin/env bash
# Set-up, build and run in one place; needs only bash and apt on a fresh Debian 12 machine.
#   ./velumin.sh run     install what is missing, build, start the simulated meter and Velumin
#   ./velumin.sh test    install what is missing, build, run every test (the team archive's against
#                        a throw-away PostgreSQL cluster), again under ASan+UBSan,
#                        the threaded suites under TSan, and a short run of every fuzz target
#   ./velumin.sh asan    build with AddressSanitizer and UBSan and run every test
#   ./velumin.sh tsan    build with ThreadSanitizer and run the link, connection and download tests
#   ./velumin.sh fuzz    build the fuzz targets and run each for VELUMIN_FUZZ_SECONDS (30)
#   ./velumin.sh build   install what is missing and build only
#   ./velumin.sh deb     install what is missing, build the Debian package in Release (build-deb)
#                        and check its contents and lintian; prints the .deb's path
#   ./velumin.sh bench   install what is missing, build in Release (build-bench) and run the
#                        benchmarks (download, files, idle CPU, start-up, archive, team archive,
#                        against a PostgreSQL server of its own); they print
#                        figures and fail only when the operation itself fails
# VELUMIN_NO_SIM=1 ./velumin.sh run starts Velumin alone, for a real meter.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"

PACKAGES=(cmake make ninja-build g++ clang libclang-rt-14-dev pkg-config
          qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libpq-dev postgresql qt6-serialport-dev libqcustomplot-dev libgl-dev
          famfamfam-silk fonts-dejavu-core fontconfig xvfb xauth
          g++-mingw-w64-x86-64 librsvg2-bin lintian desktop-file-utils dpkg-dev file
          poppler-utils)
BUILD=build
JOBS=$(nproc 2>/dev/null || echo 2)
FUZZ_SECONDS=${VELUMIN_FUZZ_SECONDS:-30}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
    fi
}

build() {  # build <dir> [--target T] [cmake options...]
    local dir=$1; shift
    local target=()
    if [ "${1:-}" = --target ]; then target=(--target "$2"); shift 2; fi
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$JOBS" "${target[@]}"
}

# Runs one step of the test command in a subshell that stops at its first failure, and notes the
# step when it fails: one broken step must not hide what the steps after it would say.
FAILED_STEPS=()
run_step() {
    local name=$1 rc
    shift
    echo "=== $name"
    set +e
    (set -e; "$@")
    rc=$?
    set -e
    if [ $rc -ne 0 ]; then
        echo "=== $name FAILED (exit status $rc)"
        FAILED_STEPS+=("$name")
    fi
}

run_unit_tests() {
    build "$BUILD"
    (cd "$BUILD" && ctest --output-on-failure -j "$JOBS")
}

run_tests() {
    run_step tests run_unit_tests
    # The Windows device listing, compiled and linked against the real SetupAPI with mingw-w64.
    run_step windows env VELUMIN_REQUIRE_MINGW=1 tools/check-windows.sh
    run_step asan run_asan
    run_step tsan run_tsan
    run_step fuzz run_fuzz
    run_step deb env VELUMIN_JOBS="$JOBS" packaging/build-deb.sh "$BUILD-deb"
    if [ ${#FAILED_STEPS[@]} -gt 0 ]; then
        echo "=== FAILED: ${FAILED_STEPS[*]}"
        return 1
    fi
    echo "=== All steps passed: tests windows asan tsan fuzz deb"
}

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer; any report fails.
run_asan() {
    build "$BUILD-asan" -DCMAKE_CXX_COMPILER=clang++ -DVELUMIN_ASAN=ON
    local supp="$PWD/tests/lsan.supp"
    (cd "$BUILD-asan" &&
        ASAN_OPTIONS="halt_on_error=1 detect_leaks=1 strict_string_checks=1" \
        LSAN_OPTIONS="suppressions=$supp print_suppressions=0" \
        UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1" \
        ctest --output-on-failure -j "$JOBS")
}

# The suites where threads meet (the link, the connection, the download, the team window's reader
# and pusher) under ThreadSanitizer. The team archive's own suite forks velumin-export, which
# ThreadSanitizer cannot follow out of a threaded process; its threads are those the team window
# suite runs.
run_tsan() {
    build "$BUILD-tsan" -DCMAKE_CXX_COMPILER=clang++ -DVELUMIN_TSAN=ON
    # Qt itself is not instrumented; tests/tsan.supp names the reports that come from inside it.
    local supp="$PWD/tests/tsan.supp"
    (cd "$BUILD-tsan" && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$supp" \
        ctest --output-on-failure -j "$JOBS" \
            -R "${VELUMIN_TSAN_TESTS:-session|connection|download|unplug|decoder|frames|teamwindow}")
}

# Every fuzz target for a bounded time, starting from its committed seeds in tests/corpus/.
run_fuzz() {
    build "$BUILD-fuzz" --target fuzzers -DCMAKE_CXX_COMPILER=clang++ -DVELUMIN_FUZZ=ON
    for f in "$BUILD-fuzz"/tests/fuzz_*; do
        [ -f "$f" ] && [ -x "$f" ] || continue
        local name corpus
        name=$(basename "$f")
        corpus="$BUILD-fuzz/corpus/$name"
        mkdir -p "$corpus"
        echo "Fuzzing $name for ${FUZZ_SECONDS}s"
        "$f" -max_total_time="$FUZZ_SECONDS" -max_len=512 -print_final_stats=1 "$corpus" \
            "tests/corpus/$name" 2>&1 | tail -n 12
    done
}

run_app() {
    build "$BUILD"
    local app="$BUILD/velumin" sim="$BUILD/tools/meter-sim/meter-sim"
    if [ "${VELUMIN_NO_SIM:-0}" = 1 ] || [ ! -x "$sim" ]; then
        exec "$app" "$@"
    fi
    # The simulated meter registers itself as COM7 (its "PTY" line comes once it has) and removes
    # that entry when it ends.
    # Globals, not locals: the exit trap runs after this function has returned.
    sim_out=$(mktemp)
    "$sim" --register "${VELUMIN_SIM_PORT:-COM7}" ${VELUMIN_SIM_ARGS:-} >"$sim_out" &
    sim_pid=$!
    trap 'kill $sim_pid 2>/dev/null; wait $sim_pid 2>/dev/null; rm -f "$sim_out"' EXIT
    for _ in $(seq 50); do
        grep -q '^PTY ' "$sim_out" && break
        kill -0 $sim_pid 2>/dev/null || { echo "the simulated meter did not start" >&2; exit 1; }
        sleep 0.1
    done
    echo "Simulated meter: $(head -n 1 "$sim_out") registered as ${VELUMIN_SIM_PORT:-COM7}"
    "$app" "$@"
}

run_bench() {
    local benches=(bench_download bench_files bench_idle bench_startup bench_archive bench_team)
    # Release, in a folder of its own, so that the figures are not those of a debug build.
    for b in "${benches[@]}"; do
        build "$BUILD-bench" --target "$b" -DCMAKE_BUILD_TYPE=Release
    done
    # Globals, not locals: the exit trap runs after this function has returned. The settings and
    # the archive of the downloads measured go there, never to the user's own.
    bench_config=$(mktemp -d)
    bench_data=$(mktemp -d)
    # The team archive's benchmark pushes to a PostgreSQL server of its own.
    bench_pg="$bench_data/pgcluster.state"
    trap 'tools/pgcluster.sh stop "$bench_pg"; rm -rf "$bench_config" "$bench_data"' EXIT
    tools/pgcluster.sh start "$bench_pg"
    # Every benchmark runs even when one failed; any failure fails the whole.
    local failed=0
    for b in "${benches[@]}"; do
        QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$bench_config" XDG_DATA_HOME="$bench_data" \
            VELUMIN_TEST_PG_STATE="$bench_pg" "$BUILD-bench/bench/$b" || failed=1
        echo
    done
    return $failed
}

cmd=${1:-}
[ $# -gt 0 ] && shift
case "$cmd" in
    run)   install_packages; run_app "$@" ;;
    test)  install_packages; run_tests ;;
    asan)  install_packages; run_asan ;;
    tsan)  install_packages; run_tsan ;;
    fuzz)  install_packages; run_fuzz ;;
    deb)   install_packages; VELUMIN_JOBS="$JOBS" packaging/build-deb.sh "$BUILD-deb" ;;
    build) install_packages; build "$BUILD" ;;
    bench) install_packages; run_bench ;;
    *) echo "usage: $0 run|test|asan|tsan|fuzz|build|bench|deb" >&2; exit 2 ;;
esac
