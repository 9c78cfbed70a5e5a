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
    {
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
            "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
                apt-get install -y -qq --no-install-recommends "${missing[@]}"
    } >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        echo "$who: installing ${missing[*]} failed (status $status); apt-get said:" >&2
        cat "$log" >&2
    fi
    rm -f "$log"
    return "$status"
}
