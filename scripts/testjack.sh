# The test command's JACK server, sourced by scripts/test.sh and by
# scripts/privatejack.sh. Needs JACK_DEFAULT_SERVER; sets JACKD_PID.
#
# Long cycles and a generous client time-out: a machine busy with sanitized
# builds makes clients miss short cycles, and JACK then drops their MIDI.
# In sync mode the server waits for every client to finish its cycle: on two
# cores a test's receiving client, slowed by the race detector, otherwise
# misses cycles and loses the pieces of a large SysEx sent in them (the
# message then arrives short and split).
start_test_jack() {  # log-file
  # Ended with the command that started it, however that ends.
  setpriv --pdeathsig TERM jackd --sync --no-realtime --silent --timeout 10000 --name "$JACK_DEFAULT_SERVER" \
    -d dummy --rate 48000 --period 1024 --wait 21333 >"$1" 2>&1 &
  JACKD_PID=$!
  timeout 10 bash -c 'until jack_lsp >/dev/null 2>&1; do sleep 0.05; done'
}

test_jack_answers() {
  [ -n "${JACKD_PID:-}" ] && kill -0 "$JACKD_PID" 2>/dev/null && timeout -s KILL 20 jack_lsp >/dev/null 2>&1
}

# JACK keeps a list of eight servers in /dev/shm. A server that was killed
# stays in it until a server of its name starts again, so a machine that ran
# servers before can hold a list full of dead ones, and then no new server
# starts ("Too many servers already active"); a server that died at its start
# can leave it broken for every later one. With no JACK server running, every
# entry is a dead one: the list is started afresh.
fresh_jack_registry() {
  if [ -e /dev/shm/jack-shm-registry ] && ! grep -qxE 'jackd|jackdbus' /proc/[0-9]*/comm 2>/dev/null; then
    echo "no JACK server runs: JACK's list of servers is started afresh"
    rm -f /dev/shm/jack-shm-registry
  fi
}

stop_test_jack() {
  [ -n "${JACKD_PID:-}" ] || return 0
  kill -TERM "$JACKD_PID" 2>/dev/null
  # One that hangs on its end is killed after ten seconds.
  { sleep 10; kill -KILL "$JACKD_PID"; } </dev/null >/dev/null 2>&1 &
  local killer=$!
  wait "$JACKD_PID" 2>/dev/null
  kill "$killer" 2>/dev/null
  wait "$killer" 2>/dev/null
  JACKD_PID=
}
