#pragma once

#include <cstdlib>
#include <string>

namespace testsupport {

// Sets an environment variable of this process, on Windows as on POSIX systems.
inline void setVariable(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

}  // namespace testsupport
