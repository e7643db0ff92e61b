#include "console/Commands.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "console/Text.h"
#include "registry/ValueCodec.h"
#include "res/version.h"
#include "rules/ChangeEvents.h"

namespace console {

namespace {

constexpr std::int32_t AccessDenied = ERROR_ACCESS_DENIED;

// The keys live below HKEY_LOCAL_MACHINE, where only administrators may write;
// a process of a member whose rights UAC has filtered out is refused too.
// SYSTEM, as which fleet engines run scripts, is a member.
bool IsAdministrator() {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    BOOL member = FALSE;
    return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size) &&
           CheckTokenMembership(nullptr, sid, &member) && member;
}

struct Write {
    rules::Row row;
    const char* how;
    rules::Change change;
};

using Judgement = std::array<Judged, rules::ToolCount>;
using Writes = std::array<std::optional<Write>, rules::ToolCount>;

// Reads and judges every tool. A key that cannot be read is its own tool's
// failure and stops no other.
Judgement JudgeAll(Registry& registry, const Command& command) {
    Judgement judged;
    for (int tool = 0; tool < rules::ToolCount; ++tool)
        judged[tool] = Judge(registry, tool, command.stock, command.expected[tool]);
    return judged;
}

// A repair's write, named for the report and for the event log.
struct RepairKind {
    Mend mend;
    const char* how;
    rules::Change change;
};
constexpr std::array<RepairKind, 4> RepairKinds{{
    {Mend::Retype, "expandable", rules::Change::Expandable},
    {Mend::Quote, "quoted", rules::Change::Quoted},
    {Mend::Default, "default", rules::Change::Restored},
    {Mend::Expected, "expected", rules::Change::Restored},
}};

std::optional<Write> Planned(const Command& command, const Judged& judged, int tool) {
    std::optional<Write> write;
    switch (command.action) {
    case Action::Repair:
        if (const std::optional<Mended> mended = MendOf(judged, tool))
            for (const RepairKind& kind : RepairKinds)
                if (kind.mend == mended->mend)
                    write = {mended->row, kind.how, kind.change};
        return write;
    case Action::Set:
        write = {{false, command.line}, "set", rules::Change::Set};
        break;
    case Action::Off:
        write = {{true, {}}, "off", rules::Change::Off};
        break;
    case Action::Default:
        if (const char* line = rules::StartingDefaultLine(tool))
            write = {{false, line}, "default", rules::Change::Set};
        break;
    case Action::Check:
    case Action::Usage:
    case Action::Version:
        break;
    }
    // What the key holds already is not written again: registry auditing
    // then sees only real changes.
    if (write && !Changes(judged, write->row))
        write.reset();
    return write;
}

Writes Planned(const Command& command, const Judgement& judged) {
    Writes writes;
    for (int tool = 0; tool < rules::ToolCount; ++tool)
        if (command.tool < 0 || command.tool == tool)
            writes[tool] = Planned(command, judged[tool], tool);
    return writes;
}

// Writes in tool order by the window's own rules, and stops at the first key
// the registry refuses.
std::array<std::optional<Change>, rules::ToolCount>
Written(Registry& registry, const Writes& writes, const Judgement& judged, Report& report) {
    std::array<std::optional<Change>, rules::ToolCount> changes;
    for (int tool = 0; tool < rules::ToolCount; ++tool) {
        if (!writes[tool])
            continue;
        const rules::Row& row = writes[tool]->row;
        try {
            // The deletion's refusal is silent: the key is simply still there.
            if (!rules::WriteRowReported(registry, tool, row, rules::NeedsExpandString(row),
                                         writes[tool]->change, judged[tool].read.stored))
                report.refusal = {tool, AccessDenied, rules::Tools[tool].keptMessage};
        } catch (const RegistryError& error) {
            report.refusal = {tool, error.Number(), Utf8(error.Description())};
        }
        if (report.refusal)
            break;
        const Judged& was = judged[tool];
        changes[tool] =
            Change{writes[tool]->how,
                   was.read.row.off ? std::nullopt : std::optional(Utf8(was.storedLine))};
    }
    return changes;
}

ToolReport ReportOf(int tool, const Judged& judged) {
    const StoredValue& stored = judged.read.stored;
    std::optional<rules::Unreadable> failure = ReadFailure(judged.read);
    if (failure)
        failure->text = Utf8(failure->text);
    return {tool,
            !judged.read.row.off,
            Utf8(judged.storedLine),
            stored.read ? RegistryTypeName(stored.type) : "",
            Utf8(judged.read.row.line),
            judged.findings,
            std::nullopt,
            Utf8(judged.replaceableBy),
            std::move(failure),
            judged.expected
                ? std::optional(rules::Row{judged.expected->off, Utf8(judged.expected->line)})
                : std::nullopt};
}

// The computer's name and the time, for a report gathered from many.
void Stamp(Report& report) {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (GetComputerNameW(name, &size))
        report.computer = base::Narrowed(std::wstring(name, size), CP_UTF8);
    // ISO 8601 in UTC: 2026-12-08T17:05:09Z.
    SYSTEMTIME now;
    GetSystemTime(&now);
    report.time = std::to_string(now.wYear);
    for (const auto& [separator, value] : {std::pair{'-', now.wMonth},
                                           {'-', now.wDay},
                                           {'T', now.wHour},
                                           {':', now.wMinute},
                                           {':', now.wSecond}}) {
        report.time += separator;
        report.time += static_cast<char>('0' + value / 10);
        report.time += static_cast<char>('0' + value % 10);
    }
    report.time += 'Z';
}

} // namespace

Report Run(const Command& command) {
    Report report;
    report.command = CommandWord(command.action);
    report.stock = command.stock;
    report.version = QUILLMERE_VERSION_TEXT;
    Registry registry;
    registry.KeyClass(RootKey::LocalMachine);

    Stamp(report);
    Judgement judged = JudgeAll(registry, command);

    std::array<std::optional<Change>, rules::ToolCount> changes;
    const Writes writes = Planned(command, judged);
    if (std::any_of(writes.begin(), writes.end(),
                    [](const auto& write) { return write.has_value(); })) {
        // Asked before the first write: a refusal part-way would leave some keys
        // written and the others not.
        if (!IsAdministrator()) {
            report.refusal = {-1, AccessDenied,
                              "Writing the tool keys needs administrator rights: run quillmerec "
                              "from an elevated prompt, or as SYSTEM. Nothing was written."};
        } else {
            changes = Written(registry, writes, judged, report);
            // The report shows the keys as they are now, judged afresh.
            judged = JudgeAll(registry, command);
        }
    }

    for (int tool = 0; tool < rules::ToolCount; ++tool) {
        report.tools.push_back(ReportOf(tool, judged[tool]));
        report.tools.back().change = changes[tool];
    }
    return report;
}

} // namespace console
