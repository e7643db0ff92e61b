// Text for what the program writes: UTF-8, whatever the ANSI code page of the
// registry's text and of the arguments.
#pragma once

#include <string>

#include "base/Text.h"

namespace console {

using base::Widened;

// ANSI text as UTF-8: the same bytes where the manifest's code page is in
// force (Windows 10 1903 and later), converted on older systems.
std::string Utf8(const std::string& ansi);

} // namespace console
