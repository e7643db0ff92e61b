// Text between the code pages the layers meet: the ANSI code page of the
// registry's text and of the arguments, UTF-16 for the system's comparisons
// and the console.
#pragma once

#include <windows.h>

#include <string>

namespace base {

inline std::wstring Widened(const std::string& text, unsigned codePage) {
    const int size = static_cast<int>(text.size());
    const int length =
        size == 0 ? 0 : MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (length > 0)
        MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

} // namespace base
