#include "console/Commands.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "console/Text.h"
#include "registry/ValueCodec.h"
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

// Reads and judges every tool; false, with the refusal noted, when the
// registry refused a read (the value rules raise for references the system
// cannot expand).
bool JudgeAll(Registry& registry, const Command& command, Judgement& judged, Report& report) {
    for (int tool = 0; tool < rules::ToolCount; ++tool) {
        try {
            judged[tool] = Judge(registry, tool, command.stock, command.expected[tool]);
        } catch (const RegistryError& error) {
            report.refusal = {tool, error.Number(), Utf8(error.Description())};
            return false;
        }
    }
    return true;
}

Writes Planned(const Command& command, const Judgement& judged) {
    Writes writes;
    for (int tool = 0; tool < rules::ToolCount; ++tool) {
        if (command.tool >= 0 && command.tool != tool)
            continue;
        switch (command.action) {
        case Action::Repair:
            if (const std::optional<Mended> mended = MendOf(judged[tool], tool))
                writes[tool] = {mended->row,
                                mended->mend == Mend::Quote     ? "quoted"
                                : mended->mend == Mend::Default ? "default"
                                                                : "expected",
                                mended->mend == Mend::Quote ? rules::Change::Quoted
                                                            : rules::Change::Restored};
            break;
        case Action::Set:
            writes[tool] = {{false, command.line}, "set", rules::Change::Set};
            break;
        case Action::Off:
            writes[tool] = {{true, {}}, "off", rules::Change::Off};
            break;
        case Action::Default:
            writes[tool] = {
                {false, rules::DefaultCommandLine(tool)}, "default", rules::Change::Set};
            break;
        case Action::Check:
        case Action::Usage:
            break;
        }
    }
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
    return {tool,
            !judged.read.row.off,
            Utf8(judged.storedLine),
            stored.read ? RegistryTypeName(stored.type) : "",
            Utf8(judged.read.row.line),
            judged.findings,
            std::nullopt,
            Utf8(judged.replaceableBy),
            judged.expected
                ? std::optional(rules::Row{judged.expected->off, Utf8(judged.expected->line)})
                : std::nullopt};
}

} // namespace

Report Run(const Command& command) {
    Report report;
    report.command = CommandWord(command.action);
    report.stock = command.stock;
    Registry registry;
    registry.KeyClass(RootKey::LocalMachine);

    Judgement judged;
    if (!JudgeAll(registry, command, judged, report))
        return report;

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
            Judgement after;
            Report reread;
            if (JudgeAll(registry, command, after, reread))
                judged = std::move(after);
            else if (!report.refusal)
                report.refusal = reread.refusal;
        }
    }

    for (int tool = 0; tool < rules::ToolCount; ++tool) {
        report.tools.push_back(ReportOf(tool, judged[tool]));
        report.tools.back().change = changes[tool];
    }
    return report;
}

} // namespace console
