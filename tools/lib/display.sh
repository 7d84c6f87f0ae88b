# Starts an Xvfb display of our own when DISPLAY is unset, stopped when the script
# exits. Sourced by tools/test and tools/bench.
tolvane_start_display() {
    if [ -n "${DISPLAY:-}" ]; then return; fi
    local n=$((90 + RANDOM % 9))
    while [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    tolvane_xvfb_pid=$!
    trap 'kill $tolvane_xvfb_pid 2>/dev/null || true' EXIT
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
}
