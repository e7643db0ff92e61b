// A double's text for the native build, which has no OLE Automation: the C
// library's "%.15G", the form the Windows build's text takes. No native test
// checks it; the Windows build's tests check the platform's.
#include <cstdio>

#include "registry/Variant.h"

std::string numberText(double number) {
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%.15G", number);
    return std::string(text, static_cast<std::size_t>(length));
}
