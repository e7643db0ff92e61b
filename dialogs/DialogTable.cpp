#include "dialogs/DialogTable.h"

namespace dialogs {

namespace {

ui::Kind KindOf(DialogKind kind) {
    switch (kind) {
    case DialogKind::Panel:
        return ui::Kind::Panel;
    case DialogKind::Label:
        return ui::Kind::Label;
    case DialogKind::PushButton:
    case DialogKind::KeyboardButton:
        return ui::Kind::PushButton;
    case DialogKind::Image:
        return ui::Kind::Image;
    }
    return ui::Kind::Label;
}

ui::Font FontOf(DialogKind kind) {
    switch (kind) {
    case DialogKind::Label:
        return ui::Font::DialogText;
    case DialogKind::PushButton:
    case DialogKind::KeyboardButton:
        return ui::Font::Default;
    default:
        return ui::Font::None;
    }
}

ui::State StateOf(DialogKind kind) {
    switch (kind) {
    case DialogKind::KeyboardButton:
        return ui::State::KeyboardButton;
    case DialogKind::Image:
        return ui::State::Stretched;
    case DialogKind::Panel:
        return ui::State::None;
    default:
        return ui::State::Enabled;
    }
}

} // namespace

std::vector<ui::Control> ToControls(std::span<const DialogControl> table) {
    std::vector<ui::Control> controls;
    controls.reserve(table.size());
    for (const DialogControl& row : table) {
        controls.push_back({row.name, ui::NoIndex, KindOf(row.kind), row.container, row.content,
                            row.left, row.top, row.width, row.height, FontOf(row.kind),
                            StateOf(row.kind), row.tab, row.align});
    }
    return controls;
}

} // namespace dialogs
