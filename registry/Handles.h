// Owners for the handles the registry code opens: each is released by its own
// close function when its owner ends, also when an exception passes.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include "registry/UniqueAny.h"

using unique_hkey = unique_any<HKEY, decltype(&::RegCloseKey), ::RegCloseKey>;
using unique_bstr = unique_any<BSTR, decltype(&::SysFreeString), ::SysFreeString>;

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
