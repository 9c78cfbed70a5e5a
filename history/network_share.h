#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace history {

// The network share that holds the folder, in words ("a network share (NFS)", "a network
// drive"), or nothing when it is on this computer's own disk (or cannot be told).
std::optional<std::string> networkShareOf(const std::string& folder);

// The Linux file system a statfs f_type names, when it is one reached over the network.
std::optional<std::string> networkFileSystemName(unsigned long fileSystemType);

// \\server\share\... or //server/share/...; a \\?\ or \\.\ path only when it names UNC.
bool isUncPath(std::string_view path);

}  // namespace history
