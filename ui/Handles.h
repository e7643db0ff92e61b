// One-line owners for the GDI and USER handles the windows create.
#pragma once

#include <windows.h>

#include "registry/UniqueAny.h"

namespace ui {

inline void DeleteFont(HFONT font) {
    ::DeleteObject(font);
}
inline void DeleteBrush(HBRUSH brush) {
    ::DeleteObject(brush);
}

using unique_hfont = unique_any<HFONT, decltype(&DeleteFont), DeleteFont>;
using unique_hbrush = unique_any<HBRUSH, decltype(&DeleteBrush), DeleteBrush>;
using unique_hicon = unique_any<HICON, decltype(&::DestroyIcon), ::DestroyIcon>;
using unique_hglobal = unique_any<HGLOBAL, decltype(&::GlobalFree), ::GlobalFree>;

} // namespace ui
