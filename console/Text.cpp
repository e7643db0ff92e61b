#include "console/Text.h"

#include <windows.h>

namespace console {

std::string Utf8(const std::string& ansi) {
    if (GetACP() == CP_UTF8 || ansi.empty())
        return ansi;
    const std::wstring wide = Widened(ansi, CP_ACP);
    const int length = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

} // namespace console
