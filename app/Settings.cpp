// The tools model: moving the three rows between the window and their
// registry keys through the window's one Registry object, which addresses
// each key's unnamed value (ValueName and Default stay empty).
#include "app/Main.h"

#include <string>

#include "app/ProgramProbe.h"
#include "app/Tools.h"
#include "dialogs/MSG.h"
#include "registry/ValueCodec.h"

namespace app {

namespace {

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

// The stock line where this Windows still has its program, or else the line of
// the program that replaced it. Both are judged by the rules of the row's
// status, so that "Default" does not fill in a line its own row then calls
// broken; with neither found, the stock line stays.
const char* DefaultCommandLine(const Tool& tool) {
    for (const char* line : {tool.defaultCommandLine, tool.successorCommandLine}) {
        if (!line)
            continue;
        const ProgramStatus status = ProbeProgram(line);
        if (status != ProgramStatus::NotFound && status != ProgramStatus::NeedsQuotes)
            return line;
    }
    return tool.defaultCommandLine;
}

} // namespace

void Main::LoadSettings() {
    for (int i = 0; i < ToolCount; ++i) {
        registry_->KeyName(Tools[i].keyPath);
        UCh(i).SetValue(registry_->KeyExists());
        Txt(i).SetCaption(registry_->ValueData().toText());
        loaded_[i] = {UCh(i).Value(), Txt(i).Caption()};
    }
}

bool Main::Untouched(int row) {
    return UCh(row).Value() == 0 && loaded_[row].value == 0 &&
           Txt(row).Caption() == loaded_[row].text;
}

Boolean Main::SaveSettings() {
    if (SettingsChanged == False)
        return False;

    for (int i = 0; i < ToolCount; ++i) {
        if (UCh(i).Value() == 0 && IsBlank(Txt(i).Caption())) {
            dialogs::MSG::Instance()
                .Control(dialogs::MsgControls::Label1)
                .SetCaption(Tools[i].missingMessage);
            dialogs::MSG::Instance().ShowModal();
            return False;
        }
    }

    // The shell expands environment references only in REG_EXPAND_SZ values
    // and takes a REG_SZ as it stands, so a text with a reference must be
    // written as REG_EXPAND_SZ. Every enabled row is written as a string,
    // whatever type was read last: REG_EXPAND_SZ when the text needs it or the
    // value read last was one, REG_SZ otherwise.
    const bool expandedReadLast = registry_->ValueType() == ValueTypeCode::ExpandString;
    bool allSwitchedOff = true;
    for (int i = 0; i < ToolCount; ++i) {
        registry_->KeyName(Tools[i].keyPath);
        if (UCh(i).Value() == 1) {
            // A refused deletion is silent and leaves the tool on. The other
            // rows are still saved, but the confirmation that follows a save
            // must not claim this one: MSG names the first such tool instead.
            registry_->DleteKeyAndSubKeys();
            if (allSwitchedOff && registry_->KeyExists() == 0) {
                allSwitchedOff = false;
                dialogs::MSG::Instance()
                    .Control(dialogs::MsgControls::Label1)
                    .SetCaption(Tools[i].keptMessage);
            }
            continue;
        }
        // A row the user left as it was loaded keeps its key byte for byte:
        // rewriting it would expand its environment references for good,
        // and turn a number or binary data into text.
        if (Untouched(i))
            continue;
        const std::string text = Txt(i).Caption();
        const bool expand =
            expandedReadLast || textStorageType(text) == ValueTypeCode::ExpandString;
        registry_->ValueType(expand ? ValueTypeCode::ExpandString : ValueTypeCode::String);
        registry_->ValueData(text);
        registry_->CreateKey();
        registry_->SetDefault();
    }
    SettingsChanged = False;
    return True;
}

void Main::SetDefault() {
    for (int i = 0; i < ToolCount; ++i)
        Txt(i).SetCaption(DefaultCommandLine(Tools[i]));
    for (int i = 0; i < ToolCount; ++i)
        UCh(i).SetValue(0);
}

} // namespace app
