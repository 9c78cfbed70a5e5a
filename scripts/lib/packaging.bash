# Sourced by scripts/package and scripts/check-packages: where the packages are built and what
# they are called.

package_build=build-package
package_name=qorb-memory-to-file
dist=dist

# Installs those of the given Debian packages that are missing (apt-get; sudo when not root).
install_missing_packages() {
    local p missing=()
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "installing ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The product's version as the package build configured it (the project's own version).
package_version() {
    sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$package_build/CPackConfig.cmake"
}

deb_path() {
    echo "$dist/${package_name}_$(package_version)_$(dpkg --print-architecture).deb"
}

archive_folder() {
    echo "$package_name-$(package_version)"
}

archive_path() {
    echo "$dist/$(archive_folder)-linux-$(uname -m).tar.gz"
}
