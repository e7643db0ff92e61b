// The expansion of %name% references in a text, by the system, for every layer
// that reads a command line or a stored path.
#pragma once

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace base {

// The text up to its first NUL with its references expanded, or nothing when
// the system cannot expand it whole. ExpandEnvironmentStringsA takes and gives
// at most 32K characters with the terminator: given more, Wine reports a wrong
// size and writes past the buffer, or fills only the start of it. A text
// without references is its own expansion, however long.
inline std::optional<std::string> ExpandEnvironment(std::string_view text) {
    constexpr std::size_t longest = 32767;
    const std::string source(text.substr(0, text.find('\0')));
    if (source.find('%') == std::string::npos)
        return source;
    if (source.size() >= longest)
        return std::nullopt;
    // The ANSI version wants room for one character more than the text and its
    // terminator, and a variable may change between two calls: so grow until
    // the text fits, then cut it at its terminator.
    std::string expanded(source.size() + 2, '\0');
    for (;;) {
        const DWORD needed = ExpandEnvironmentStringsA(source.c_str(), expanded.data(),
                                                       static_cast<DWORD>(expanded.size()));
        if (needed == 0 || needed > longest)
            return std::nullopt;
        if (needed < expanded.size()) {
            expanded.resize(std::strlen(expanded.c_str()));
            return expanded;
        }
        expanded.resize(needed + 1);
    }
}

} // namespace base
