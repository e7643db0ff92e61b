#include "registry/Variant.h"

#include <cstdint>

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
        return numberText(number());
    }
    return {};
}
