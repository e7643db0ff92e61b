// The Registry class's rules that need no system call: how the bytes read for
// a value become a Variant, which string type a text is stored as, the names
// the shell object is given, and the failure texts. No Windows headers here,
// so these can be built natively, run under sanitizers and fuzzed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "registry/Variant.h"

// Registry value type codes, as Windows numbers them.
namespace ValueTypeCode {
inline constexpr std::int32_t None = 0;
inline constexpr std::int32_t String = 1;
inline constexpr std::int32_t ExpandString = 2;
inline constexpr std::int32_t Binary = 3;
inline constexpr std::int32_t Dword = 4;
inline constexpr std::int32_t DwordBigEndian = 5;
inline constexpr std::int32_t Link = 6;
inline constexpr std::int32_t MultiString = 7;
} // namespace ValueTypeCode

// Root key values as KeyClass holds them: the predefined handles' low 32 bits.
namespace RootKey {
inline constexpr std::int32_t ClassesRoot = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t CurrentUser = static_cast<std::int32_t>(0x80000001u);
inline constexpr std::int32_t LocalMachine = static_cast<std::int32_t>(0x80000002u);
inline constexpr std::int32_t Users = static_cast<std::int32_t>(0x80000003u);
} // namespace RootKey

// The numbers a RegistryError carries.
namespace ErrorNumber {
inline constexpr std::int32_t InvalidArgument = 5;
inline constexpr std::int32_t IndexOutOfRange = 9;
inline constexpr std::int32_t RegistryFailure = 26001;
inline constexpr std::int32_t ValueStoreFailure = static_cast<std::int32_t>(0x800469A9u);
inline constexpr std::int32_t EnumerationFailure = static_cast<std::int32_t>(0x800469AAu);
} // namespace ErrorNumber

struct TypeName {
    std::int32_t code;
    std::string_view name;
};

// What SetDefault calls each type code; every code not listed is "REG_SZ".
inline constexpr std::array<TypeName, 11> typeNames{{
    {0, "REG_SZ"},
    {1, "REG_SZ"},
    {2, "REG_EXPAND_SZ"},
    {3, "REG_BINARY"},
    {4, "REG_DWORD"},
    {5, "REG_DWORD_BIG_ENDIAN"},
    {6, "REG_LINK"},
    {7, "REG_MULTI_SZ"},
    {8, "REG_RESOURCE_LIST"},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR"},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST"},
}};

struct RootName {
    std::int32_t keyClass;
    std::string_view shortName;
};

// What SetDefault calls each root; any other KeyClass has no short name.
inline constexpr std::array<RootName, 4> rootNames{{
    {RootKey::ClassesRoot, "HKCR"},
    {RootKey::CurrentUser, "HKCU"},
    {RootKey::LocalMachine, "HKLM"},
    {RootKey::Users, "HKUR"},
}};

std::string_view typeName(std::int32_t valueType);
std::string_view rootShortName(std::int32_t keyClass);

// The value getter's conversion of what the second read left in `data` (a
// buffer as long as the first query's size). `reportedSize` is the size the
// second read reported; text is cut to it when it is smaller, since Windows'
// size-only query may overestimate an ANSI string.
//  - REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ: the bytes without the final one,
//    whatever it holds (normally the terminator); inner NULs stay. No bytes
//    give the empty text. REG_EXPAND_SZ comes back unexpanded.
//  - REG_DWORD, REG_DWORD_BIG_ENDIAN: the first (at most) four bytes as a
//    little-endian int32, missing bytes 0. Longer data are not an error: the
//    rest is ignored. REG_DWORD_BIG_ENDIAN comes back in stored order; the
//    caller reverses it.
//  - every other code: a byte array indexed 0 to data.size(), the data then
//    one extra 0.
Variant decodeValueData(std::int32_t typeCode, std::span<const std::uint8_t> data,
                        std::size_t reportedSize);

std::int32_t reverseByteOrder(std::int32_t value);

// REG_EXPAND_SZ when a second "%" follows the first at least two places on,
// REG_SZ otherwise: "%%" alone or a single "%" holds no reference to expand.
std::int32_t textStorageType(std::string_view text);

// "<program>.Registry" from the executable's path (either separator).
std::string errorSource(std::string_view modulePath);

std::string describeCreateKeyFailure(std::string_view keyName);
std::string describeOpenForDeleteFailure(std::int32_t keyClass, std::string_view keyName);
std::string describeDeleteValueFailure(std::int32_t keyClass, std::string_view keyName,
                                       std::string_view valueName);
std::string describeSetValueFailure(std::int32_t keyClass, std::string_view keyName,
                                    std::string_view valueName, std::string_view valueText);
