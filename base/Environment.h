// The expansion of %name% references in a text, by the system, for every layer
// that reads a command line or a stored path.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace base {

// The text up to its first NUL with its references expanded, or nothing when
// the system cannot expand it whole. The wide function does the expansion: the
// ANSI one counts its result in UTF-16 units under a UTF-8 code page, so a
// path with non-ASCII characters could come back cut short. It takes and gives
// at most 32K characters with the terminator. A text without references is its
// own expansion, however long.
inline std::optional<std::string> ExpandEnvironment(std::string_view text) {
    constexpr int longest = 32767;
    const std::string_view source = text.substr(0, text.find('\0'));
    if (source.find('%') == std::string_view::npos)
        return std::string(source);
    const int size = static_cast<int>(source.size());
    if (source.size() >= longest)
        return std::nullopt;
    wchar_t wide[longest];
    const int length = MultiByteToWideChar(CP_ACP, 0, source.data(), size, wide, longest - 1);
    if (length == 0)
        return std::nullopt;
    wide[length] = L'\0';
    // A variable may change between two calls: the expansion is taken only
    // when it fitted, with its terminator.
    wchar_t expanded[longest];
    const DWORD needed = ExpandEnvironmentStringsW(wide, expanded, longest);
    if (needed == 0 || needed > longest)
        return std::nullopt;
    std::string narrow(static_cast<std::size_t>(needed) * 3, '\0');
    const int written =
        WideCharToMultiByte(CP_ACP, 0, expanded, static_cast<int>(needed) - 1, narrow.data(),
                            static_cast<int>(narrow.size()), nullptr, nullptr);
    if (written == 0 && needed > 1)
        return std::nullopt;
    narrow.resize(static_cast<std::size_t>(written));
    return narrow;
}

} // namespace base
