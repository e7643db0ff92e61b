#include "console/Text.h"

#include <windows.h>

namespace console {

std::string Utf8(const std::string& ansi) {
    if (GetACP() == CP_UTF8 || ansi.empty())
        return ansi;
    return base::Narrowed(Widened(ansi, CP_ACP), CP_UTF8);
}

} // namespace console
