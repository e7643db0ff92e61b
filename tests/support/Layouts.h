// The four windows' layouts, control by control, written out again from the
// layout description, on purpose apart from the code's own tables, so that a
// slip in those tables shows as a failing test instead of agreeing with itself.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "app/Main.h"
#include "dialogs/About.h"
#include "dialogs/Ask.h"
#include "dialogs/MSG.h"
#include "ui/Form.h"

namespace support {

namespace mc = app::MainControls;
namespace askc = dialogs::AskControls;
namespace msgc = dialogs::MsgControls;
namespace aboutc = dialogs::AboutControls;

struct Expected {
    ui::Name name;
    int index;
    const char* kind; // "panel", "label", "check box", "text box", "push button", "image"
    ui::Name container;
    const char* caption; // nullptr: not checked (panels, images)
    int left;
    int top;
    int width;
    int height;
    bool enabled;
};

extern const std::vector<Expected> MainLayout;
extern const std::vector<Expected> AskLayout;
extern const std::vector<Expected> MsgLayout;
extern const std::vector<Expected> AboutLayout;

// Checks every row of the layout against the built form: kind, container,
// caption, geometry in twips within a pixel, enabled and visible.
void ExpectLayout(ui::Form& form, const std::vector<Expected>& layout);

// The layout's title font: "MS Sans Serif" bold with the Arabic character
// set, at the point size for the DPI.
void ExpectTitleFont(HWND control, double points, int dpi);

} // namespace support

// ExpectLayout, with failures that name the line that asked.
#define EXPECT_LAYOUT(form, layout)                                                                \
    do {                                                                                           \
        SCOPED_TRACE("the layout checked here");                                                   \
        ::support::ExpectLayout(form, layout);                                                     \
    } while (false)
