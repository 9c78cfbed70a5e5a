#pragma once

#include <string>
#include <vector>

namespace cli {

// The arguments after the program's name in UTF-8, the form every path takes in the programs.
// Windows hands argv over in the ANSI code page, where "Meßtechnik" is not the UTF-8 name and a
// Cyrillic name on a Western system is lost to question marks; Qt reads the UTF-16 command line
// there. Needs the QCoreApplication.
std::vector<std::string> utf8Arguments();

}  // namespace cli
