#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace gauge {

// A count reply whose number does not fit in 16 bits; the message quotes the reply.
class CountOverflow : public std::overflow_error {
public:
    explicit CountOverflow(std::string_view reply);
};

// The number at the start of a reply, read as the gauge writes numbers: optional sign, digits, a
// period and fraction, an exponent with E or D, or &H hexadecimal and &O octal digits. Blanks,
// tabs and line feeds are skipped wherever they stand; reading stops at the first character that
// cannot continue the number (the CR of the line end). No number reads 0.
double leadingNumber(std::string_view reply);

// The count of a reply: its leading number rounded half to even. Throws CountOverflow outside
// -32768 to 32767.
std::int16_t countOfReply(std::string_view reply);

}  // namespace gauge
