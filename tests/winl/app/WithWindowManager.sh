#!/bin/sh
# usage: WithWindowManager.sh COMMAND...
# Runs the command on a virtual display of its own where a window manager
# (openbox, without any user's configuration) frames the windows with title
# bars, as on a desktop.
exec xvfb-run -a -s "-screen 0 1600x1100x24 -nolisten tcp" sh -c '
  home=$(mktemp -d)
  HOME=$home openbox --sm-disable >/dev/null 2>&1 &
  manager=$!
  # The manager runs once it names itself on the root window.
  timeout 60 sh -c "until xprop -root _NET_SUPPORTING_WM_CHECK | grep -q \"window id\"; do sleep 0.05; done" ||
    { echo "the window manager (openbox) did not start"; exit 1; }
  "$@"; status=$?
  kill $manager; wait $manager; rm -rf "$home"
  exit $status' sh "$@"
