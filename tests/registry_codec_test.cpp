// The registry rules that need no system call: value decoding, the percent
// rule, the shell object's names, failure texts and the Variant's text form.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "registry/ValueCodec.h"

namespace {

std::vector<std::uint8_t> bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

Variant decode(std::int32_t type, std::string_view data) {
    const auto buffer = bytes(data);
    return decodeValueData(type, buffer, buffer.size());
}

using namespace std::string_literals;

TEST(ValueCodec, StringsDropTheFinalByteWhateverItHolds) {
    for (std::int32_t type : {1, 2, 7}) {
        EXPECT_EQ(Variant("abc"), decode(type, "abc\0"s));
        EXPECT_EQ(Variant("ab"), decode(type, "abc"));
        EXPECT_EQ(Variant(""), decode(type, "\0"s));
        EXPECT_EQ(Variant("ab\0"s), decode(type, "ab\0\0"s));
    }
    EXPECT_EQ(Variant("a\0b\0"s), decode(7, "a\0b\0\0"s));
}

TEST(ValueCodec, EmptyStringDataReadAsEmptyText) {
    for (std::int32_t type : {1, 2, 7})
        EXPECT_EQ(Variant(""), decode(type, ""));
}

TEST(ValueCodec, TextIsCutToTheSecondReadsSmallerSize) {
    const auto buffer = bytes("abc\0\0\0"s);
    EXPECT_EQ(Variant("abc"), decodeValueData(1, buffer, 4));
    // A larger reported size never reads past the buffer.
    EXPECT_EQ(Variant("abc\0\0"s), decodeValueData(1, buffer, 100));
}

TEST(ValueCodec, DwordsAreLittleEndianAndNeverOverrun) {
    EXPECT_EQ(Variant(0x0201), decode(4, "\x01\x02"));
    EXPECT_EQ(Variant(0), decode(4, ""));
    // Longer data: the first four bytes, the rest ignored.
    EXPECT_EQ(Variant(0x04030201), decode(4, "\x01\x02\x03\x04\x05\x06\x07\x08"));
    // Big-endian data come back in stored order for the caller to reverse.
    EXPECT_EQ(Variant(0x04030201), decode(5, "\x01\x02\x03\x04\x05"));
}

TEST(ValueCodec, ReverseByteOrder) {
    EXPECT_EQ(0x04030201, reverseByteOrder(0x01020304));
    for (std::int32_t value : {0, -1, 0x01020304, std::numeric_limits<std::int32_t>::min(), -2})
        EXPECT_EQ(value, reverseByteOrder(reverseByteOrder(value)));
}

TEST(ValueCodec, PercentRuleNeedsASecondPercentTwoPlacesOn) {
    EXPECT_EQ(2, textStorageType("%SystemRoot%\\system32\\ntbackup.exe"));
    EXPECT_EQ(2, textStorageType("%a%"));
    EXPECT_EQ(2, textStorageType("x%%%"));
    EXPECT_EQ(1, textStorageType("C:\\Windows\\system32\\ntbackup.exe"));
    EXPECT_EQ(1, textStorageType("100%"));
    EXPECT_EQ(1, textStorageType("a%%b"));
    EXPECT_EQ(1, textStorageType(""));
}

TEST(ValueCodec, ShellObjectNames) {
    const char* const names[] = {"REG_SZ",
                                 "REG_SZ",
                                 "REG_EXPAND_SZ",
                                 "REG_BINARY",
                                 "REG_DWORD",
                                 "REG_DWORD_BIG_ENDIAN",
                                 "REG_LINK",
                                 "REG_MULTI_SZ",
                                 "REG_RESOURCE_LIST",
                                 "REG_FULL_RESOURCE_DESCRIPTOR",
                                 "REG_RESOURCE_REQUIREMENTS_LIST"};
    for (std::int32_t code = 0; code <= 10; ++code)
        EXPECT_EQ(names[code], typeName(code));
    EXPECT_EQ("REG_SZ", typeName(11));
    EXPECT_EQ("REG_SZ", typeName(-1));

    EXPECT_EQ("HKCR", rootShortName(-2147483647 - 1));
    EXPECT_EQ("HKCU", rootShortName(-2147483647));
    EXPECT_EQ("HKLM", rootShortName(-2147483646));
    EXPECT_EQ("HKUR", rootShortName(-2147483645));
    EXPECT_EQ("", rootShortName(0));
    EXPECT_EQ("", rootShortName(-2147483644));
}

TEST(ValueCodec, ErrorSourceIsTheProgramNameWithoutFolderOrExtension) {
    EXPECT_EQ("Quillmere.Registry", errorSource("C:\\Program Files\\Q.d\\Quillmere.exe"));
    EXPECT_EQ("tool.v2.Registry", errorSource("Z:/build/tool.v2.exe"));
    EXPECT_EQ("plain.Registry", errorSource("C:\\dir.ext\\plain"));
}

TEST(ValueCodec, FailureTexts) {
    EXPECT_EQ("Failed to create registry Key: 'A\\B", describeCreateKeyFailure("A\\B"));
    EXPECT_EQ("Failed to open key '-2147483646',Section: 'A\\B' for delete access",
              describeOpenForDeleteFailure(RootKey::LocalMachine, "A\\B"));
    EXPECT_EQ("Failed to delete registry Key: '-2147483647',Section: 'A',Key: 'v",
              describeDeleteValueFailure(RootKey::CurrentUser, "A", "v"));
    EXPECT_EQ("Failed to set registry ValueData Key: '0',Section: 'A',Key: '' to ValueData: 'x'",
              describeSetValueFailure(0, "A", "", "x"));
}

TEST(Variant, TextForm) {
    EXPECT_EQ("", Variant().toText());
    EXPECT_EQ("a\0b"s, Variant("a\0b"s).toText());
    EXPECT_EQ("-1", Variant(std::int16_t{-1}).toText());
    EXPECT_EQ("-2147483646", Variant(-2147483646).toText());
    EXPECT_EQ("61 62 00 FF", Variant(ByteArray{0, {'a', 'b', 0, 255}}).toText());
    EXPECT_EQ("", Variant(ByteArray{1, {}}).toText());
}

// A double's text is the platform's, which only the Windows build has: at most
// 15 significant digits, read in the invariant locale.
#ifdef _WIN32
TEST(Variant, DoubleText) {
    EXPECT_EQ("2.5", Variant(2.5).toText());
    EXPECT_EQ("0.1", Variant(0.1).toText());
    EXPECT_EQ("0.333333333333333", Variant(1.0 / 3).toText());
    EXPECT_EQ("100", Variant(100.0).toText());
    EXPECT_EQ("0", Variant(-0.0).toText());
    EXPECT_EQ("1E+20", Variant(1e20).toText());
    EXPECT_EQ("1.5E-07", Variant(1.5e-7).toText());
    // Wine writes "INF" and "NAN"; a system may decorate them ("1.#INF"), so
    // only the name is checked.
    EXPECT_NE(std::string::npos,
              Variant(std::numeric_limits<double>::infinity()).toText().find("INF"));
}

TEST(Variant, DoubleTextAtTheEdgesOfTheFormat) {
    EXPECT_EQ("4.94065645841247E-324", Variant(std::numeric_limits<double>::denorm_min()).toText());
    EXPECT_EQ("2.2250738585072E-308", Variant(std::numeric_limits<double>::min()).toText());
    EXPECT_EQ("1.79769313486232E+308", Variant(std::numeric_limits<double>::max()).toText());
    EXPECT_EQ("-1.79769313486232E+308", Variant(-std::numeric_limits<double>::max()).toText());
    EXPECT_EQ("999999999999999", Variant(999999999999999.0).toText());
    EXPECT_EQ("1E+15", Variant(1e15).toText());
    EXPECT_EQ("1.23456789012346E+17", Variant(123456789012345680.0).toText());
    EXPECT_EQ("0.0001", Variant(0.0001).toText());
    EXPECT_EQ("1E-05", Variant(0.00001).toText());
    EXPECT_EQ("123456.789", Variant(123456.789).toText());
    EXPECT_EQ("0.3", Variant(0.1 + 0.2).toText());
    EXPECT_EQ("9.995", Variant(9.995).toText());
    EXPECT_EQ("1E+23", Variant(1e23).toText());
    const std::string minusInfinity = Variant(-std::numeric_limits<double>::infinity()).toText();
    EXPECT_EQ('-', minusInfinity.front());
    EXPECT_NE(std::string::npos, minusInfinity.find("INF"));
    EXPECT_NE(std::string::npos,
              Variant(std::numeric_limits<double>::quiet_NaN()).toText().find("NAN"));
    // Neighbours that differ only in the 17th digit may part in the 15th.
    EXPECT_EQ("3.83922384357282E-239", Variant(std::ldexp(1.0, -792)).toText());
    EXPECT_EQ("3.83922384357281E-239",
              Variant(std::nextafter(std::ldexp(1.0, -792), 0.0)).toText());
}

TEST(Variant, DoubleTextReadsBackToFifteenDigits) {
    std::mt19937_64 random(20261208);
    int compared = 0;
    while (compared < 20000) {
        const auto bits = random();
        const double number = std::bit_cast<double>(bits);
        // Subnormal numbers have fewer digits than 15 to give.
        if (!std::isnormal(number))
            continue;
        const auto readsBack = [](double expected) {
            const std::string text = Variant(expected).toText();
            return std::fabs(std::strtod(text.c_str(), nullptr) - expected) <=
                   std::fabs(expected) * 1e-14;
        };
        ASSERT_TRUE(readsBack(number)) << std::hexfloat << number;
        // Short decimals, and whole numbers on both sides of 10^15.
        const double decimal = static_cast<double>(bits % 1000000) / 1000.0;
        ASSERT_TRUE(readsBack(decimal)) << decimal;
        const double whole = static_cast<double>(bits % 100000000000000000);
        ASSERT_TRUE(readsBack(whole)) << whole;
        ++compared;
    }
}
#endif

TEST(BasedArray, IndexesFromItsLowerBound) {
    StringArray names{1, {"A", "B"}};
    EXPECT_EQ("A", names[1]);
    EXPECT_EQ("B", names[2]);
    EXPECT_EQ(2, names.upperBound());
    EXPECT_THROW(names[0], std::out_of_range);
    EXPECT_THROW(names[3], std::out_of_range);
    ByteArray negative{-1, {7, 8}};
    EXPECT_TRUE(negative.contains(0));
    EXPECT_EQ(8, negative[0]);
    EXPECT_FALSE(ByteArray{}.contains(0));
}

} // namespace
