// Signals an event when a key changes: a value or key created, changed or
// deleted anywhere below it, or the key itself created or deleted. Absent, the
// key is stood in for by its nearest ancestor that exists, up to `highest`
// (an ancestor of the key, or the key itself): higher up, the watch would take
// in far more than the key, up to the whole hive. A notification fires once:
// Arm again after each, which also moves the watch to what exists by then.
#pragma once

#include <windows.h>

#include <string>

#include "base/Handles.h"

class KeyWatch {
public:
    KeyWatch(HKEY root, std::string keyName, std::string highest);

    // An auto-reset event, the same one for every arming; null when the
    // system gave none.
    HANDLE Event() const { return event_.get(); }
    // False when nothing could be watched (the key and its ancestors up to
    // `highest` absent, or the registry refusing): the event then stays
    // unsignalled until an Arm succeeds.
    bool Arm();

private:
    HKEY root_;
    std::string keyName_;
    std::string highest_;
    base::unique_handle event_;
    base::unique_hkey watched_;
    base::unique_hkey parent_;
};
