#pragma once

#include <optional>

namespace app {

// The window's own options, answered before QApplication exists so that they need no display (the
// manual page is made from them on a build machine without one): --help and --version print and
// end the program, any other "--" option is a usage error. Everything else, Qt's own options such
// as -platform and -style among it, is left to QApplication. Gives the exit status when the
// program ends here.
std::optional<int> answerCommandLine(int argc, const char* const* argv);

}  // namespace app
