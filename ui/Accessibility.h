// What screen readers learn beyond what the system's controls tell them:
// a control's own name where its caption does not say enough, and news of a
// label whose text has changed. oleacc.dll is loaded only when a screen
// reader first asks, so that a start without one does not pay for it.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// Screen readers then name the control by the string resource its row gives
// (Content::accessibleName), instead of by its caption.
void AnswerWithAccessibleName(HWND control);

// Screen readers then read the text as the control's description, and the
// mouse shows it as the control's tooltip; an empty text takes both away.
// The tooltip is made on the first text, not at start-up.
void SetDescription(HWND control, const std::string& text);

// Screen readers read a live region out when told that it changed, once the
// user is idle (politely). Asks Windows for its accessibility services, so it
// belongs right before the control's first such news, not at start-up.
void MakePoliteLiveRegion(HWND control);

} // namespace ui
