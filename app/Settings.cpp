// The tools model: moving the three rows between the window and their
// registry keys through the window's one Registry object, which addresses
// each key's unnamed value (ValueName and Default stay empty).
#include "app/Main.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

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

// "A", "A and B", "A, B and C".
std::string NamesOf(const std::array<bool, ToolCount>& rows) {
    std::string names;
    int left = 0;
    for (bool named : rows)
        left += named;
    for (int i = 0; i < ToolCount; ++i) {
        if (!rows[i])
            continue;
        names += Tools[i].name;
        --left;
        names += left > 1 ? ", " : left == 1 ? " and " : "";
    }
    return names;
}

// Holds a flag raised for as long as it lives, also when an error passes.
class Flag {
public:
    explicit Flag(bool& flag) : flag_(flag) { flag_ = true; }
    ~Flag() { flag_ = false; }
    Flag(const Flag&) = delete;
    Flag& operator=(const Flag&) = delete;

private:
    bool& flag_;
};

} // namespace

void Main::LoadSettings() {
    for (int i = 0; i < ToolCount; ++i)
        LoadRow(i);
}

void Main::LoadRow(int row) {
    registry_->KeyName(Tools[row].keyPath);
    // Taken before the read: a change in between then shows as one made
    // elsewhere rather than going unseen.
    stored_[row] = registry_->Stored();
    const bool wasChangedElsewhere = std::exchange(changedElsewhere_[row], false);
    UCh(row).SetValue(registry_->KeyExists());
    Txt(row).SetCaption(registry_->ValueData().toText());
    loaded_[row] = {UCh(row).Value(), Txt(row).Caption()};
    if (wasChangedElsewhere)
        ShowProgramStatus(row);
}

bool Main::Untouched(int row) {
    return UCh(row).Value() == 0 && !Edited(row);
}

bool Main::Edited(int row) {
    return UCh(row).Value() != loaded_[row].value || Txt(row).Caption() != loaded_[row].text;
}

void Main::WatchToolKeys() {
    // The three keys share their parent; watching it sees each of them come
    // and go as well as change.
    std::string parent = Tools[0].keyPath;
    parent.erase(parent.rfind('\\'));
    watch_ = std::make_unique<KeyWatch>(HKEY_LOCAL_MACHINE, parent);
    if (!watch_->Event())
        return;
    watch_->Arm();
    watchHandler_ = std::make_unique<ui::SignalHandler>(
        watch_->Event(), [](void* self) { static_cast<Main*>(self)->OnToolKeysChanged(); }, this);
}

void Main::RefreshChangedRows() {
    // A row the user has not edited shows its key as a load would, without
    // making the window Changed; an edited one keeps the edit and says that
    // its key changed. The type a save writes stays that of the last load.
    const Boolean wasChanged = SettingsChanged;
    const std::int32_t valueType = registry_->ValueType();
    for (int i = 0; i < ToolCount; ++i) {
        registry_->KeyName(Tools[i].keyPath);
        const bool differs = registry_->Stored() != stored_[i];
        if (!differs || Edited(i)) {
            if (changedElsewhere_[i] != differs) {
                changedElsewhere_[i] = differs;
                ShowProgramStatus(i);
            }
            continue;
        }
        LoadRow(i);
    }
    registry_->ValueType(valueType);
    SettingsChanged = wasChanged;
    UCmd(MainControls::ApplyButton).SetEnabled(wasChanged == True);
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

    // A key about to be written or deleted that no longer holds what the last
    // load found was changed by another program meanwhile: one question for
    // all such rows decides whether the window's lines replace them. The
    // write follows at once; only the registry's own time between the two is
    // left for another change.
    const Flag saving(saving_);
    std::array<bool, ToolCount> keepStored{};
    for (int i = 0; i < ToolCount; ++i) {
        registry_->KeyName(Tools[i].keyPath);
        keepStored[i] = (UCh(i).Value() == 1 || !Untouched(i)) && registry_->Stored() != stored_[i];
    }
    if (keepStored != std::array<bool, ToolCount>{}) {
        const bool several = std::count(keepStored.begin(), keepStored.end(), true) > 1;
        const std::string question =
            NamesOf(keepStored) +
            (several ? " were changed by another program after Quillmere loaded them. Replace "
                       "them with the lines in this window?"
                     : " was changed by another program after Quillmere loaded it. Replace it "
                       "with the line in this window?");
        switch (MessageBoxA(Hwnd(), question.c_str(), Description().title,
                            MB_YESNOCANCEL | MB_ICONWARNING)) {
        case IDYES:
            keepStored = {};
            break;
        case IDNO:
            break;
        default:
            return False;
        }
    }

    bool allSwitchedOff = true;
    for (int i = 0; i < ToolCount; ++i) {
        registry_->KeyName(Tools[i].keyPath);
        if (keepStored[i])
            continue;
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
            // Quillmere's own writes are no change made elsewhere.
            stored_[i] = registry_->Stored();
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
        stored_[i] = registry_->Stored();
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
