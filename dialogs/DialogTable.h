// The dialogs' control tables, in the columns their layout uses: no index, no
// font (every label uses the dialog text font, every button the default font)
// and an alignment. ToControls turns them into the rows the Form builds.
#pragma once

#include <span>
#include <vector>

#include "ui/Control.h"

namespace dialogs {

enum class DialogKind { Panel, Label, PushButton, KeyboardButton, Image };

struct DialogControl {
    const char* name;
    DialogKind kind;
    const char* container;
    ui::Content content;
    int left;
    int top;
    int width;
    int height;
    ui::Align align;
    int tab;
};

std::vector<ui::Control> ToControls(std::span<const DialogControl> table);

} // namespace dialogs
