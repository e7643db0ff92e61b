#include "rules/ToolRules.h"

#include <windows.h>

#include <versionhelpers.h>

#include <algorithm>
#include <utility>

#include "base/Handles.h"
#include "registry/ValueCodec.h"
#include "rules/ProgramProbe.h"

namespace rules {

StoredValue ReadStored(Registry& registry, int tool) {
    registry.KeyName(Tools[tool].keyPath);
    return registry.Stored();
}

namespace {

// The registry's refusal to open a key that Stored found closed; 0 when the
// key is simply not there. The Registry class calls both "switched off".
LSTATUS OpenRefusal(int tool) {
    base::unique_hkey key;
    const LSTATUS status =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, Tools[tool].keyPath, 0, KEY_QUERY_VALUE, key.put());
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_SUCCESS ? 0 : status;
}

// The Registry class reads text through the ANSI functions. Where the
// program's manifest cannot make that UTF-8 (Windows before 10 1903, Server
// 2016 and 2019), a character the code page lacks comes back as "?" or as a
// look-alike: the key's text is read once more as UTF-16 and asked whether
// the code page holds it.
bool LostInCodePage(int tool, const StoredValue& stored) {
    if (GetACP() == CP_UTF8 || !stored.read ||
        (stored.type != ValueTypeCode::String && stored.type != ValueTypeCode::ExpandString))
        return false;
    // The key paths are ASCII.
    const std::string_view path = Tools[tool].keyPath;
    const std::wstring widePath(path.begin(), path.end());
    // Every character of the ANSI read stands for at least one UTF-16 unit of
    // the same text: one that does not fit the buffer was not the same.
    std::wstring wide(stored.data.size() + 1, L'\0');
    DWORD size = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
    const LSTATUS status = RegGetValueW(HKEY_LOCAL_MACHINE, widePath.c_str(), nullptr,
                                        RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                                        nullptr, wide.data(), &size);
    if (status != ERROR_SUCCESS)
        return status == ERROR_MORE_DATA;
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lost);
    return lost;
}

} // namespace

ReadRow RowFound(Registry& registry, int tool, StoredValue stored) {
    ReadRow read{{false, {}}, std::move(stored), std::nullopt, false};
    if (read.stored.keyExists == 0)
        read.lostInCodePage = LostInCodePage(tool, read.stored);
    else if (const LSTATUS refusal = OpenRefusal(tool))
        read.unreadable = Unreadable{refusal, {}};
    if (read.unreadable)
        return read;
    try {
        read.row = {read.stored.keyExists == 1, registry.ValueOf(read.stored).toText()};
    } catch (const RegistryError& error) {
        read.unreadable = Unreadable{error.Number(), error.Description()};
    }
    return read;
}

bool WithoutCommandLine(const Row& row) {
    return !row.off && row.line.find_first_not_of(" \t") == std::string::npos;
}

int FirstWithoutCommandLine(const Rows& rows) {
    const auto found = std::find_if(rows.begin(), rows.end(), WithoutCommandLine);
    return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
}

KeyStatus KeyStatusOf(const Row& row, const ReadRow& read) {
    if (WithoutCommandLine(row))
        return KeyStatus::NoLine;
    if (row.off || Edited(row, read))
        return KeyStatus::Usable;
    if (read.lostInCodePage)
        return KeyStatus::LostInCodePage;
    return read.stored.type == ValueTypeCode::String && NeedsExpandString(row)
               ? KeyStatus::Unexpanded
               : KeyStatus::Usable;
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

const char* StartingDefaultLine(int tool) {
    // Each line is judged by the rules of the row's status, so that "Default"
    // does not fill in a line its own row then calls broken.
    static const bool server = IsWindowsServer();
    const Tool& lines = Tools[tool];
    for (const char* line : {server ? lines.serverCommandLine : nullptr, lines.defaultCommandLine,
                             lines.successorCommandLine}) {
        if (!line)
            continue;
        const ProgramStatus status = ProbeProgram(line);
        if (status == ProgramStatus::Fine || status == ProgramStatus::NotProbed)
            return line;
    }
    return nullptr;
}

ProgramCheck StatusOf(const Row& row) {
    return row.off ? ProgramCheck{ProgramStatus::NotProbed, {}} : CheckProgram(row.line);
}

} // namespace rules
