#include "tools/sim_points_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace gaugesim {

std::vector<std::string> readPointsFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot read points file " + path + ": " + std::strerror(errno));
    }
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        throw std::runtime_error("cannot read points file " + path);
    }
    std::vector<std::string> points;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::size_t next = end == std::string::npos ? text.size() : end + 1;
        std::string point =
            text.substr(start, (end == std::string::npos ? text.size() : end) - start);
        while (!point.empty() && (point.back() == '\r' || point.back() == '\n')) {
            point.pop_back();
        }
        points.push_back(std::move(point));
        start = next;
    }
    return points;
}

}  // namespace gaugesim
