// The two controls the system does not offer: the panel (a flat, bordered
// container in the panel colour) and the image (a picture stretched to the
// control), plus the colours all four windows share.
#pragma once

#include <windows.h>

namespace ui {

class Picture;

inline constexpr COLORREF WindowColour = RGB(237, 242, 255);
inline constexpr COLORREF PanelColour = RGB(175, 211, 249);

inline constexpr char PanelClass[] = "QuillmerePanel";
inline constexpr char ImageClass[] = "QuillmereImage";

// Brushes of the two colours, shared by every window for the process's life.
HBRUSH WindowBrush();
HBRUSH PanelBrush();

// Registers the panel and image window classes once per process.
void RegisterWidgetClasses(HINSTANCE instance);

// Colours for a label, check box or button drawn on the given background:
// the answer to WM_CTLCOLORSTATIC and WM_CTLCOLORBTN. Text boxes keep the
// system's colours, also when disabled (they then ask with CTLCOLORSTATIC).
// Returns 0 when the default handling should answer.
LRESULT ControlColours(HWND control, HDC dc, COLORREF background, HBRUSH brush);

// The picture an image control draws; the caller keeps it alive while the
// control exists.
void SetImagePicture(HWND image, const Picture* picture);
const Picture* ImagePicture(HWND image);

} // namespace ui
