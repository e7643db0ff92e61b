// Every write into a tool key, reported to the Application event log under
// the source Quillmere: these keys are a known persistence point that security
// teams watch, and the registry keeps neither the line a write replaced nor
// who wrote it. The texts are the message table of res/Events.mc, linked into
// both programs.
#pragma once

#include <windows.h>

#include "res/Events.h"
#include "rules/ToolRules.h"

namespace rules {

// What a write was for, each its own event ID.
enum class Change : DWORD {
    Set = QUILLMERE_EVENT_SET, // quillmerec's set and default
    Off = QUILLMERE_EVENT_OFF,
    Quoted = QUILLMERE_EVENT_QUOTED,
    Restored = QUILLMERE_EVENT_RESTORED,     // a repair by the Default or the expected line
    Saved = QUILLMERE_EVENT_SAVED,           // the window's save
    Expandable = QUILLMERE_EVENT_EXPANDABLE, // a repair that keeps the line as REG_EXPAND_SZ
};

// Writes the row as WriteRow does, then reports the change; a write the
// registry refused is reported as an error event before it is raised or
// returned. `was` is the key as stored before. The event source is opened only
// here, so a run that writes nothing costs nothing; and the event log is never
// a reason to fail: where it cannot be written, the write stands and nothing
// says so.
bool WriteRowReported(Registry& registry, int tool, const Row& row, bool expand, Change change,
                      const StoredValue& was);

} // namespace rules
