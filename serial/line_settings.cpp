#include "serial/line_settings.h"

#include <array>
#include <charconv>
#include <string>

namespace serial {

MalformedLineSettings::MalformedLineSettings(std::string_view text)
    : std::invalid_argument("Malformed line settings \"" + std::string(text) +
                            "\" (expected baud,parity,data bits,stop bits as in 9600,n,8,1)") {}

namespace {

bool readDecimal(std::string_view field, std::int32_t& value) {
    if (field.empty()) {
        return false;
    }
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && end == field.data() + field.size();
}

}  // namespace

LineSettings parseLineSettings(std::string_view text) {
    std::array<std::string_view, 4> fields;
    std::size_t count = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        if (count == fields.size()) {
            throw MalformedLineSettings(text);
        }
        fields[count++] =
            text.substr(start, comma == std::string_view::npos ? comma : comma - start);
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    if (count != fields.size()) {
        throw MalformedLineSettings(text);
    }

    LineSettings settings;
    if (!readDecimal(fields[0], settings.baudRate) || settings.baudRate <= 0) {
        throw MalformedLineSettings(text);
    }

    if (fields[1].size() != 1) {
        throw MalformedLineSettings(text);
    }
    switch (fields[1][0]) {
        case 'n':
        case 'N':
            settings.parity = Parity::None;
            break;
        case 'e':
        case 'E':
            settings.parity = Parity::Even;
            break;
        case 'o':
        case 'O':
            settings.parity = Parity::Odd;
            break;
        case 'm':
        case 'M':
            settings.parity = Parity::Mark;
            break;
        case 's':
        case 'S':
            settings.parity = Parity::Space;
            break;
        default:
            throw MalformedLineSettings(text);
    }

    std::int32_t dataBits = 0;
    if (!readDecimal(fields[2], dataBits) || dataBits < 5 || dataBits > 8) {
        throw MalformedLineSettings(text);
    }
    settings.dataBits = dataBits;

    if (fields[3] == "1") {
        settings.stopBits = StopBits::One;
    } else if (fields[3] == "1.5") {
        settings.stopBits = StopBits::OneAndHalf;
    } else if (fields[3] == "2") {
        settings.stopBits = StopBits::Two;
    } else {
        throw MalformedLineSettings(text);
    }
    return settings;
}

}  // namespace serial
