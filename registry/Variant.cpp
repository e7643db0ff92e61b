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

    void multiplyByPowerOfTen(int exponent) {
        for (; exponent > 0; --exponent)
            multiplyBy(10);
    }

    void multiplyByPowerOfTwo(int exponent) {
        multiplyBy(std::uint32_t{1} << (exponent % 32));
        const auto wordShift = static_cast<std::size_t>(exponent / 32);
        if (size_ == 0 || wordShift == 0)
            return;
        if (size_ + wordShift > capacity)
            throw std::overflow_error("number too large for its decimal expansion");
        std::copy_backward(words_.begin(), words_.begin() + size_,
                           words_.begin() + size_ + wordShift);
        std::fill(words_.begin(), words_.begin() + wordShift, 0);
        size_ += wordShift;
    }

    void add(const BigInteger& other) {
        std::uint64_t carry = 0;
        for (std::size_t i = 0; i < std::max(size_, other.size_); ++i) {
            const std::uint64_t sum = std::uint64_t{word(i)} + other.word(i) + carry;
            if (i == size_)
                push(0);
            words_[i] = static_cast<std::uint32_t>(sum);
            carry = sum >> 32;
        }
        if (carry != 0)
            push(static_cast<std::uint32_t>(carry));
    }

    // Only ever called with other <= *this.
    void subtract(const BigInteger& other) {
        std::uint64_t borrow = 0;
        for (std::size_t i = 0; i < size_; ++i) {
            const std::uint64_t difference = std::uint64_t{words_[i]} - other.word(i) - borrow;
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

    std::uint32_t word(std::size_t i) const { return i < size_ ? words_[i] : 0; }
    void push(std::uint32_t word) {
        if (size_ == capacity)
            throw std::overflow_error("number too large for its decimal expansion");
        words_[size_++] = word;
    }

    std::array<std::uint32_t, capacity> words_{};
    std::size_t size_ = 0; // the highest word in use is not 0
};

// What printf's "%.<precision>g" makes of the significant digits (exactly
// `precision` of them) times 10^exponent: fixed notation for exponents from -4
// to precision - 1, otherwise one digit before the point and an exponent of at
// least two digits; no trailing zeros after the point, no point without them.
std::string asPrintfG(const std::string& digits, int exponent, int precision) {
    const auto withoutTrailingZeros = [](std::string text) {
        text.erase(text.find_last_not_of('0') + 1);
        return text;
    };
    std::string text;
    std::string fraction;
    if (exponent >= -4 && exponent < precision) {
        if (exponent >= 0) {
            text = digits.substr(0, static_cast<std::size_t>(exponent) + 1);
            fraction = withoutTrailingZeros(digits.substr(static_cast<std::size_t>(exponent) + 1));
        } else {
            text = "0";
            fraction = withoutTrailingZeros(
                std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits);
        }
        return fraction.empty() ? text : text + '.' + fraction;
    }
    text = digits.substr(0, 1);
    fraction = withoutTrailingZeros(digits.substr(1));
    if (!fraction.empty())
        text += '.' + fraction;
    const int magnitude = exponent < 0 ? -exponent : exponent;
    text += exponent < 0 ? "e-" : "e+";
    if (magnitude < 10)
        text += '0';
    return text + std::to_string(magnitude);
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
    const bool subnormal = biasedExponent == 0;
    // number = significand * 2^binaryExponent
    const std::uint64_t significand =
        subnormal ? fractionBits : fractionBits | std::uint64_t{1} << 52;
    const int binaryExponent = (subnormal ? 1 : biasedExponent) - 1075;
    const bool evenSignificand = significand % 2 == 0;
    // Below a power of two the doubles lie twice as close together.
    const bool lowerIsCloser = fractionBits == 0 && biasedExponent > 1;

    // Everything times 4, so that both half-distances to the neighbours are
    // whole numbers.
    const int up = std::max(binaryExponent, 0);
    const int down = std::max(-binaryExponent, 0);
    BigInteger r(significand);
    r.multiplyByPowerOfTwo(up + 2);
    BigInteger s(1);
    s.multiplyByPowerOfTwo(down + 2);
    BigInteger upper(1);
    upper.multiplyByPowerOfTwo(up + 1);
    BigInteger lower(1);
    lower.multiplyByPowerOfTwo(lowerIsCloser ? up : up + 1);

    // 2^(bitLength - 1) <= number < 2^bitLength; 78913 / 2^18 is just below
    // log10(2), and the loops below put right an estimate that is a little low.
    int bitLength = binaryExponent;
    for (std::uint64_t rest = significand; rest != 0; rest >>= 1)
        ++bitLength;
    int exponent = (bitLength - 1) * 78913 >> 18;
    if (exponent >= 0) {
        s.multiplyByPowerOfTen(exponent);
    } else {
        r.multiplyByPowerOfTen(-exponent);
        upper.multiplyByPowerOfTen(-exponent);
        lower.multiplyByPowerOfTen(-exponent);
    }
    for (;;) {
        BigInteger tenS = s;
        tenS.multiplyBy(10);
        if (compare(r, tenS) < 0)
            break;
        s = tenS;
        ++exponent;
    }
    while (compare(r, s) < 0) {
        r.multiplyBy(10);
        upper.multiplyBy(10);
        lower.multiplyBy(10);
        --exponent;
    }

    std::string digits;
    for (int precision = 1;; ++precision) {
        int digit = 0;
        for (; compare(r, s) >= 0; ++digit)
            r.subtract(s);
        digits += static_cast<char>('0' + digit);

        BigInteger twiceRest = r;
        twiceRest.add(r);
        const int half = compare(twiceRest, s);
        const bool roundUp = half > 0 || (half == 0 && digit % 2 == 1);
        int distance;
        if (roundUp) {
            BigInteger gap = s;
            gap.subtract(r);
            distance = compare(gap, upper);
        } else {
            distance = compare(r, lower);
        }
        const bool readsBack = distance < 0 || (distance == 0 && evenSignificand);
        if (readsBack || precision == 17) {
            if (roundUp) {
                std::size_t i = digits.size();
                while (i > 0 && digits[i - 1] == '9')
                    digits[--i] = '0';
                if (i > 0) {
                    ++digits[i - 1];
                } else {
                    // 9.99 became 10.0: the same number of digits, one place up.
                    digits.insert(digits.begin(), '1');
                    digits.pop_back();
                    ++exponent;
                }
            }
            return asPrintfG(digits, exponent, precision);
        }
        r.multiplyBy(10);
        upper.multiplyBy(10);
        lower.multiplyBy(10);
    }
}

// The fewest significant digits that read back as the same number, as printf's
// "%g" writes them; a whole number of fewer than 16 digits is written without
// an exponent, and infinities and NaNs as MinGW's printf writes them.
std::string shortestDecimal(double number) {
    if (std::isnan(number))
        return "nan";
    const bool negative = std::signbit(number);
    const double magnitude = negative ? -number : number;
    const std::string sign = negative ? "-" : "";
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
