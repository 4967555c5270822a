#!/usr/bin/env bash
# A rival X server, for checking that a test run's display is its own. After DELAY seconds it
# starts an Xvfb the way another program on the machine may: in a network namespace of its
# own (so it sees no display's abstract socket and takes every display number for free) but
# in the machine's mount namespace, so it replaces the socket file /tmp/.X11-unix/X<n> of a
# display that was started there. It holds that display for SECONDS, then stops it and ends.
#   bash tools/rival_display/rival_display.sh DELAY SECONDS
# Run it beside a test run (as root, like the tests): a run whose X clients can be led to the
# rival's display fails; one whose display is private does not notice it.
set -euo pipefail
delay=${1:?usage: rival_display.sh DELAY SECONDS}
seconds=${2:?usage: rival_display.sh DELAY SECONDS}
sleep "$delay"

# shellcheck disable=SC2016  # expanded by the inner shell
exec unshare --net bash -c '
    seconds=$1
    number=$(mktemp)
    Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$number" 2>/dev/null &
    xvfb=$!
    trap "kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -f \"$number\"" EXIT
    trap "exit 1" INT TERM
    for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
    if [ ! -s "$number" ]; then
        echo "rival_display: Xvfb did not start" >&2
        exit 1
    fi
    display=$(head -n1 "$number")
    echo "rival_display: Xvfb :$display (pid $xvfb) holds /tmp/.X11-unix/X$display for $seconds s"
    sleep "$seconds" &
    wait $! || true
    echo "rival_display: stopped :$display"' rival "$seconds"
