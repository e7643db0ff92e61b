#include "ui/Picture.h"

#include <cstring>

#include "base/Handles.h"

using Microsoft::WRL::ComPtr;

namespace ui {

ComPtr<IPicture> LoadGifResource(HMODULE module, int id) {
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), "GIF");
    if (!resource)
        return nullptr;
    HGLOBAL loaded = LoadResource(module, resource);
    DWORD size = SizeofResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return nullptr;

    // The decoder reads from a stream; resource memory cannot back one, so the
    // bytes are copied into a movable global block that the stream then owns.
    base::unique_hglobal copy(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!copy)
        return nullptr;
    void* target = GlobalLock(copy.get());
    if (!target)
        return nullptr;
    std::memcpy(target, bytes, size);
    GlobalUnlock(copy.get());

    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(copy.get(), TRUE, stream.GetAddressOf())))
        return nullptr;
    copy.release();

    ComPtr<IPicture> picture;
    if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(picture.GetAddressOf()))))
        return nullptr;
    return picture;
}

void DrawStretched(IPicture& picture, HDC dc, const RECT& target) {
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture.get_Width(&width);
    picture.get_Height(&height);
    // Source coordinates are in HIMETRIC with the y axis pointing up: start at
    // the top edge and go down by a negative height.
    picture.Render(dc, target.left, target.top, target.right - target.left,
                   target.bottom - target.top, 0, height, width, -height, nullptr);
}

} // namespace ui
