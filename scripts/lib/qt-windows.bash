# Sourced by the Windows scripts: where the MinGW-w64 builds of Qt, libxlsxwriter, SQLite, OpenSSL
# and libpq live, whether they are whole, and how Debian's source packages are fetched for them.

qt_windows_version=6.4.2
xlsxwriter_windows_version=1.1.4
# The releases whose newest Debian version the builds take (found in the archive, never fixed here):
# OpenSSL's 3.0 series and PostgreSQL 15's client library, from the source packages that hold them.
openssl_windows_series=3.0
libpq_windows_source=postgresql-15

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

# SQLite, OpenSSL and libpq each have a mark of their own, holding the Debian version built.
sqlite_windows_mark() { echo "$(qt_windows_prefix)/.sqlite-complete"; }
openssl_windows_mark() { echo "$(qt_windows_prefix)/.openssl-$openssl_windows_series-complete"; }
libpq_windows_mark() { echo "$(qt_windows_prefix)/.libpq-complete"; }

# Waits while another run builds the library NAME into the cache (two test runs at once on one
# machine), then holds the lock until the calling script ends: the caller looks at the library's
# mark again after it.
lock_windows_build() {  # lock_windows_build NAME
    local prefix
    prefix=$(qt_windows_prefix)
    mkdir -p "$(dirname "$prefix")"
    exec {windows_build_lock}>"$prefix-$1.lock"
    if ! flock -n "$windows_build_lock"; then
        echo "$(basename "$0"): waiting for another build of $1 for Windows to end"
        flock "$windows_build_lock"
    fi
}

# Makes a private apt configuration in FOLDER/apt, up to date: the machine's own apt sources turned
# into deb-src entries, so that the system's configuration stays as it is. Apt's commands take it
# through APT_CONFIG=FOLDER/apt/apt.conf.
debian_apt() {  # debian_apt FOLDER
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
}

# Fetches Debian's source package PACKAGE (a name, or name=version) unpacked into FOLDER, through
# the private apt configuration of debian_apt.
debian_source() {  # debian_source FOLDER PACKAGE
    debian_apt "$1"
    (cd "$1" && APT_CONFIG=$PWD/apt/apt.conf apt-get source -qq "$2" >/dev/null)
}

# Fetches, as debian_source does, the newest version of Debian's source package PACKAGE that the
# main archive holds, and prints that version. The security archive's newer versions are passed
# over: the package mirror answers their source files with 404, while their fixes reach the main
# archive with the next point release.
debian_main_source() {  # debian_main_source FOLDER PACKAGE
    local apt_config version newest=
    debian_apt "$1" >&2
    apt_config=$(realpath "$1")/apt/apt.conf
    while read -r version; do
        if [ -z "$newest" ] || dpkg --compare-versions "$version" gt "$newest"; then
            newest=$version
        fi
    done < <(APT_CONFIG=$apt_config apt-cache madison "$2" |
        awk -F ' [|] ' '$3 ~ / Sources$/ && $3 !~ /-security[/ ]/ { print $2 }')
    if [ -z "$newest" ]; then
        echo "debian_main_source: Debian's main archive holds no source package $2" >&2
        return 1
    fi
    (cd "$1" && APT_CONFIG=$apt_config apt-get source -qq "$2=$newest" >/dev/null)
    echo "$newest"
}

# Copies into FOLDER every DLL that the given programs and libraries import, directly or through
# another copied DLL, from the first of the SEARCH folders (separated by ":") that holds it; an
# import that none holds is the system's own (KERNEL32, USER32, ...). A DLL already in FOLDER is
# kept. Names are matched as Windows matches them, whatever their case: the programs import libpq
# as LIBPQ.dll, the name its import library gives, while the file is libpq.dll.
copy_imported_dlls() {  # copy_imported_dlls FOLDER SEARCH BINARY...
    local folder=$1 dll dir binary found
    local -a search queue=("${@:3}")
    IFS=: read -r -a search <<<"$2"
    while [ ${#queue[@]} -gt 0 ]; do
        binary=${queue[0]}
        queue=("${queue[@]:1}")
        while IFS= read -r dll; do
            [ -n "$(find "$folder" -maxdepth 1 -iname "$dll")" ] && continue
            found=
            for dir in "${search[@]}"; do
                [ -d "$dir" ] || continue
                found=$(find "$dir" -maxdepth 1 -iname "$dll" | head -n 1)
                [ -n "$found" ] && break
            done
            [ -n "$found" ] || continue
            cp "$found" "$folder/"
            queue+=("$folder/$(basename "$found")")
        done < <(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^[[:space:]]*DLL Name: //p')
    done
}
