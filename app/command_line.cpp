#include "app/command_line.h"

#include <cstdio>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#endif

namespace app {

namespace {

// qorb-download's usage status too: the BSD sysexits' EX_USAGE.
constexpr int kUsageStatus = 64;

constexpr char kHelp[] = R"(Usage: QORB_Memory_To_File [options]
Copies the QORB gauge's memory points into a text file, in a window: choose the COM port and the
baud rate, tick what the file includes and press "Memory Points To File". qorb-download does the
same from the command line.

The port, the baud rate and the check boxes are kept in avrbl.txt next to the program, or in the
per-user folder ${XDG_CONFIG_HOME:-$HOME/.config}/qorb-memory-to-file/ when the program's folder
cannot be written (on Windows %LOCALAPPDATA%\qorb-memory-to-file\). The Options menu's choices
are kept beside it: limits.txt holds the tolerance limits every workbook's Summary starts with.

Options:
  --help                show this text
  --version             show the program's name and version

Qt's own options, such as -platform NAME and -style NAME, are passed to Qt.
)";

// A Windows program of the window kind has no console: unless its output is redirected, print into
// the console it was started from.
void useStartingConsole() {
#ifdef _WIN32
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    const bool redirected = output != nullptr && output != INVALID_HANDLE_VALUE &&
                            GetFileType(output) != FILE_TYPE_UNKNOWN;
    if (!redirected && AttachConsole(ATTACH_PARENT_PROCESS)) {
        // Without the console the text is lost, as it was before the attempt: nothing more to do.
        if (std::freopen("CONOUT$", "w", stdout) == nullptr) {
            return;
        }
        if (std::freopen("CONOUT$", "w", stderr) == nullptr) {
            return;
        }
    }
#endif
}

}  // namespace

std::optional<int> answerCommandLine(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with("--") && argument != "--") {
            useStartingConsole();
        }
        if (argument == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::fputs("QORB_Memory_To_File " QORB_VERSION "\n", stdout);
            return 0;
        }
        if (argument.starts_with("--") && argument != "--") {
            std::fprintf(stderr,
                         "QORB_Memory_To_File: unknown option %s\n"
                         "Try QORB_Memory_To_File --help.\n",
                         argv[i]);
            return kUsageStatus;
        }
    }
    return std::nullopt;
}

}  // namespace app
