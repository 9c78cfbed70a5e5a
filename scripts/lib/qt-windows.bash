# Sourced by the Windows scripts: where the MinGW-w64 build of Qt lives, and whether it is whole.

qt_windows_version=6.4.2

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
