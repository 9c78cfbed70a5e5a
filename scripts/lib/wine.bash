# Sourced by the scripts that run the Windows programs under Wine (scripts/test-windows-programs,
# scripts/check-msi): checks that count their failures, a private Wine prefix, Wine COM ports
# mapped to devices and a virtual display.

failures=0
check() {  # check WHAT EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        echo "  ok: $1"
    else
        echo "  FAILED: $1: expected $(printf '%q' "$2"), got $(printf '%q' "$3")" >&2
        failures=$((failures + 1))
    fi
}
bytes() { od -An -c "$1" 2>/dev/null | tr -s ' \n' ' '; }

# Runs Wine in the prefix FOLDER, made first when it is missing, with no display. No Mono or Gecko
# install prompts, and no menu entries on this machine for what a program or an MSI adds to Wine's
# Start menu. Wine gives the host's ttyS ports COM numbers of its own: Com 1 to Com 4 reach nothing
# here until a step maps one (the window hangs at its start on a real ttyS device under Wine).
use_wine_prefix() {  # use_wine_prefix FOLDER
    export WINEPREFIX=$1
    export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    unset WAYLAND_DISPLAY
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== creating the Wine prefix"
        DISPLAY='' wineboot --init >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1
    fi
    local n
    for n in 1 2 3 4; do map_port "$n" ""; done
}

map_port() {  # map_port N DEVICE (empty: nothing)
    wine reg add 'HKLM\Software\Wine\Ports' /v "COM$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
    rm -f "$WINEPREFIX/dosdevices/com$1"
    [ -z "$2" ] || ln -s "$2" "$WINEPREFIX/dosdevices/com$1"
}

# Starts a virtual X display and exports DISPLAY; its pid is in xvfb_pid. Wine's session holds the
# display it started with: the display-less one is ended first.
start_display() {  # start_display SCRATCH_FOLDER
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1
    Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$1/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
    DISPLAY=:$(cat "$1/display")
    export DISPLAY
}
