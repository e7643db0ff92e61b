// Text between the code pages the layers meet (the ANSI code page of the
// registry's text and of the arguments, UTF-16 for the system's comparisons
// and the console), and the system's texts for its error numbers.
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

inline std::string Narrowed(const std::wstring& wide, unsigned codePage) {
    const int length = static_cast<int>(wide.size());
    const int size = length == 0 ? 0
                                 : WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0,
                                                       nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
    return text;
}

// The system's text for an error number, in the ANSI code page and without
// its line break; empty where the system has none.
inline std::string SystemMessage(DWORD number) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, number, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message(text ? text : "", length);
    LocalFree(text);
    message.erase(message.find_last_not_of(" \r\n") + 1);
    return message;
}

} // namespace base
