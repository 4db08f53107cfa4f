#!/bin/sh
# Starts or stops the X server the X11 tests run against: a virtual frame buffer on the first
# free display, which it reports itself (-displayfd), so parallel builds never collide.
#   x11_server.sh start STATE_FILE   writes ":N" to STATE_FILE and the server's pid to STATE_FILE.pid
#   x11_server.sh stop STATE_FILE
set -u
state=$2
case "$1" in
start)
    rm -f "$state" "$state.pid" "$state.fd"
    # Detached and with every descriptor away from the test runner, which would otherwise
    # wait for the server to end before reporting this step done.
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$state.fd" </dev/null >/dev/null 2>&1 &
    echo $! >"$state.pid"
    tries=0
    while [ ! -s "$state.fd" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ]; then
            echo "Xvfb did not start" >&2
            kill "$(cat "$state.pid")" 2>/dev/null
            exit 1
        fi
        sleep 0.1
    done
    echo ":$(tr -d '\n' <"$state.fd")" >"$state"
    ;;
stop)
    [ -f "$state.pid" ] && kill "$(cat "$state.pid")" 2>/dev/null
    rm -f "$state" "$state.pid" "$state.fd"
    ;;
esac
exit 0
