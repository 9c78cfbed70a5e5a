#include "history/pg_values.h"

#include <charconv>

namespace history {

std::string pgText(int value) {
    return std::to_string(value);
}

std::string pgText(double value) {
    char text[32];
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

std::string pgText(bool value) {
    return value ? "true" : "false";
}

}  // namespace history
