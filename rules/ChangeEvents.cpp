#include "rules/ChangeEvents.h"

#include <charconv>
#include <string>

#include "base/Handles.h"
#include "registry/ValueCodec.h"
#include "rules/ProgramRights.h"

namespace rules {

namespace {

using unique_event_source =
    base::unique_any<HANDLE, decltype(&::DeregisterEventSource), ::DeregisterEventSource>;

// The account the process runs as, named in the event's strings and given as
// its user, which Event Viewer shows beside it.
struct RunningAccount {
    alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    PSID sid = nullptr;
    RunningAccount() {
        base::unique_handle token;
        DWORD size = 0;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) &&
            GetTokenInformation(token.get(), TokenUser, user, sizeof user, &size))
            sid = reinterpret_cast<TOKEN_USER*>(user)->User.Sid;
    }
};

// The strings in the order every message of Events.mc names them, the lines
// as stored (references unexpanded, as a collector would compare them), empty
// for a tool that is off; a refusal's number and text only with `why`. The
// ANSI entry points: the lines are in the ANSI code page, as the registry
// gave them.
void Report(DWORD id, WORD type, int tool, const StoredValue& was, const Row& row,
            std::int32_t number = 0, const char* why = nullptr) noexcept {
    try {
        const RunningAccount account;
        const std::string before =
            was.read ? decodeValueData(was.type, was.data, was.data.size()).toText() : "";
        const std::string who = account.sid
                                    ? NameOf(std::string(static_cast<const char*>(account.sid),
                                                         GetLengthSid(account.sid)),
                                             true)
                                    : "";
        char code[12] = {};
        *std::to_chars(code, code + sizeof code - 1, number).ptr = '\0';
        const char* strings[] = {Tools[tool].name, before.c_str(), row.off ? "" : row.line.c_str(),
                                 who.c_str(),      code,           why};
        const unique_event_source source(RegisterEventSourceA(nullptr, "Quillmere"));
        if (source)
            ReportEventA(source.get(), type, 0, id, account.sid, why ? 6 : 4, 0, strings, nullptr);
    } catch (...) {
        // Out of memory for the strings: the write stands all the same.
    }
}

} // namespace

bool WriteRowReported(Registry& registry, int tool, const Row& row, bool expand, Change change,
                      const StoredValue& was) {
    bool written = false;
    try {
        written = WriteRow(registry, tool, row, expand);
    } catch (const RegistryError& error) {
        Report(QUILLMERE_EVENT_REFUSED, EVENTLOG_ERROR_TYPE, tool, was, row, error.Number(),
               error.Description().c_str());
        throw;
    }
    if (written) {
        Report(static_cast<DWORD>(change), EVENTLOG_INFORMATION_TYPE, tool, was, row);
    } else {
        // The deletion's refusal is silent: the key is simply still there.
        Report(QUILLMERE_EVENT_REFUSED, EVENTLOG_ERROR_TYPE, tool, was, row, ERROR_ACCESS_DENIED,
               Tools[tool].keptMessage);
    }
    return written;
}

} // namespace rules
