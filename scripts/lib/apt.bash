# Sourced by the scripts that install what they need from Debian's packages.

# Installs those of the given Debian packages that are missing (apt-get; sudo when not root). It
# says in one line what it installs; apt's own output (dpkg's unpacking lines, a few hundred on a
# fresh machine) is shown only when the install fails, and then whole.
install_missing_packages() {
    local p missing=()
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local who sudo=() log status=0
    who=$(basename "$0")
    echo "$who: installing ${missing[*]}"
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    log=$(mktemp "${TMPDIR:-/tmp}/qorb-apt.XXXXXX")
    apt_waiting_for_lock "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq \
        >"$log" 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        apt_waiting_for_lock "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -qq --no-install-recommends "${missing[@]}" >>"$log" 2>&1 ||
            status=$?
    fi
    if [ "$status" -ne 0 ]; then
        echo "$who: installing ${missing[*]} failed (status $status); apt-get said:" >&2
        cat "$log" >&2
    fi
    rm -f "$log"
    return "$status"
}

# Runs an apt-get command, waiting while another apt or dpkg holds its lock: a fresh machine's
# automatic updates can hold it for minutes. dpkg's lock is waited for by apt itself
# (DPkg::Lock::Timeout); the package lists' lock, which `apt-get update` takes, is not, so a run
# that could not get a lock is tried again, for up to QORB_APT_LOCK_WAIT seconds (15 minutes).
apt_waiting_for_lock() {
    local waited=0 limit=${QORB_APT_LOCK_WAIT:-900} out status
    out=$(mktemp "${TMPDIR:-/tmp}/qorb-apt-try.XXXXXX")
    while true; do
        status=0
        "$@" -o DPkg::Lock::Timeout="$limit" >"$out" 2>&1 || status=$?
        if [ "$status" -eq 0 ] || ! grep -qE 'Could not get lock|Unable to lock' "$out" ||
            [ "$waited" -ge "$limit" ]; then
            cat "$out"
            rm -f "$out"
            return "$status"
        fi
        [ "$waited" -eq 0 ] && echo "$(basename "$0"): waiting for apt's lock, held by another" \
            "install (the machine's automatic updates?)" >&2
        sleep 5
        waited=$((waited + 5))
    done
}
