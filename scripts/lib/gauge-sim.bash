# Sourced by scripts/run and scripts/screenshot: starts the gauge simulator with the sample memory
# (3 statistics points, 36 memory points of which every fifth is deleted) attached through a comN
# link, and stops it and removes the link when the calling script exits.
#
#   start_gauge_sim SIMULATOR LINK BAUD

start_gauge_sim() {
    local simulator=$1
    gauge_sim_link=$2
    local baud=$3
    rm -f "$gauge_sim_link"
    "$simulator" --link "$gauge_sim_link" --statistics 3 --memory 36 --baud "$baud" >/dev/null &
    gauge_sim_pid=$!
    trap stop_gauge_sim EXIT
    for _ in $(seq 100); do
        [ -e "$gauge_sim_link" ] && return 0
        if ! kill -0 "$gauge_sim_pid" 2>/dev/null; then
            echo "the gauge simulator did not start" >&2
            return 1
        fi
        sleep 0.05
    done
    echo "the gauge simulator made no $gauge_sim_link" >&2
    return 1
}

stop_gauge_sim() {
    kill "$gauge_sim_pid" 2>/dev/null || true
    wait "$gauge_sim_pid" 2>/dev/null || true
    rm -f "$gauge_sim_link"
}
