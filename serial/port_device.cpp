#include "serial/port_device.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace serial {

namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::size_t digitRunEnd(const std::string& text, std::size_t start) {
    while (start < text.size() && isDigit(text[start])) {
        ++start;
    }
    return start;
}

std::string_view significantDigits(std::string_view digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : digits.substr(first);
}

#ifndef _WIN32
// A link's target as the device to open. A dangling link still names its target, so the open
// fails naming the device the operator chose instead of quietly taking another port.
std::optional<std::string> linkedDevice(const std::filesystem::path& link) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::canonical(link, error);
    if (!error) {
        return canonical.string();
    }
    std::filesystem::path target = std::filesystem::read_symlink(link, error);
    if (error) {
        return std::nullopt;
    }
    if (target.is_relative()) {
        target = link.parent_path() / target;
    }
    return target.lexically_normal().string();
}
#endif

}  // namespace

bool devicePathLess(const std::string& left, const std::string& right) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < left.size() && j < right.size()) {
        if (!isDigit(left[i]) || !isDigit(right[j])) {
            if (left[i] != right[j]) {
                return left[i] < right[j];
            }
            ++i;
            ++j;
            continue;
        }
        // Runs of digits compare as numbers: without leading zeros, the longer run is larger.
        const std::size_t leftEnd = digitRunEnd(left, i);
        const std::size_t rightEnd = digitRunEnd(right, j);
        const std::string_view a = significantDigits(std::string_view(left).substr(i, leftEnd - i));
        const std::string_view b =
            significantDigits(std::string_view(right).substr(j, rightEnd - j));
        if (a.size() != b.size()) {
            return a.size() < b.size();
        }
        if (a != b) {
            return a < b;
        }
        i = leftEnd;
        j = rightEnd;
    }
    if (i == left.size() && j < right.size()) {
        return true;
    }
    // Equal but for leading zeros: plain order keeps the sort strict.
    return j == right.size() && i == left.size() && left < right;
}

std::optional<std::string> comLink([[maybe_unused]] std::int16_t number,
                                   [[maybe_unused]] const std::vector<std::string>& linkFolders) {
#ifndef _WIN32
    for (const std::string& folder : linkFolders) {
        const std::filesystem::path link =
            std::filesystem::path(folder) / ("com" + std::to_string(number));
        std::error_code error;
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(link, error))) {
            return link.string();
        }
    }
#endif
    return std::nullopt;
}

std::optional<std::string> portDevice(
    std::int16_t number, [[maybe_unused]] const std::vector<std::string>& linkFolders,
    [[maybe_unused]] const std::vector<std::string>& systemPorts) {
    if (number < kFirstPortNumber || number > kLastPortNumber) {
        return std::nullopt;
    }
#ifdef _WIN32
    return "COM" + std::to_string(number);
#else
    if (const std::optional<std::string> link = comLink(number, linkFolders)) {
        if (auto device = linkedDevice(*link)) {
            return device;
        }
    }
    std::vector<std::string> ports = systemPorts;
    std::sort(ports.begin(), ports.end(), devicePathLess);
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    const auto index = static_cast<std::size_t>(number - kFirstPortNumber);
    if (index >= ports.size()) {
        return std::nullopt;
    }
    return ports[index];
#endif
}

}  // namespace serial
