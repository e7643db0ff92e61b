#include "rules/ToolRules.h"

#include <algorithm>
#include <utility>

#include "registry/ValueCodec.h"
#include "rules/ProgramProbe.h"

namespace rules {

StoredValue ReadStored(Registry& registry, int tool) {
    registry.KeyName(Tools[tool].keyPath);
    return registry.Stored();
}

ReadRow RowFrom(Registry& registry, StoredValue stored) {
    Row row{stored.keyExists == 1, registry.ValueOf(stored).toText()};
    return {std::move(row), std::move(stored)};
}

int FirstWithoutCommandLine(const Rows& rows) {
    for (int i = 0; i < ToolCount; ++i)
        if (!rows[i].off && rows[i].line.find_first_not_of(' ') == std::string::npos)
            return i;
    return -1;
}

RowFlags ChangedElsewhere(Registry& registry, const RowFlags& rows, const StoredValues& expected,
                          StoredValues& now) {
    RowFlags changed{};
    for (int i = 0; i < ToolCount; ++i) {
        if (!rows[i])
            continue;
        now[i] = ReadStored(registry, i);
        changed[i] = now[i] != expected[i];
    }
    return changed;
}

std::string ChangedElsewhereQuestion(const RowFlags& rows) {
    // "A", "A and B", "A, B and C".
    std::string names;
    int left = static_cast<int>(std::count(rows.begin(), rows.end(), true));
    const bool several = left > 1;
    for (int i = 0; i < ToolCount; ++i) {
        if (!rows[i])
            continue;
        names += Tools[i].name;
        --left;
        names += left > 1 ? ", " : left == 1 ? " and " : "";
    }
    return names + (several ? " were changed by another program after Quillmere loaded them. "
                              "Replace them with the lines in this window?"
                            : " was changed by another program after Quillmere loaded it. "
                              "Replace it with the line in this window?");
}

bool NeedsExpandString(const Row& row) {
    return textStorageType(row.line) == ValueTypeCode::ExpandString;
}

bool WriteRow(Registry& registry, int tool, const Row& row, bool expand) {
    registry.KeyName(Tools[tool].keyPath);
    if (row.off) {
        // A refused deletion is silent and leaves the tool on.
        registry.DleteKeyAndSubKeys();
        return registry.KeyExists() == 1;
    }
    registry.ValueType(expand ? ValueTypeCode::ExpandString : ValueTypeCode::String);
    registry.ValueData(row.line);
    registry.CreateKey();
    registry.SetDefault();
    return true;
}

const char* DefaultCommandLine(int tool) {
    // Both lines are judged by the rules of the row's status, so that "Default"
    // does not fill in a line its own row then calls broken.
    for (const char* line : {Tools[tool].defaultCommandLine, Tools[tool].successorCommandLine}) {
        if (!line)
            continue;
        const ProgramStatus status = ProbeProgram(line);
        if (status == ProgramStatus::Fine || status == ProgramStatus::NotProbed)
            return line;
    }
    return Tools[tool].defaultCommandLine;
}

ProgramCheck StatusOf(const Row& row) {
    return row.off ? ProgramCheck{ProgramStatus::NotProbed, {}} : CheckProgram(row.line);
}

} // namespace rules
