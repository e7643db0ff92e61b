// One-line owners for every handle the program opens: each is released by its
// own close function when its owner ends, also when an exception passes.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include "base/UniqueAny.h"

namespace base {

inline void DeleteFont(HFONT font) {
    ::DeleteObject(font);
}
inline void DeleteBrush(HBRUSH brush) {
    ::DeleteObject(brush);
}
inline void DeleteBitmap(HBITMAP bitmap) {
    ::DeleteObject(bitmap);
}

using unique_hkey = unique_any<HKEY, decltype(&::RegCloseKey), ::RegCloseKey>;
using unique_bstr = unique_any<BSTR, decltype(&::SysFreeString), ::SysFreeString>;
using unique_handle = unique_any<HANDLE, decltype(&::CloseHandle), ::CloseHandle>;
using unique_hfont = unique_any<HFONT, decltype(&DeleteFont), DeleteFont>;
using unique_hbrush = unique_any<HBRUSH, decltype(&DeleteBrush), DeleteBrush>;
using unique_hbitmap = unique_any<HBITMAP, decltype(&DeleteBitmap), DeleteBitmap>;
using unique_hdc = unique_any<HDC, decltype(&::DeleteDC), ::DeleteDC>;
using unique_hicon = unique_any<HICON, decltype(&::DestroyIcon), ::DestroyIcon>;
using unique_hglobal = unique_any<HGLOBAL, decltype(&::GlobalFree), ::GlobalFree>;

// A VARIANT that is cleared (freeing what it owns) when it goes out of scope.
class unique_variant {
public:
    unique_variant() { ::VariantInit(&value_); }
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;
    ~unique_variant() { ::VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    VARIANT* operator->() { return &value_; }

private:
    VARIANT value_;
};

} // namespace base
