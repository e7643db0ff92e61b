#include "registry/Variant.h"

#include <array>
#include <charconv>

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

std::string shortestDecimal(double number) {
    std::array<char, 32> buffer{};
    auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number);
    if (error != std::errc{})
        throw std::runtime_error("number has no text form");
    return std::string(buffer.data(), end);
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
