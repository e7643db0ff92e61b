// The four windows' layouts, control by control, for the tests that check a
// built window against them. They are written out again from the layout
// description, on purpose apart from the code's own tables, so that a slip in
// those tables shows as a failing test instead of agreeing with itself.
#pragma once

#include <vector>

#include "window_test_support.h"

namespace testing_support {

inline const std::vector<Expected> MainLayout{
    {"Picture3", -1, "panel", "Main", nullptr, 120, 120, 6255, 495, true},
    {"Image3", -1, "image", "Picture3", nullptr, 0, 0, 600, 480, true},
    {"Label4", -1, "label", "Picture3", "Change abability of Quillmere and it's programs", 840, 120,
     4455, 375, true},
    {"Picture1", -1, "panel", "Main", nullptr, 120, 720, 6255, 1335, true},
    {"Label2", -1, "label", "Picture1", "Backup  Utility", 240, 120, 3975, 255, true},
    {"UCh", 0, "check box", "Picture1", "Disable Backup Utility", 480, 480, 3375, 255, true},
    {"ULPr", 0, "label", "Picture1", "Program", 480, 840, 855, 375, true},
    {"Txt", 0, "text box", "Picture1", "Text1", 1320, 840, 3855, 330, true},
    {"UCmd", 0, "push button", "Picture1", "Browes", 5280, 840, 810, 330, true},
    {"Image4", -1, "image", "Picture1", nullptr, 5520, 120, 495, 495, true},
    {"Picture2", -1, "panel", "Main", nullptr, 120, 2160, 6255, 1335, true},
    {"Label3", -1, "label", "Picture2", "Disk Cleanup Utility", 240, 120, 3975, 255, true},
    {"UCh", 1, "check box", "Picture2", "Disable Disk Cleanup", 480, 480, 3375, 255, true},
    {"ULPr", 1, "label", "Picture2", "Program", 480, 840, 855, 375, true},
    {"Txt", 1, "text box", "Picture2", "Text1", 1320, 840, 3855, 330, true},
    {"UCmd", 1, "push button", "Picture2", "Browes", 5280, 840, 855, 330, true},
    {"Image1", -1, "image", "Picture2", nullptr, 5520, 120, 495, 495, true},
    {"Picture5", -1, "panel", "Main", nullptr, 120, 3600, 6255, 1335, true},
    {"Label1", -1, "label", "Picture5", "Disk Defragment Utility", 240, 120, 3975, 255, true},
    {"UCh", 2, "check box", "Picture5", "Disable Disk Defragmenter ", 480, 480, 3375, 255, true},
    {"ULPr", 2, "label", "Picture5", "Program", 480, 840, 855, 375, true},
    {"Txt", 2, "text box", "Picture5", "Text1", 1320, 840, 3855, 330, true},
    {"UCmd", 2, "push button", "Picture5", "Browes", 5280, 840, 855, 330, true},
    {"Image2", -1, "image", "Picture5", nullptr, 5520, 120, 495, 495, true},
    {"UCmd", 5, "push button", "Main", "About", 120, 5040, 1095, 330, true},
    {"UCmd", 6, "push button", "Main", "OK", 2880, 5040, 1095, 330, true},
    {"UCmd", 3, "push button", "Main", "Default", 4080, 5040, 1095, 330, true},
    {"UCmd", 4, "push button", "Main", "Apply", 5280, 5040, 1095, 330, false},
};

inline const std::vector<Expected> AskLayout{
    {"Picture4", -1, "panel", "Ask", nullptr, 120, 120, 5295, 1215, true},
    {"Label1", -1, "label", "Picture4", "You want to save the last changes of utilities ?", 90, 240,
     5115, 345, true},
    {"Command1", -1, "push button", "Picture4", "Yes", 1200, 720, 1095, 330, true},
    {"Command2", -1, "push button", "Picture4", "No", 3000, 720, 1095, 330, true},
};

inline const std::vector<Expected> MsgLayout{
    {"Picture4", -1, "panel", "MSG", nullptr, 120, 120, 4455, 1215, true},
    {"Label1", -1, "label", "Picture4", "Changes has been save successful", 120, 240, 4155, 360,
     true},
    {"Command1", -1, "push button", "Picture4", "OK", 1680, 720, 1095, 330, true},
};

inline const std::vector<Expected> AboutLayout{
    {"Picture4", -1, "panel", "About", nullptr, 120, 120, 4815, 1335, true},
    {"Command1", -1, "push button", "Picture4", "Close", 3360, 840, 1095, 330, true},
    {"Image1", -1, "image", "Picture4", nullptr, 120, 480, 585, 480, true},
    {"Label2", -1, "label", "Picture4", "Quillmere, by the Quillmere team", 480, 120, 3615, 240,
     true},
    {"Label3", -1, "label", "Picture4", "Lisbon, Portugal", 840, 840, 1665, 240, true},
    {"Label4", -1, "label", "Picture4", "quillmere@example.org", 1200, 480, 3045, 240, true},
};

} // namespace testing_support
