#pragma once

#include <string>

namespace history {

// Who kept a download: the computer's name and the user's account, UTF-8. Either is empty when
// the system will not tell.
struct SystemIdentity {
    std::string host;
    std::string account;
};

SystemIdentity systemIdentity();

}  // namespace history
