// The steps every Registry operation is made of, shared by the class's
// source files: the root's handle, opening a key, counting, and raising.
// Internal to the registry layer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/Handles.h"

namespace registry_detail {

// Enough to write values and add subkeys without asking for DELETE or the
// security rights that KEY_ALL_ACCESS adds.
inline constexpr REGSAM writeAccess = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
                                      KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_CREATE_LINK;

// KeyClass holds the root's handle value as a signed 32-bit number; the
// predefined handles are those numbers sign-extended to pointer width.
HKEY rootHandle(std::int32_t keyClass);

// Every failure of the class leaves through here, so each carries the same
// source and a number and description from the one table of texts.
[[noreturn]] void raiseFailure(std::int32_t number, std::string description);

// Counts and indices are signed 32-bit; passing the largest is a failure, not
// a wrap-around.
std::int32_t nextCount(std::int32_t count);

LSTATUS openKey(std::int32_t keyClass, const std::string& keyName, REGSAM access,
                base::unique_hkey& key);

} // namespace registry_detail
