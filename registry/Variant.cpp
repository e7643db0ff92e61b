#include "registry/Variant.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

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

// An unsigned integer of up to 2,048 bits: enough for the exact decimal
// expansion of any double, whose largest intermediate value (the digits of the
// smallest subnormal: 2^54 * 10^340) takes about 1,190 bits.
class BigInteger {
public:
    explicit BigInteger(std::uint64_t value) {
        for (; value != 0; value >>= 32)
            push(static_cast<std::uint32_t>(value));
    }

    void multiplyBy(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (std::size_t i = 0; i < size_; ++i) {
            const std::uint64_t product = std::uint64_t{words_[i]} * factor + carry;
            words_[i] = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0)
            push(static_cast<std::uint32_t>(carry));
    }

    void multiplyByPowerOf(std::uint32_t base, int exponent) {
        for (; exponent > 0; --exponent)
            multiplyBy(base);
    }

    // Only ever called with other <= *this.
    void subtract(const BigInteger& other) {
        std::uint64_t borrow = 0;
        for (std::size_t i = 0; i < size_; ++i) {
            const std::uint64_t difference =
                std::uint64_t{words_[i]} - (i < other.size_ ? other.words_[i] : 0) - borrow;
            words_[i] = static_cast<std::uint32_t>(difference);
            borrow = difference >> 63;
        }
        while (size_ > 0 && words_[size_ - 1] == 0)
            --size_;
    }

    friend int compare(const BigInteger& a, const BigInteger& b) {
        if (a.size_ != b.size_)
            return a.size_ < b.size_ ? -1 : 1;
        for (std::size_t i = a.size_; i-- > 0;) {
            if (a.words_[i] != b.words_[i])
                return a.words_[i] < b.words_[i] ? -1 : 1;
        }
        return 0;
    }

private:
    static constexpr std::size_t capacity = 64;

    void push(std::uint32_t word) {
        if (size_ == capacity)
            throw std::overflow_error("number too large for its decimal expansion");
        words_[size_++] = word;
    }

    std::array<std::uint32_t, capacity> words_{};
    std::size_t size_ = 0; // the highest word in use is not 0
};

// What printf's "%.<precision>g" makes of `precision` significant digits
// times 10^exponent: fixed notation for exponents from -4 to precision - 1,
// otherwise one digit before the point and an exponent of at least two
// digits; no trailing zeros after the point, and no point without digits
// after it.
std::string asPrintfG(const char* digits, int exponent, int precision) {
    const bool fixed = exponent >= -4 && exponent < precision;
    // How many digits come before the point; none, and zeros after it, when
    // negative.
    const int point = fixed ? exponent + 1 : 1;
    int end = precision;
    while (end > point && digits[end - 1] == '0')
        --end;
    std::string text = point > 0 ? "" : "0.";
    text.append(static_cast<std::size_t>(std::max(-point, 0)), '0');
    for (int i = 0; i < end; ++i) {
        if (i == point && point > 0)
            text += '.';
        text += digits[i];
    }
    if (!fixed) {
        const int magnitude = exponent < 0 ? -exponent : exponent;
        text += exponent < 0 ? "e-" : "e+";
        if (magnitude >= 100)
            text += static_cast<char>('0' + magnitude / 100);
        text += static_cast<char>('0' + magnitude / 10 % 10);
        text += static_cast<char>('0' + magnitude % 10);
    }
    return text;
}

// The text that printf's "%.<n>g" gives for the smallest n (1 to 17) whose
// text strtod reads back as the same positive, finite number. Worked out in
// exact integers rather than with the C library's printf and strtod, which the
// program would otherwise link only for this (about 37 KiB of them).
//
// The number is r / s * 10^exponent with 1 <= r / s < 10; the numbers that
// read back as it lie less than upper / s above and lower / s below it, on the
// same scale. Each step takes the next digit off r; rounding the digits so far
// to nearest (a tie to an even last digit, as printf does) gives printf's text
// for that many digits, and it reads back when it lies within those bounds, or
// on one of them when the number's significand is even (strtod rounds a tie to
// even too).
std::string shortestPrintfG(double number) {
    const auto bits = std::bit_cast<std::uint64_t>(number);
    const auto biasedExponent = static_cast<int>(bits >> 52 & 0x7FF);
    const std::uint64_t fractionBits = bits & ((std::uint64_t{1} << 52) - 1);
    // number = significand * 2^binaryExponent
    const std::uint64_t significand =
        biasedExponent == 0 ? fractionBits : fractionBits | std::uint64_t{1} << 52;
    const int binaryExponent = std::max(biasedExponent, 1) - 1075;
    const bool evenSignificand = significand % 2 == 0;
    // Below a power of two the doubles lie twice as close together.
    const bool lowerIsCloser = fractionBits == 0 && biasedExponent > 1;

    // Everything times 4, so that both half-distances to the neighbours are
    // whole numbers.
    const int up = std::max(binaryExponent, 0);
    BigInteger r(significand);
    r.multiplyByPowerOf(2, up + 2);
    BigInteger s(4);
    s.multiplyByPowerOf(2, std::max(-binaryExponent, 0));
    BigInteger upper(2);
    upper.multiplyByPowerOf(2, up);
    BigInteger lower(lowerIsCloser ? 1 : 2);
    lower.multiplyByPowerOf(2, up);

    // 2^(bitLength - 1) <= number < 2^bitLength; 78913 / 2^18 is just below
    // log10(2), and the loops below put right an estimate that is a little low.
    const int bitLength = binaryExponent + std::bit_width(significand);
    int exponent = (bitLength - 1) * 78913 >> 18;
    s.multiplyByPowerOf(10, exponent);
    for (BigInteger* scaled : {&r, &upper, &lower})
        scaled->multiplyByPowerOf(10, -exponent);
    for (;;) {
        BigInteger tenS = s;
        tenS.multiplyBy(10);
        if (compare(r, tenS) < 0)
            break;
        s = tenS;
        ++exponent;
    }
    for (; compare(r, s) < 0; --exponent) {
        for (BigInteger* scaled : {&r, &upper, &lower})
            scaled->multiplyBy(10);
    }

    char digits[18] = {};
    for (int precision = 1;; ++precision) {
        int digit = 0;
        for (; compare(r, s) >= 0; ++digit)
            r.subtract(s);
        digits[precision - 1] = static_cast<char>('0' + digit);

        // What is left below the last digit, r / s, against a half.
        BigInteger rest = s;
        rest.subtract(r);
        const int half = compare(r, rest);
        const bool roundUp = half > 0 || (half == 0 && digit % 2 == 1);
        const int distance = roundUp ? compare(rest, upper) : compare(r, lower);
        if (distance < 0 || (distance == 0 && evenSignificand) || precision == 17) {
            if (roundUp) {
                int i = precision;
                while (i > 0 && digits[i - 1] == '9')
                    digits[--i] = '0';
                if (i > 0) {
                    ++digits[i - 1];
                } else {
                    // 9.99 became 10.0: the same number of digits, one place up.
                    digits[0] = '1';
                    ++exponent;
                }
            }
            return asPrintfG(digits, exponent, precision);
        }
        for (BigInteger* scaled : {&r, &upper, &lower})
            scaled->multiplyBy(10);
    }
}

// The fewest significant digits that read back as the same number, as printf's
// "%g" writes them; a whole number of fewer than 16 digits is written without
// an exponent, and infinities and NaNs as MinGW's printf writes them.
std::string shortestDecimal(double number) {
    if (std::isnan(number))
        return "nan";
    const std::string sign = std::signbit(number) ? "-" : "";
    const double magnitude = std::fabs(number);
    if (magnitude == std::numeric_limits<double>::infinity())
        return sign + "inf";
    if (magnitude < 1e15 && magnitude == static_cast<double>(static_cast<std::int64_t>(magnitude)))
        return sign + std::to_string(static_cast<std::int64_t>(magnitude));
    return sign + shortestPrintfG(magnitude);
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
