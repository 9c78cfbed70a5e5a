#include "gauge/count_rule.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace gauge {

namespace {

// Quoting a reply in a message: control characters shown as \r, \n, \t or \xNN, long replies cut.
std::string quoted(std::string_view reply) {
    constexpr std::size_t kMaxShown = 40;
    static const char kHex[] = "0123456789ABCDEF";
    std::string text = "\"";
    for (std::size_t i = 0; i < reply.size() && i < kMaxShown; ++i) {
        const auto c = static_cast<unsigned char>(reply[i]);
        if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\t') {
            text += "\\t";
        } else if (c < 0x20 || c >= 0x7F) {
            text += "\\x";
            text += kHex[c >> 4];
            text += kHex[c & 0xF];
        } else {
            text += static_cast<char>(c);
        }
    }
    if (reply.size() > kMaxShown) {
        text += "...";
    }
    return text + "\"";
}

bool isSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the text left of a cursor, skipping blanks, tabs and line feeds before each character.
class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    char peek() {
        while (m_pos < m_text.size() && isSkipped(m_text[m_pos])) {
            ++m_pos;
        }
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }
    void take() { ++m_pos; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

int digitValue(char c, int radix) {
    int value = radix;
    if (isDigit(c)) {
        value = c - '0';
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    }
    return value < radix ? value : -1;
}

double radixNumber(Scanner& scanner, int radix) {
    // Saturates far beyond any 16-bit count so that a long run of digits cannot wrap round.
    constexpr double kCeiling = 1e18;
    double value = 0;
    for (int digit; (digit = digitValue(scanner.peek(), radix)) >= 0; scanner.take()) {
        value = std::min(value * radix + digit, kCeiling);
    }
    return value;
}

double decimalNumber(Scanner& scanner) {
    std::string mantissa;
    long long exponent = 0;
    bool negative = false;
    if (scanner.peek() == '-' || scanner.peek() == '+') {
        negative = scanner.peek() == '-';
        scanner.take();
    }
    for (; isDigit(scanner.peek()); scanner.take()) {
        if (!mantissa.empty() || scanner.peek() != '0') {
            mantissa += scanner.peek();
        }
        if (mantissa.size() > 40) {
            // Digits past the precision of a double only scale the value.
            mantissa.pop_back();
            ++exponent;
        }
    }
    if (scanner.peek() == '.') {
        scanner.take();
        for (; isDigit(scanner.peek()); scanner.take()) {
            if (mantissa.size() < 40 && (!mantissa.empty() || scanner.peek() != '0')) {
                mantissa += scanner.peek();
                --exponent;
            } else if (mantissa.empty()) {
                --exponent;
            }
        }
    }
    const char marker = scanner.peek();
    if (marker == 'E' || marker == 'e' || marker == 'D' || marker == 'd') {
        scanner.take();
        bool negativeExponent = false;
        if (scanner.peek() == '-' || scanner.peek() == '+') {
            negativeExponent = scanner.peek() == '-';
            scanner.take();
        }
        long long written = 0;
        for (; isDigit(scanner.peek()); scanner.take()) {
            written = std::min(written * 10 + (scanner.peek() - '0'), 1'000'000LL);
        }
        exponent += negativeExponent ? -written : written;
    }
    if (mantissa.empty()) {
        return 0;
    }
    const double huge = negative ? -std::numeric_limits<double>::infinity()
                                 : std::numeric_limits<double>::infinity();
    if (exponent > 400) {
        return huge;
    }
    if (exponent < -400) {
        return 0;
    }
    const std::string text = mantissa + "e" + std::to_string(exponent);
    double value = 0;
    // A value past the range of a double leaves `value` untouched; it must still read as huge
    // (an overflow), not as the 0 of a reply without a number.
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec ==
        std::errc::result_out_of_range) {
        return exponent > 0 ? huge : 0;
    }
    return negative ? -value : value;
}

}  // namespace

CountOverflow::CountOverflow(std::string_view reply)
    : std::overflow_error("Count out of range in gauge reply " + quoted(reply)) {}

double leadingNumber(std::string_view reply) {
    Scanner scanner(reply);
    if (scanner.peek() == '&') {
        scanner.take();
        const char form = scanner.peek();
        if (form == 'H' || form == 'h') {
            scanner.take();
            return radixNumber(scanner, 16);
        }
        if (form == 'O' || form == 'o') {
            scanner.take();
            return radixNumber(scanner, 8);
        }
        return 0;
    }
    return decimalNumber(scanner);
}

std::int16_t countOfReply(std::string_view reply) {
    // nearbyint rounds half to even in the default rounding mode.
    const double rounded = std::nearbyint(leadingNumber(reply));
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) {
        throw CountOverflow(reply);
    }
    return static_cast<std::int16_t>(rounded);
}

}  // namespace gauge
