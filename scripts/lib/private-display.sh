# Sourced by scripts that need a desktop without touching the user's: a private Xvfb with a
# window manager (openbox) and a tray host (trayer). Every process started here is recorded in
# the caller's `pids` array; stop_private_display ends them in reverse order.
#   start_private_display [WIDTHxHEIGHT]   exports DISPLAY
#   stop_private_display

start_private_display() {
    local size=${1:-1440x900}
    local displayfd number
    exec {displayfd}<> <(:)
    Xvfb -displayfd "$displayfd" -screen 0 "${size}x24" +extension Composite -nolisten tcp \
        >/dev/null 2>&1 &
    pids+=($!)
    read -r -t 10 number <&"$displayfd" || { echo "Xvfb did not start" >&2; return 1; }
    exec {displayfd}<&-
    export DISPLAY=":$number"
    unset WAYLAND_DISPLAY

    openbox >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
    trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
        --transparent true --tint 0x202630 --alpha 0 >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        [[ -n "$(xdotool search --class trayer 2>/dev/null)" ]] && break
        sleep 0.05
    done
}

stop_private_display() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    pids=()
}
