# Sourced by scripts/package and scripts/check-packages: where the packages are built and what
# they are called.

package_build=build-package
package_name=qorb-memory-to-file
dist=dist

source "$(dirname "${BASH_SOURCE[0]}")/apt.bash"  # install_missing_packages

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
