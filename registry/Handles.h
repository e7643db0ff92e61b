// Owners for the registry's handles.
#pragma once

#include <windows.h>

#include "registry/UniqueAny.h"

using unique_hkey = unique_any<HKEY, decltype(&::RegCloseKey), ::RegCloseKey>;
