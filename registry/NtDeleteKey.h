// The native call that deletes the key a handle is open on, a symbolic link
// as the link itself. ntdll exports it, but no Windows header declares it.
#pragma once

#include <windows.h>

extern "C" LONG NTAPI NtDeleteKey(HANDLE key);
