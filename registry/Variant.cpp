#include "registry/Variant.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::string hexBytes(const ByteArray& bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : bytes.elements) {
        if (!text.empty())
            text += ' ';
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

// The fewest significant digits that read back as the same number; a whole
// number of fewer than 16 digits is written without an exponent. (printf and
// strtod rather than to_chars: the shortest-form tables of the latter would
// treble the program's size.)
std::string shortestDecimal(double number) {
    std::array<char, 32> buffer{};
    if (number == std::trunc(number) && std::fabs(number) < 1e15) {
        std::snprintf(buffer.data(), buffer.size(), "%.0f", number);
        return buffer.data();
    }
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(buffer.data(), buffer.size(), "%.*g", digits, number);
        if (std::strtod(buffer.data(), nullptr) == number)
            break;
    }
    return buffer.data();
}

} // namespace

std::string Variant::toText() const {
    switch (kind()) {
    case Kind::Empty:
        return {};
    case Kind::Text:
        return text();
    case Kind::Int16:
        return std::to_string(int16());
    case Kind::Int32:
        return std::to_string(int32());
    case Kind::Bytes:
        return hexBytes(bytes());
    case Kind::Double:
        return shortestDecimal(number());
    }
    return {};
}
