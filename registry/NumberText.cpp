// A double's text form from OLE Automation, which the program imports for the
// shell object anyway: the C++ library's own conversion would bring some
// 170 KiB of tables and the C library's printf with it.
#include <windows.h>

#include <oleauto.h>

#include <new>

#include "base/Handles.h"
#include "registry/Variant.h"

std::string numberText(double number) {
    base::unique_bstr text;
    // The invariant locale: the same text on every system, with a point. Every
    // double has a text, so only the string's allocation can fail.
    if (FAILED(VarBstrFromR8(number, LOCALE_INVARIANT, 0, text.put())))
        throw std::bad_alloc();
    const int length = static_cast<int>(SysStringLen(text.get()));
    std::string converted(
        WideCharToMultiByte(CP_ACP, 0, text.get(), length, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.get(), length, converted.data(),
                        static_cast<int>(converted.size()), nullptr, nullptr);
    return converted;
}
