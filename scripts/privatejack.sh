#!/usr/bin/env bash
# Runs a test program that starts and stops JACK servers of its own in a
# /dev/shm of its own, where the machine allows it (root, or user
# namespaces), beside a JACK server of the test command's name and settings
# that lives as long as the program: a server that breaks JACK's list of
# servers there breaks it for no other test. Elsewhere, or outside the test
# command (no JACK_DEFAULT_SERVER), the program runs as it is.
if [ -z "${ZEPHRA_PRIVATE_SHM:-}" ]; then
  [ -n "${JACK_DEFAULT_SERVER:-}" ] || exec "$@"
  shm='mount -t tmpfs -o mode=1777 tmpfs /dev/shm 2>/dev/null || exit 99; exec bash "$0" "$@"'
  for user in "" -r; do
    unshare -m $user true 2>/dev/null || continue
    ZEPHRA_PRIVATE_SHM=1 unshare -m $user bash -c "$shm" "$0" "$@"
    status=$?
    [ $status -ne 99 ] && exit $status  # 99: no tmpfs could be mounted
  done
  exec "$@"
fi

. "$(dirname "$0")/testjack.sh"
log=$(mktemp)
trap 'stop_test_jack; rm -f "$log"' EXIT
trap 'exit 143' TERM
start_test_jack "$log" || { echo "the private JACK server did not start"; cat "$log"; exit 1; }
"$@"
