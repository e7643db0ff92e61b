// Text between the code pages the program meets: the ANSI code page of the
// registry's text and of the arguments, UTF-16 for the system's comparisons
// and the console, UTF-8 for everything the program writes.
#pragma once

#include <string>

namespace console {

std::wstring Widened(const std::string& text, unsigned codePage);

// ANSI text as UTF-8: the same bytes where the manifest's code page is in
// force (Windows 10 1903 and later), converted on older systems.
std::string Utf8(const std::string& ansi);

} // namespace console
