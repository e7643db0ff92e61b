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
    EXPECT_EQ("2.5", Variant(2.5).toText());
    EXPECT_EQ("0.1", Variant(0.1).toText());
    // The fewest digits that read back, and whole numbers without exponent.
    EXPECT_EQ("0.3333333333333333", Variant(1.0 / 3).toText());
    EXPECT_EQ("100", Variant(100.0).toText());
    EXPECT_EQ("-0", Variant(-0.0).toText());
    EXPECT_EQ("1e+20", Variant(1e20).toText());
    EXPECT_EQ("1.5e-07", Variant(1.5e-7).toText());
    EXPECT_EQ("inf", Variant(std::numeric_limits<double>::infinity()).toText());
}

TEST(Variant, DoubleTextAtTheEdgesOfTheFormat) {
    EXPECT_EQ("5e-324", Variant(std::numeric_limits<double>::denorm_min()).toText());
    EXPECT_EQ("2.2250738585072014e-308", Variant(std::numeric_limits<double>::min()).toText());
    EXPECT_EQ("1.7976931348623157e+308", Variant(std::numeric_limits<double>::max()).toText());
    EXPECT_EQ("-1.7976931348623157e+308", Variant(-std::numeric_limits<double>::max()).toText());
    EXPECT_EQ("999999999999999", Variant(999999999999999.0).toText());
    EXPECT_EQ("1e+15", Variant(1e15).toText());
    EXPECT_EQ("1.2345678901234568e+17", Variant(123456789012345680.0).toText());
    EXPECT_EQ("0.0001", Variant(0.0001).toText());
    EXPECT_EQ("1e-05", Variant(0.00001).toText());
    EXPECT_EQ("123456.789", Variant(123456.789).toText());
    EXPECT_EQ("0.30000000000000004", Variant(0.1 + 0.2).toText());
    EXPECT_EQ("9.995", Variant(9.995).toText());
    EXPECT_EQ("1e+23", Variant(1e23).toText());
    EXPECT_EQ("-inf", Variant(-std::numeric_limits<double>::infinity()).toText());
    EXPECT_EQ("nan", Variant(std::numeric_limits<double>::quiet_NaN()).toText());
    // Just below a power of two the doubles lie twice as close together:
    // 2^-792 needs 17 digits, its lower neighbour 16.
    EXPECT_EQ("3.8392238435728152e-239", Variant(std::ldexp(1.0, -792)).toText());
    EXPECT_EQ("3.839223843572815e-239",
              Variant(std::nextafter(std::ldexp(1.0, -792), 0.0)).toText());
}

// The text printf's "%.<n>g" gives for the smallest n whose text strtod reads
// back as the same number, and "%.0f" for whole numbers below 10^15.
std::string printfShortest(double number) {
    char buffer[32] = {};
    if (number == std::trunc(number) && std::fabs(number) < 1e15) {
        std::snprintf(buffer, sizeof buffer, "%.0f", number);
        return buffer;
    }
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, number);
        if (std::strtod(buffer, nullptr) == number)
            break;
    }
    return buffer;
}

TEST(Variant, DoubleTextIsPrintfsShortestThatReadsBack) {
    std::mt19937_64 random(20261208);
    int compared = 0;
    while (compared < 20000) {
        const auto bits = random();
        const double number = std::bit_cast<double>(bits);
        // MinGW's strtod rounds some texts next to a power of two the wrong
        // way (see the case above): such numbers are no oracle.
        const auto fraction = bits & ((std::uint64_t{1} << 52) - 1);
        if (std::isnan(number) || fraction == 0 || fraction == (std::uint64_t{1} << 52) - 1)
            continue;
        ASSERT_EQ(printfShortest(number), Variant(number).toText()) << std::hexfloat << number;
        // Short decimals, and whole numbers on both sides of 10^15.
        const double decimal = static_cast<double>(bits % 1000000) / 1000.0;
        ASSERT_EQ(printfShortest(decimal), Variant(decimal).toText()) << decimal;
        const double whole = static_cast<double>(bits % 100000000000000000);
        ASSERT_EQ(printfShortest(whole), Variant(whole).toText()) << whole;
        ++compared;
    }
}

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
