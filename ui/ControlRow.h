// One row of a window's control table: a control as the layout describes it,
// geometry in twips relative to its container's client area. A window's table
// is kept in the layout's own column order so that it can be read beside it;
// the trailing columns a window's layout does not use keep their defaults.
#pragma once

#include <string_view>

namespace ui {

// A control's name as its window's table gives it. It is built only
// explicitly, from the constants each window declares beside its table, so
// that a misspelt name fails to compile rather than at run time.
struct Name {
    constexpr explicit Name(const char* name) : text(name) {}
    friend constexpr bool operator==(Name a, Name b) {
        return std::string_view(a.text) == std::string_view(b.text);
    }

    const char* text;
};

// A StatusLabel is a label whose text warns: it is drawn in a colour that
// stands out on its container, and in the system's colours in high contrast.
enum class Kind { Panel, Label, StatusLabel, CheckBox, TextBox, PushButton, Image };

// Panels and images draw no text and name no font.
enum class Font { None, Default, Title, DialogText };

// The "At start" column. KeyboardButton is an enabled push button that Enter
// presses when the focus is on no other push button (Form answers DM_GETDEFID with it).
// Hidden is never shown: a label that names the control after it for screen
// readers, which read such labels too.
enum class State { None, Enabled, Disabled, Cleared, Stretched, KeyboardButton, Hidden };

// None where the layout gives no alignment; such text is drawn left-aligned.
enum class Align { None, Left, Centre, Right };

// A picture stored in the executable as a bitmap resource.
struct Bitmap {
    int id;
};

// What screen readers call a control where its caption does not tell it from
// its neighbours: a string resource, in UTF-16 as they take it.
struct AccessibleName {
    int id;
};

// The caption, text or picture of a control, and its name for screen readers
// where that is not its caption (0: the system names it).
struct Content {
    constexpr Content() = default;
    constexpr Content(const char* caption) : text(caption) {}
    constexpr Content(Bitmap bitmap) : picture(bitmap.id) {}
    constexpr Content(const char* caption, AccessibleName name)
        : text(caption), accessibleName(name.id) {}
    const char* text = "";
    int picture = 0;
    // Beside the picture, where it takes no room in the tables.
    int accessibleName = 0;
};

inline constexpr int NoIndex = -1; // a single control, not a member of a group
inline constexpr int NoTab = -1;   // images take no place in the tab order

struct ControlRow {
    Name name;
    int index;
    Kind kind;
    Name container; // the window's own name for its top-level controls
    Content content;
    int left;
    int top;
    int width;
    int height;
    Font font = Font::None;
    State state = State::None;
    int tab = NoTab;
    Align align = Align::None;
};

// True for the kinds that can hold the keyboard focus; labels and panels have
// a tab index but are passed over.
constexpr bool TakesFocus(Kind kind) {
    return kind == Kind::CheckBox || kind == Kind::TextBox || kind == Kind::PushButton;
}

constexpr bool IsPushButton(Kind kind) {
    return kind == Kind::PushButton;
}

} // namespace ui
