// Reading windows back and driving them as the user would: a control's kind,
// text, geometry in twips and font; keys and clicks posted to this thread's
// windows; the text and children of another process's windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace support {

std::string ClassOf(HWND window);
bool IsClass(HWND window, const char* windowClass); // ignoring case, as the system does
std::string TextOf(HWND window);
double ToTwips(long pixels, int dpi);
LOGFONTA FontOf(HWND control);
// The point size the layout gives, as a font height at the DPI.
long FontHeight(double points, int dpi);

// Posts a key press to the control that has the focus, as the keyboard would,
// and lets the window's loop handle it.
void PressKey(WPARAM key);
void PressAltF4();
// Posted, so that a modal window the click opens does not block the caller.
void Click(HWND button);
// Removes a WM_QUIT the window posted; true when there was one.
bool takeQuit();

// Text of a window, also of another process's: GetWindowText would not ask it.
std::string remoteText(HWND window);
std::vector<HWND> childrenOf(HWND parent);
HWND childWithText(HWND parent, const char* windowClass, const std::string& text);
// The text of a message box or a message window: its longest label.
std::string messageOf(HWND window);

} // namespace support
