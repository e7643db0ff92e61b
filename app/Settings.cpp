// Moving the three rows between the window and their keys: the tool rules
// read, judge and write; the window shows, asks and tells.
#include "app/Main.h"

#include <utility>

#include "dialogs/MSG.h"
#include "registry/ValueCodec.h"
#include "rules/ChangeEvents.h"
#include "rules/Tools.h"

namespace app {

namespace {

void SetMessage(const char* text) {
    dialogs::MSG::Instance().Control(dialogs::MsgControls::Label1).SetCaption(text);
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

Row Main::RowOf(int row) {
    return {UCh(row).Value() == 1, Txt(row).Caption()};
}

void Main::LoadSettings() {
    for (int i = 0; i < ToolCount; ++i)
        ShowFoundRow(i, ReadTool(*registry_, i), true);
}

void Main::ShowRow(int row, ReadRow read) {
    const bool wasFlagged = changedElsewhere_[row] || unreadable_[row];
    changedElsewhere_[row] = unreadable_[row] = false;
    const KeyStatus was = KeyStatusOf(RowOf(row), read_[row]);
    // Taken before the controls change, so that the status their handlers
    // bring up judges the key just read.
    read_[row] = std::move(read);
    UCh(row).SetValue(read_[row].row.off ? 1 : 0);
    Txt(row).SetCaption(read_[row].row.line);
    // What the controls hold, which a text box may cut short (at a NUL).
    read_[row].row = RowOf(row);
    if (wasFlagged || was != KeyStatusOf(read_[row].row, read_[row]))
        ShowProgramStatus(row);
}

void Main::ReloadSettings() {
    for (int i = 0; i < ToolCount; ++i)
        ShowFoundRow(i, RowFound(*registry_, i, ReadStored(*registry_, i)), false);
}

void Main::ShowFoundRow(int row, ReadRow read, bool loading) {
    if (!read.unreadable) {
        ShowRow(row, std::move(read));
        return;
    }
    // What another program wrote must not end the program, with the user's
    // edits: the row stays as it was, and as it is not edited, a save leaves
    // the key alone. A load takes the row as it stands for the key's; a
    // refresh keeps the last read, so that a save of an edit still asks.
    if (loading) {
        read.row = RowOf(row);
        read_[row] = std::move(read);
    }
    if (!std::exchange(unreadable_[row], true))
        ShowProgramStatus(row);
}

void Main::RefreshChangedRows() {
    // A row the user has not edited shows its key as a load would, without
    // making the window Changed; an edited one keeps the edit and says that
    // its key changed. The type a save writes stays that of the last full
    // load.
    const Boolean wasChanged = SettingsChanged;
    const std::int32_t valueType = registry_->ValueType();
    for (int i = 0; i < ToolCount; ++i) {
        StoredValue now = ReadStored(*registry_, i);
        const bool differs = now != read_[i].stored;
        if (!differs || Edited(i)) {
            if (changedElsewhere_[i] != differs) {
                changedElsewhere_[i] = differs;
                ShowProgramStatus(i);
            }
            continue;
        }
        ShowFoundRow(i, RowFound(*registry_, i, std::move(now)), false);
    }
    registry_->ValueType(valueType);
    SettingsChanged = wasChanged;
    UCmd(MainControls::ApplyButton).SetEnabled(wasChanged == True);
}

Boolean Main::SaveSettings() {
    if (SettingsChanged == False)
        return False;

    // A row whose key could not be read, left as it was, is not written and
    // needs no line.
    Rows rows;
    Rows checked;
    for (int i = 0; i < ToolCount; ++i) {
        rows[i] = RowOf(i);
        checked[i] = unreadable_[i] && !Edited(i) ? Row{} : rows[i];
    }
    if (const int missing = FirstWithoutCommandLine(checked); missing >= 0) {
        SetMessage(Tools[missing].missingMessage);
        dialogs::MSG::Instance().ShowModal();
        return False;
    }

    // Only the rows the user changed are written. A row left as it was read
    // keeps its key byte for byte: rewriting it would expand its environment
    // references for good, or turn a number into text; and a key another
    // program created for a switched-off row is not deleted unasked.
    RowFlags write;
    StoredValues expected;
    for (int i = 0; i < ToolCount; ++i) {
        write[i] = Edited(i);
        expected[i] = read_[i].stored;
    }

    // A key about to be written that holds something else than its last read
    // found was changed by another program: one question for all such rows
    // decides whether the window's lines replace them. The question may stay
    // open for minutes, so the keys are compared again after each answer, and
    // a key changed meanwhile is asked about again; the writes follow the last
    // comparison at once.
    const Flag saving(saving_);
    for (;;) {
        StoredValues now;
        const RowFlags differs = ChangedElsewhere(*registry_, write, expected, now);
        if (differs == RowFlags{})
            break;
        const int answer = MessageBoxA(Hwnd(), ChangedElsewhereQuestion(differs).c_str(),
                                       Description().title, MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer != IDYES && answer != IDNO)
            return False;
        for (int i = 0; i < ToolCount; ++i) {
            if (!differs[i])
                continue;
            expected[i] = std::move(now[i]);
            write[i] = answer == IDYES;
        }
    }

    // Every enabled row is written as a string, whatever type was read last:
    // REG_EXPAND_SZ when its line needs it or the value read last was one,
    // REG_SZ otherwise.
    const bool expandedReadLast = registry_->ValueType() == ValueTypeCode::ExpandString;
    bool allSwitchedOff = true;
    for (int i = 0; i < ToolCount; ++i) {
        if (!write[i])
            continue;
        // The other rows are still saved, but the confirmation that follows a
        // save must not claim a tool the registry refused to switch off: MSG
        // names the first such tool instead.
        if (!WriteRowReported(*registry_, i, rows[i],
                              expandedReadLast || NeedsExpandString(rows[i]), Change::Saved,
                              expected[i]) &&
            std::exchange(allSwitchedOff, false))
            SetMessage(Tools[i].keptMessage);
        // Quillmere's own writes are no change made elsewhere.
        read_[i] = {rows[i], ReadStored(*registry_, i), std::nullopt, false};
    }
    SettingsChanged = False;
    return True;
}

void Main::SetDefault() {
    for (int i = 0; i < ToolCount; ++i)
        Txt(i).SetCaption(DefaultCommandLine(i));
    for (int i = 0; i < ToolCount; ++i)
        UCh(i).SetValue(0);
}

} // namespace app
