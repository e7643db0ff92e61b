// libFuzzer target for the value getter's decoding. An input is what a
// registry value could hold: its first four bytes the type code (little
// endian), the rest the data. Each input is decoded the way the getter can
// hand it over, with the second read reporting sizes below, at and above the
// buffer's, and the result's text form and the percent rule on that text are
// checked against independent statements of what they must give. A broken
// expectation aborts, which libFuzzer reports as a crash with the input.
#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "registry/ValueCodec.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "decode_value_data_fuzz: %s\n", what);
        std::abort();
    }
}

std::int32_t readInt32(const std::uint8_t* bytes, std::size_t count) {
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < count && i < 4; ++i)
        number |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    return static_cast<std::int32_t>(number);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1; // lower case is not the promised form
}

// Reads "61 62 00" back into bytes; false for anything else.
bool parseHexBytes(const std::string& text, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (text.empty())
        return true;
    if (text.size() % 3 != 2)
        return false;
    for (std::size_t at = 0; at < text.size(); at += 3) {
        const int high = hexDigit(text[at]);
        const int low = hexDigit(text[at + 1]);
        if (high < 0 || low < 0)
            return false;
        if (at + 2 < text.size() && text[at + 2] != ' ')
            return false;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

// The percent rule said another way: the first and the last "%" are at
// least two places apart.
std::int32_t expectedStorageType(std::string_view text) {
    const std::size_t first = text.find('%');
    const std::size_t last = text.rfind('%');
    return first != std::string_view::npos && last - first >= 2 ? ValueTypeCode::ExpandString
                                                                : ValueTypeCode::String;
}

void checkTextRules(const std::string& text) {
    require(textStorageType(text) == expectedStorageType(text), "percent rule");
    // A failure message shows the value text whole, at its end.
    const std::string message = describeSetValueFailure(RootKey::LocalMachine, "K", "V", text);
    const std::string tail = "' to ValueData: '" + text + "'";
    require(message.size() >= tail.size() &&
                message.compare(message.size() - tail.size(), tail.size(), tail) == 0,
            "set-value failure text ends with the value");
}

void checkTextForm(const Variant& value) {
    const std::string text = value.toText();
    switch (value.kind()) {
    case Variant::Kind::Text:
        require(text == value.text(), "text form of a text");
        break;
    case Variant::Kind::Int32: {
        std::int32_t back = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), back);
        require(error == std::errc{} && end == text.data() + text.size() && back == value.int32(),
                "decimal text form reads back");
        break;
    }
    case Variant::Kind::Bytes: {
        std::vector<std::uint8_t> back;
        require(parseHexBytes(text, back), "hex text form is well formed");
        require(back == value.bytes().elements, "hex text form reads back");
        break;
    }
    default:
        require(false, "the decoder gives only text, a long or bytes");
    }
    checkTextRules(text);
}

void checkDecoded(std::int32_t typeCode, const std::vector<std::uint8_t>& data,
                  std::size_t reportedSize) {
    const Variant value = decodeValueData(typeCode, data, reportedSize);
    switch (typeCode) {
    case ValueTypeCode::String:
    case ValueTypeCode::ExpandString:
    case ValueTypeCode::MultiString: {
        require(value.kind() == Variant::Kind::Text, "string types give text");
        const std::size_t kept = std::min(data.size(), reportedSize);
        const std::size_t length = kept == 0 ? 0 : kept - 1;
        require(value.text().size() == length, "text length is the kept size less one");
        require(length == 0 || std::memcmp(value.text().data(), data.data(), length) == 0,
                "text is the data's first bytes");
        break;
    }
    case ValueTypeCode::Dword:
    case ValueTypeCode::DwordBigEndian: {
        require(value.kind() == Variant::Kind::Int32, "dword types give a long");
        require(value.int32() == readInt32(data.data(), data.size()),
                "dword is the first four bytes, little endian");
        const std::int32_t reversed = reverseByteOrder(value.int32());
        require(reverseByteOrder(reversed) == value.int32(), "byte reversal undoes itself");
        std::uint8_t stored[4];
        for (std::size_t i = 0; i < 4; ++i)
            stored[i] = i < data.size() ? data[i] : 0;
        const std::uint8_t swapped[4] = {stored[3], stored[2], stored[1], stored[0]};
        require(reversed == readInt32(swapped, 4), "byte reversal reads the bytes backwards");
        break;
    }
    default: {
        require(value.kind() == Variant::Kind::Bytes, "other types give bytes");
        const ByteArray& bytes = value.bytes();
        require(bytes.lowerBound == 0, "byte arrays start at 0");
        require(bytes.elements.size() == data.size() + 1, "one extra byte");
        require(std::equal(data.begin(), data.end(), bytes.elements.begin()), "bytes are the data");
        require(bytes.elements.back() == 0, "the extra byte is 0");
        require(bytes.contains(static_cast<std::int32_t>(data.size())) && !bytes.contains(-1),
                "bounds are 0 to the data's size");
        break;
    }
    }
    checkTextForm(value);

    const std::string_view name = typeName(typeCode);
    require(name.substr(0, 4) == "REG_", "every type code has a REG_ name");
    const std::string_view root = rootShortName(typeCode);
    require(root.empty() || (root.size() == 4 && root.substr(0, 2) == "HK"), "root short names");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
    if (size < 4)
        return 0;
    const std::int32_t typeCode = readInt32(input, 4);
    // A buffer of exactly the first query's size, as the getter allocates it,
    // so that the sanitizer sees any read beyond it.
    const std::vector<std::uint8_t> data(input + 4, input + size);
    const std::size_t n = data.size();

    // What the second read may report: a value that shrank or grew between
    // the two reads gives any DWORD, the buffer staying as it was.
    const std::size_t reported[] = {
        n,
        0,
        1,
        n == 0 ? 0 : n - 1,
        n + 1,
        2 * n + 7,
        n == 0 ? 0 : data.back() % (n + 2),
        std::numeric_limits<std::uint32_t>::max(),
        std::numeric_limits<std::size_t>::max(),
    };
    for (std::size_t reportedSize : reported)
        checkDecoded(typeCode, data, reportedSize);
    return 0;
}
