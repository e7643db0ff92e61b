// GIF pictures from the executable's resources, decoded by the system's own
// picture decoder (OleLoadPicture) and drawn stretched to a rectangle.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

namespace ui {

// The picture with the given identifier and resource type "GIF" in the
// module, or null when the module has no such resource or it cannot be
// decoded: a missing picture leaves its image control blank.
Microsoft::WRL::ComPtr<IPicture> LoadGifResource(HMODULE module, int id);

// Draws the whole picture into the rectangle, stretched to fill it.
void DrawStretched(IPicture& picture, HDC dc, const RECT& target);

} // namespace ui
