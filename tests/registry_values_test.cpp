// Reading and writing value data, Default, SetDefault and DeleteDefault
// against the real registry and the real shell object.
#include "support/ScratchKey.h"
#include "support/Text.h"

#include <objbase.h>

namespace {

using namespace std::string_literals;
using namespace support;

constexpr const char* source = "registry_values_test.Registry";

ByteArray byteArray(std::int32_t lowerBound, std::vector<std::uint8_t> elements) {
    return ByteArray{lowerBound, std::move(elements)};
}

RawValue raw(DWORD type, std::string_view data) {
    return RawValue{type, bytesOf(data)};
}

class ValueRead : public RegistryTest {
protected:
    // Stores raw data as value "v" and reads it through the class.
    Variant read(DWORD type, std::string_view data) {
        scratch.set("v", type, bytesOf(data));
        registry.ValueName("v");
        return registry.ValueData();
    }
};

TEST_F(ValueRead, MissingValueOrKeyGivesACopyOfDefault) {
    EXPECT_TRUE(registry.ValueData().isEmpty());
    registry.Default(Variant("fallback"));
    registry.ValueType(3);
    registry.ValueName("missing");
    EXPECT_EQ(Variant("fallback"), registry.ValueData());
    registry.KeyName(scratch.path("Missing"));
    EXPECT_EQ(Variant("fallback"), registry.ValueData());
    EXPECT_EQ(3, registry.ValueType());
}

TEST_F(ValueRead, StringsDropTheirFinalByte) {
    EXPECT_EQ(Variant("abc"), read(REG_SZ, "abc\0"s));
    EXPECT_EQ(1, registry.ValueType());
    EXPECT_EQ(Variant(""), read(REG_SZ, "\0"s));
    EXPECT_EQ(Variant("ab\0"s), read(REG_SZ, "ab\0\0"s));
    EXPECT_EQ(Variant("a\0b\0"s), read(REG_MULTI_SZ, "a\0b\0\0"s));
    EXPECT_EQ(7, registry.ValueType());

    // Without a terminator the class drops the last byte the registry reports
    // (Wine reports "abc" and a terminator it added; Windows reports "abc").
    const Variant unterminated = read(REG_SZ, "abc");
    const auto reported = scratch.get("v")->data;
    EXPECT_EQ(Variant(std::string(reported.begin(), reported.end() - 1)), unterminated);
}

TEST_F(ValueRead, EmptyStringDataReadAsEmptyText) {
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        EXPECT_EQ(Variant(""), read(type, ""));
        EXPECT_EQ(static_cast<std::int32_t>(type), registry.ValueType());
    }
}

TEST_F(ValueRead, LongStringsReadWhole) {
    const std::string text(1 << 20, 'q');
    EXPECT_EQ(Variant(text), read(REG_SZ, text + '\0'));
}

TEST_F(ValueRead, ExpandStringsHaveTheirReferencesExpanded) {
    EXPECT_EQ(Variant(environment("SystemRoot") + "\\system32\\ntbackup.exe"),
              read(REG_EXPAND_SZ, "%SystemRoot%\\system32\\ntbackup.exe\0"s));
    EXPECT_EQ(2, registry.ValueType());
    EXPECT_EQ(Variant("plain"), read(REG_EXPAND_SZ, "plain\0"s));

    // Written back while ValueType is still 2, the expanded text has no "%".
    registry.ValueData(Variant(environment("SystemRoot") + "\\x"));
    EXPECT_EQ(raw(REG_SZ, environment("SystemRoot") + "\\x\0"s), scratch.get("v"));
    EXPECT_EQ(2, registry.ValueType());
}

TEST_F(ValueRead, DwordsInBothByteOrders) {
    EXPECT_EQ(Variant(0x12345678), read(REG_DWORD, "\x78\x56\x34\x12"));
    EXPECT_EQ(4, registry.ValueType());
    EXPECT_EQ(Variant(0x12345678), read(REG_DWORD_BIG_ENDIAN, "\x12\x34\x56\x78"));
    EXPECT_EQ(5, registry.ValueType());
    EXPECT_EQ(Variant(-2), read(REG_DWORD, "\xFE\xFF\xFF\xFF"));
}

TEST_F(ValueRead, OverlongDwordsGiveTheirFirstFourBytes) {
    EXPECT_EQ(Variant(0x04030201), read(REG_DWORD, "\x01\x02\x03\x04\x05\x06\x07\x08"));
    EXPECT_EQ(Variant(0x01020304), read(REG_DWORD_BIG_ENDIAN, "\x01\x02\x03\x04\x05\x06\x07\x08"));
}

TEST_F(ValueRead, OtherTypesReadAsByteArraysWithAnExtraZero) {
    EXPECT_EQ(Variant(byteArray(0, {'a', 0, 'c', 0})), read(REG_BINARY, "a\0c"s));
    EXPECT_EQ(Variant(byteArray(0, {0})), read(REG_BINARY, ""));
    EXPECT_EQ(Variant(byteArray(0, {1, 2, 3, 4, 5, 6, 7, 8, 0})),
              read(11, "\x01\x02\x03\x04\x05\x06\x07\x08"));
    EXPECT_EQ(11, registry.ValueType());
    EXPECT_EQ(Variant(byteArray(0, {'n', 0})), read(REG_NONE, "n"));
}

class ValueWrite : public RegistryTest {
protected:
    ValueWrite() { registry.ValueName("v"); }
};

TEST_F(ValueWrite, TextTypesFollowThePercentRule) {
    registry.ValueType(REG_SZ);
    const std::pair<std::string, DWORD> cases[] = {
        {"%SystemRoot%\\system32\\ntbackup.exe", REG_EXPAND_SZ},
        {"C:\\Windows\\system32\\ntbackup.exe", REG_SZ},
        {"100% done", REG_SZ},
        {"a%%b", REG_SZ}};
    for (const auto& [text, type] : cases) {
        registry.ValueData(Variant(text));
        EXPECT_EQ(raw(type, text + '\0'), scratch.get("v")) << text;
        EXPECT_EQ(1, registry.ValueType());
    }
    registry.ValueType(REG_EXPAND_SZ);
    registry.ValueData(Variant(-5));
    EXPECT_EQ(raw(REG_SZ, "-5\0"s), scratch.get("v"));
    registry.ValueData(Variant(2.5));
    EXPECT_EQ(raw(REG_SZ, "2.5\0"s), scratch.get("v"));
}

TEST_F(ValueWrite, CreatesAMissingKey) {
    registry.KeyName(scratch.path("New\\Key"));
    registry.ValueType(REG_SZ);
    registry.ValueData(Variant("x"));
    EXPECT_EQ(raw(REG_SZ, "x\0"s), scratch.get("v", "New\\Key"));
}

TEST_F(ValueWrite, DwordTypesStoreIntegersOnly) {
    registry.ValueType(REG_DWORD);
    registry.ValueData(Variant(std::int16_t{-1}));
    EXPECT_EQ(raw(REG_DWORD, "\xFF\xFF\xFF\xFF"), scratch.get("v"));
    registry.ValueType(REG_DWORD_BIG_ENDIAN);
    registry.ValueData(Variant(0x12345678));
    EXPECT_EQ(raw(REG_DWORD, "\x78\x56\x34\x12"), scratch.get("v"));
    for (const Variant& other : {Variant("7"), Variant(7.0), Variant(), Variant(byteArray(0, {7}))})
        registry.ValueData(other);
    EXPECT_EQ(raw(REG_DWORD, "\x78\x56\x34\x12"), scratch.get("v"));
}

TEST_F(ValueWrite, BinaryStoresTheArrayFromElementZero) {
    registry.ValueType(REG_BINARY);
    registry.ValueData(Variant(byteArray(0, {1, 2, 3})));
    EXPECT_EQ(raw(REG_BINARY, "\x01\x02\x03"), scratch.get("v"));
    registry.ValueData(Variant(byteArray(-1, {9, 4, 5})));
    EXPECT_EQ(raw(REG_BINARY, "\x04\x05"), scratch.get("v"));

    RegistryError error = raisedBy([&] { registry.ValueData(Variant(byteArray(1, {1}))); });
    EXPECT_EQ(9, error.Number());
    error = raisedBy([&] { registry.ValueData(Variant("text")); });
    EXPECT_EQ(26001, error.Number());
    EXPECT_EQ(source, error.Source());
    EXPECT_EQ("Failed to set registry ValueData Key: '-2147483647',Section: '" + scratch.path() +
                  "',Key: 'v' to ValueData: 'text'",
              error.Description());
    EXPECT_EQ(raw(REG_BINARY, "\x04\x05"), scratch.get("v"));
}

TEST_F(ValueWrite, UnsupportedTypesStoreNothingButKeepTheValue) {
    for (std::int32_t type : {0, 6, 7, 10, 11, -1}) {
        registry.ValueType(type);
        registry.ValueData(Variant("kept " + std::to_string(type)));
    }
    EXPECT_FALSE(scratch.get("v"));
    // LastValueData holds the last value; SetDefault writes it as "REG_SZ".
    EXPECT_EQ(True, registry.SetDefault());
    EXPECT_EQ(raw(REG_SZ, "kept -1\0"s), scratch.get(""));
}

TEST(RegistryLocalMachine, WriteWithoutTheRightToOpenTheKeyRaises26001) {
    ScratchKey scratch(HKEY_LOCAL_MACHINE);
    scratch.create("Open");
    scratch.create("Closed");
    scratch.deny("Closed", KEY_SET_VALUE);
    Registry registry = scratch.registryAt("Open");
    registry.ValueType(REG_SZ);
    registry.ValueData(Variant("first"));

    registry.KeyName(scratch.path("Closed"));
    const RegistryError error = raisedBy([&] { registry.ValueData(Variant(42)); });
    EXPECT_EQ(26001, error.Number());
    EXPECT_EQ("registry_values_test.Registry", error.Source());
    EXPECT_EQ("Failed to set registry ValueData Key: '-2147483646',Section: '" +
                  scratch.path("Closed") + "',Key: '' to ValueData: '42'",
              error.Description());

    // LastValueData still holds "first".
    registry.KeyName(scratch.path("Open"));
    EXPECT_EQ(True, registry.SetDefault());
    EXPECT_EQ(raw(REG_SZ, "first\0"s), scratch.get("", "Open"));
}

TEST_F(ValueWrite, RefusedStoreRaises0x800469A9) {
    registry.ValueType(REG_SZ);
    registry.ValueData(Variant("first"));
    // The registry refuses value names longer than 16383 characters.
    const std::string longName(20000, 'n');
    registry.ValueName(longName);
    const RegistryError error = raisedBy([&] { registry.ValueData(Variant("second")); });
    EXPECT_EQ(static_cast<std::int32_t>(0x800469A9u), error.Number());
    EXPECT_EQ(source, error.Source());
    EXPECT_EQ("Failed to set registry ValueData Key: '-2147483647',Section: '" + scratch.path() +
                  "',Key: '" + longName + "' to ValueData: 'second'",
              error.Description());
    EXPECT_EQ(True, registry.SetDefault());
    EXPECT_EQ(raw(REG_SZ, "first\0"s), scratch.get(""));
}

TEST_F(RegistryTest, DefaultAndDeleteDefaultHoldTheirOwnCopies) {
    Variant value("original");
    registry.Default(value);
    value = Variant(1);
    EXPECT_EQ(Variant("original"), registry.Default());

    scratch.set("", REG_SZ, bytesOf("d\0"s));
    registry.ValueType(REG_BINARY);
    EXPECT_TRUE(registry.DeleteDefault().isEmpty());
    EXPECT_EQ(raw(REG_SZ, "d\0"s), scratch.get(""));
    EXPECT_EQ(REG_BINARY, registry.ValueType());
    EXPECT_EQ(Variant("original"), registry.Default());
}

TEST_F(RegistryTest, SetDefaultWritesTheUnnamedValueWithTheTypeName) {
    registry.ValueName("ignored");
    registry.ValueType(REG_SZ);
    registry.ValueData(Variant("%TEMP%\\x"));
    registry.ValueType(REG_EXPAND_SZ);
    EXPECT_EQ(True, registry.SetDefault());
    EXPECT_EQ(raw(REG_EXPAND_SZ, "%TEMP%\\x\0"s), scratch.get(""));

    registry.ValueType(REG_DWORD);
    registry.ValueData(Variant(std::int16_t{-1}));
    EXPECT_EQ(True, registry.SetDefault());
    EXPECT_EQ(raw(REG_DWORD, "\xFF\xFF\xFF\xFF"), scratch.get(""));
}

TEST_F(RegistryTest, SetDefaultOfAFreshValueWritesTheEmptyText) {
    EXPECT_EQ(True, registry.SetDefault());
    EXPECT_EQ(raw(REG_SZ, "\0"s), scratch.get(""));
}

TEST(RegistryLocalMachine, SetDefaultNamesTheRootAndBothLevels) {
    ScratchKey scratch(HKEY_LOCAL_MACHINE);
    Registry registry = scratch.registryAt("Level");
    registry.ValueType(REG_SZ);
    registry.ValueData(Variant("%SystemRoot%\\x"));
    registry.ValueType(REG_EXPAND_SZ);
    EXPECT_EQ(True, registry.SetDefault());
    EXPECT_EQ(raw(REG_EXPAND_SZ, "%SystemRoot%\\x\0"s), scratch.get("", "Level"));
}

TEST_F(RegistryTest, SetDefaultFailuresGiveFalseAndRaiseNothing) {
    registry.ValueName("v");
    registry.ValueType(REG_SZ);
    registry.ValueData(Variant("x"));
    // No short name: the name then begins with a backslash, which RegWrite
    // rejects; likewise the users' root under the short name "HKUR".
    for (std::int32_t root : {0, keyClassOf(HKEY_USERS), 12345}) {
        registry.KeyClass(root);
        EXPECT_EQ(False, registry.SetDefault()) << root;
    }
    // A type the shell object does not write.
    registry.KeyClass(scratch.keyClass());
    registry.ValueType(REG_MULTI_SZ);
    EXPECT_EQ(False, registry.SetDefault());
    EXPECT_FALSE(scratch.get(""));
}

TEST_F(RegistryTest, SetDefaultBalancesComInitialisation) {
    EXPECT_EQ(True, registry.SetDefault());
    // This thread is left uninitialised, as it was.
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    // Inside the caller's own initialisation it works and leaves it in place.
    EXPECT_EQ(True, registry.SetDefault());
    EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CoUninitialize();
    CoUninitialize();
}

} // namespace
