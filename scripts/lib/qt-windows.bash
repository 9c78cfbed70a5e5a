# Sourced by the Windows scripts: where the MinGW-w64 builds of Qt and libxlsxwriter live, whether
# they are whole, and how Debian's source packages are fetched for them.

qt_windows_version=6.4.2
xlsxwriter_windows_version=1.1.4

# The cache folder: outside the checkout, shared by every clone on the machine. QORB_QT_WINDOWS
# names another; a user who cannot write /var/cache gets one under their own cache folder.
qt_windows_prefix() {
    if [ -n "${QORB_QT_WINDOWS:-}" ]; then
        echo "$QORB_QT_WINDOWS"
    elif [ -w /var/cache ]; then
        echo "/var/cache/qorb-memory-to-file/qt-$qt_windows_version-mingw-w64"
    else
        echo "${XDG_CACHE_HOME:-$HOME/.cache}/qorb-memory-to-file/qt-$qt_windows_version-mingw-w64"
    fi
}

# True when qtbase and the patched Qt SerialPort are both installed in the cache.
qt_windows_complete() {
    [ -f "$(qt_windows_prefix)/.complete" ]
}

# True when the static libxlsxwriter for Windows is installed in the cache. It has a mark of its
# own: a machine may hold the cached Qt from before the programs needed it.
xlsxwriter_windows_complete() {
    [ -f "$(qt_windows_prefix)/.xlsxwriter-$xlsxwriter_windows_version-complete" ]
}

# Fetches Debian's source package PACKAGE (a name, or name=version) unpacked into FOLDER, through a
# private apt configuration in FOLDER/apt: the machine's own apt sources turned into deb-src
# entries, so that the system's configuration stays as it is.
debian_source() {  # debian_source FOLDER PACKAGE
    local folder apt_dir sources
    mkdir -p "$1"
    folder=$(realpath "$1")
    apt_dir=$folder/apt
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
    : >"$apt_dir/sources.list"
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb[[:space:]]/deb-src /p' /etc/apt/sources.list >"$apt_dir/sources.list"
    fi
    for sources in /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
        [ -f "$sources" ] || continue
        case $sources in
        *.sources) sed 's/^Types:.*/Types: deb-src/' "$sources" ;;
        *.list) sed -n 's/^deb[[:space:]]/deb-src /p' "$sources" ;;
        esac >"$apt_dir/sources.list.d/$(basename "$sources")"
    done
    cat >"$apt_dir/apt.conf" <<CONF
Dir::Etc::SourceList "$apt_dir/sources.list";
Dir::Etc::SourceParts "$apt_dir/sources.list.d";
Dir::State::Lists "$apt_dir/lists";
Dir::Cache "$apt_dir/cache";
APT::Sandbox::User "root";
CONF
    APT_CONFIG=$apt_dir/apt.conf apt-get update -qq
    (cd "$folder" && APT_CONFIG=$apt_dir/apt.conf apt-get source -qq "$2" >/dev/null)
}
