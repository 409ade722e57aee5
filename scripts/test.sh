#!/usr/bin/env bash
# Builds and runs the whole test suite:
#   1. the fuzz targets (clang, libFuzzer) for a short run each,
#   2. the threaded tests under ThreadSanitizer,
#   3. every test under AddressSanitizer and UndefinedBehaviorSanitizer.
# A JACK server (dummy driver) and a virtual X display run for the tests.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/deps.sh test || exit 1

jobs=$(nproc)
status=0
step() { echo; echo "==== $* ===="; }

# The sanitized builds are compiled at -O1 with line tables only: the
# sanitizers' own advice, and about a third less compile time than -O2 -g, which
# counts on a two-core machine. Their reports still name files and lines.
configure_and_build() {  # dir target cmake-args...
  local dir=$1 target=$2; shift 2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEPHRA_WERROR=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    "$@" >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" --target "$target" -j "$jobs"
}

mkdir -p build
step "Building (AddressSanitizer + UndefinedBehaviorSanitizer)"
configure_and_build build/asan all -DZEPHRA_SANITIZE=address,undefined || exit 1
step "Building the threaded tests (ThreadSanitizer)"
configure_and_build build/tsan threaded_tests -DZEPHRA_SANITIZE=thread -DZEPHRA_ONLY_THREADED=ON -DZEPHRA_BENCH=OFF || exit 1
step "Building the fuzz targets (clang, libFuzzer)"
CC=clang CXX=clang++ configure_and_build build/fuzz fuzz_targets -DZEPHRA_FUZZ=ON -DZEPHRA_BENCH=OFF || exit 1

# ---- servers ----
logs=$root/build/logs
mkdir -p "$logs"
. scripts/testjack.sh
JACKD_PID= XVFB_PID=
stop_servers() {
  [ -n "$XVFB_PID" ] && { kill -TERM "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; }
  stop_test_jack
  XVFB_PID=
}
trap stop_servers EXIT

fresh_jack_registry

# The servers the tests need are started here, so a test never skips for
# want of one: under CI such a skip is a failure.
export CI=${CI:-1}
export JACK_DEFAULT_SERVER=zephra$$ JACK_NO_AUDIO_RESERVATION=1 JACK_NO_START_SERVER=1
start_test_jack "$logs/jackd.log" || { echo "JACK server did not start"; cat "$logs/jackd.log"; exit 1; }

# Looked at before each test program: one that broke the server (or JACK's
# list of servers) takes no later program with it. A server that does not
# answer is ended and started afresh, with the list when no other runs.
jack_ready() {
  test_jack_answers && return 0
  echo "the test command's JACK server does not answer: it is started afresh"
  cat "$logs/jackd.log"
  stop_test_jack
  fresh_jack_registry
  start_test_jack "$logs/jackd.log" || { echo "JACK server did not start again"; cat "$logs/jackd.log"; return 1; }
}

dfile=$(mktemp)
# -noreset: by default the server resets when its last client leaves, and a
# program connecting in that moment is refused. That happens between tests
# (one binary ends, the next starts), more often on a busy machine; the
# toolkit then stays down for the whole binary, whose every test fails.
Xvfb -displayfd 5 -screen 0 2400x1800x24 -nolisten tcp -noreset 5>"$dfile" >"$logs/xvfb.log" 2>&1 &
XVFB_PID=$!
timeout 10 bash -c "until [ -s $dfile ]; do sleep 0.02; done" \
  || { echo "Xvfb did not start"; cat "$logs/xvfb.log"; exit 1; }
export DISPLAY=:$(cat "$dfile") GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
rm -f "$dfile"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=suppressions=$root/tests/tsan.supp:halt_on_error=1:second_deadlock_stack=1

step "Fuzzing"
(cd build/fuzz && ctest -L fuzz -j "$jobs" --output-on-failure --no-tests=ignore --no-label-summary) || status=1
# The test programs that need the JACK server run one at a time, each after a
# look at the server (jack_ready); the others beside one another first.
jack_programs() {  # build-dir
  find "$1/tests" -type f -executable \( -name '*_jack_tests' -o -name '*_e2e_tests' \) -printf '%f\n' | sort
}
run_tests() {  # build-dir ctest-args...
  local dir=$1; shift
  jack_ready || return 1
  (cd "$dir" && ctest "$@" --output-on-failure --no-tests=ignore --no-label-summary)
}
step "Threaded tests under ThreadSanitizer"
run_tests build/tsan -L '_threaded_tests$' -j "$jobs" || status=1
for program in $(jack_programs build/tsan); do
  run_tests build/tsan -L "^$program\$" || status=1
done
step "All tests under AddressSanitizer and UndefinedBehaviorSanitizer"
run_tests build/asan -LE '_(jack|e2e)_tests$' -j "$jobs" || status=1
for program in $(jack_programs build/asan); do
  run_tests build/asan -L "^$program\$" || status=1
done
# A display lost between binaries fails every test of the next one at once
# (each seems to fail on its own); the check names the loss instead, and how
# the display's server ended.
display_answers() {
  timeout 60 xdpyinfo >/dev/null 2>&1 && return 0
  if [ -z "$XVFB_PID" ]; then
    echo "the virtual display $DISPLAY is gone"
    return 1
  fi
  if kill -0 "$XVFB_PID" 2>/dev/null; then
    echo "the virtual display $DISPLAY does not answer; its server still runs"
  else
    wait "$XVFB_PID" 2>/dev/null
    echo "the virtual display $DISPLAY is gone: its server ended with status $?"
    XVFB_PID=
  fi
  cat "$logs/xvfb.log"
  return 1
}
# ctest gives each test a process of its own; a test that passes only alone
# (state left by an earlier test: focus, grabs, caches) shows when its whole
# binary runs in one process, in a shuffled order. The seed is chosen here and
# printed: the brief output does not show the one the test library picks, and
# a failing order is re-run with it.
step "Display test binaries, each whole in one process"
for bin in $(find build/asan/tests -type f -executable -name '*_display_tests' | sort); do
  seed=$(( (RANDOM * 32768 + RANDOM) % 99999 + 1 ))
  echo "== $bin (seed $seed)"
  display_answers && jack_ready || { echo "NOT RUN: $bin"; status=1; continue; }
  scripts/privatejack.sh "$bin" --gtest_shuffle --gtest_random_seed=$seed --gtest_brief=1 || { echo "FAILED whole: $bin (seed $seed)"; status=1; display_answers; }
done

stop_servers
exit $status
