// The two controls the system does not offer: the panel (a flat, bordered
// container in the panel colour) and the image (a picture stretched to the
// control), plus the colours all four windows share.
#pragma once

#include <windows.h>

namespace ui {

inline constexpr COLORREF WindowColour = RGB(237, 242, 255);
inline constexpr COLORREF PanelColour = RGB(175, 211, 249);
// A status label's text: dark red, which stands out on both background colours
// (contrast 6.4 to 1 on the panel) and does not rely on its hue alone.
inline constexpr COLORREF StatusColour = RGB(139, 0, 0);

inline constexpr char PanelClass[] = "QuillmerePanel";
inline constexpr char ImageClass[] = "QuillmereImage";

// Brushes of the two colours, shared by every window for the process's life.
HBRUSH WindowBrush();
HBRUSH PanelBrush();

// Fills the window's client area with the brush: the WM_ERASEBKGND answer of
// every window and panel, which paint in their own colour. Returns 1 (erased).
LRESULT FillBackground(HWND window, HDC dc, HBRUSH brush);

// Registers the panel and image window classes once per process.
void RegisterWidgetClasses(HINSTANCE instance);

// Colours for a label, check box or button drawn on the given background:
// the answer to WM_CTLCOLORSTATIC and WM_CTLCOLORBTN. Text boxes keep the
// system's colours, also when disabled (they then ask with CTLCOLORSTATIC).
// Returns 0 when the default handling should answer.
LRESULT ControlColours(HWND control, HDC dc, COLORREF background, HBRUSH brush);

// Marks a label as a status label, which ControlColours then draws in the
// status colour, or in the system's colours when high contrast is on.
void MarkAsStatus(HWND label);

// Has screen readers read out a status label's new text: call it right after
// the text is set. A label that is not shown has no news to tell.
void AnnounceStatus(HWND label);

// A picture is a bitmap resource, drawn straight from the module's image:
// loading it as a bitmap object would cost a display device context (nine
// wineserver requests under Wine) per picture at start-up. Null when the
// module has no such resource.
const BITMAPINFO* FindPicture(HMODULE module, int id);

// The picture an image control draws.
void SetImagePicture(HWND image, const BITMAPINFO* picture);
const BITMAPINFO* ImagePicture(HWND image);

// Draws the whole picture stretched into the rectangle: averaged where it is
// drawn smaller than it is, as it is at 96 DPI.
void DrawPicture(HDC dc, const BITMAPINFO* picture, const RECT& target);

} // namespace ui
