#pragma once

#include <string>

namespace gaugesim {

// A symbolic link to the pty, so the program finds the simulator under a fixed name (com1 in its
// folder). An existing link is replaced; anything else at that path is left alone and refused.
class SymbolicLink {
public:
    SymbolicLink(std::string path, std::string target);  // throws std::runtime_error
    // Removes the link unless someone has pointed it elsewhere since.
    ~SymbolicLink();
    SymbolicLink(const SymbolicLink&) = delete;
    SymbolicLink& operator=(const SymbolicLink&) = delete;

private:
    std::string m_path;
    std::string m_target;
};

}  // namespace gaugesim
