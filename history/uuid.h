#pragma once

#include <string>

namespace history {

// A random (version 4) UUID, lower-case with hyphens: a download's name in every store. Throws
// std::runtime_error when the system gives no random bytes.
std::string randomUuid();

}  // namespace history
