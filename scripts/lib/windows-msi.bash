# Sourced by scripts/package-windows and scripts/check-msi: the MSI made from the folder the ZIP
# holds, with Debian's wixl (msitools) and packaging/windows/qorb-memory-to-file.wxs.

# The MSI's ProductVersion for the program's version. Windows Installer compares only the first
# three fields (major < 256, minor < 256, build < 65536), as numbers. The program's versions are
# decimals with two places (1.02, then 1.03 ... 1.10 ... 2.00): the places become the minor field,
# a single place counting as tens (1.1 is 1.10), so 1.02 is 1.2.0 and orders below 1.1 (1.10.0)
# and 1.15 (1.15.0). A third field of the program's version, if it ever has one, is the build.
msi_product_version() {  # msi_product_version VERSION
    if [[ ! "$1" =~ ^([0-9]{1,3})\.([0-9]{1,2})(\.([0-9]{1,5}))?$ ]]; then
        echo "msi_product_version: $1 is no version of the form 1.02 or 1.02.3" >&2
        return 1
    fi
    local major=$((10#${BASH_REMATCH[1]})) minor=${BASH_REMATCH[2]}
    local build=$((10#${BASH_REMATCH[4]:-0}))
    [ ${#minor} -eq 1 ] && minor+=0
    if [ "$major" -gt 255 ] || [ "$build" -gt 65535 ]; then
        echo "msi_product_version: $1 is beyond what an MSI's version can hold" >&2
        return 1
    fi
    echo "$major.$((10#$minor)).$build"
}

# Writes MSI from the program folder FOLDER for the program's version VERSION. The file list is
# taken from the folder (wixl-heat), so a DLL more or less needs no edit. What wixl cannot write is
# added to the built MSI with msibuild:
# - the PATH entry: wixl refuses the Environment element; the row appends the install folder to the
#   system PATH ("=-*": set on install, taken away on uninstall) and belongs to the PathEntry
#   feature's component; the two standard actions that act on the table come with it;
# - a rebuild of the same version replaces an installed one (WiX's AllowSameVersionUpgrades, which
#   wixl lacks): the upgrade row's VersionMax becomes inclusive. The Attributes column is part of
#   the table's key, so the row is replaced, not updated.
build_msi() {  # build_msi FOLDER VERSION MSI
    (
        set -euo pipefail
        local checkout folder msi product_version work upgrade_code
        checkout=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../..")
        folder=$(realpath "$1")
        msi=$(realpath -m "$3")
        product_version=$(msi_product_version "$2")
        work=$(mktemp -d "${TMPDIR:-/tmp}/qorb-msi.XXXXXX")
        trap 'rm -rf "$work"' EXIT
        # wixl reads every source file by a path relative to where it runs.
        ln -s "$folder" "$work/program"
        cp "$checkout/app/icons/qorb.ico" "$work/qorb.ico"
        cd "$work"
        # The window's program is in the .wxs itself: its shortcut names it.
        find program/ -type f ! -path program/QORB_Memory_To_File.exe | LC_ALL=C sort |
            wixl-heat --var var.SourceDir --directory-ref INSTALLDIR \
                --component-group ProgramFiles --win64 -p program/ >files.wxs
        wixl --arch x64 -D SourceDir=program -D Win64=yes -D Icon=qorb.ico \
            -D ProductVersion="$product_version" -D ProgramVersion="$2" -o "$msi" \
            "$checkout/packaging/windows/qorb-memory-to-file.wxs" files.wxs
        upgrade_code=$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^UpgradeCode\t//p')
        local queries=(
            "CREATE TABLE \`Environment\` (\`Environment\` CHAR(72) NOT NULL,
                \`Name\` CHAR(255) NOT NULL LOCALIZABLE, \`Value\` CHAR(255) LOCALIZABLE,
                \`Component_\` CHAR(72) NOT NULL PRIMARY KEY \`Environment\`)"
            "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`)
                VALUES ('PathEntry', '=-*PATH', '[~];[INSTALLDIR]', 'PathEntry')"
            "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`)
                VALUES ('RemoveEnvironmentStrings', 3300)"
            "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`)
                VALUES ('WriteEnvironmentStrings', 5200)"
            "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'"
            "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`,
                \`ActionProperty\`) VALUES ('$upgrade_code', '$product_version', 513,
                'WIX_UPGRADE_DETECTED')"
        )
        local query
        for query in "${queries[@]}"; do
            msibuild "$msi" -q "$query"
        done
    )
}
