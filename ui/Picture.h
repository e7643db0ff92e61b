// GIF pictures from the executable's resources, decoded by our own decoder
// (ui/Gif.h) once per process into bitmaps, and drawn stretched to a
// rectangle. Decoding them ourselves keeps the system's picture decoder, and
// the COM and imaging libraries it loads, out of the program's start-up.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>

#include "base/Handles.h"

namespace ui {

class Picture {
public:
    // Null when the data are no GIF the decoder can read.
    static std::unique_ptr<Picture> FromGif(std::span<const std::uint8_t> data);

    // The size in pixels.
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Transparent() const { return static_cast<bool>(mask_); }

    // Draws the whole picture into the rectangle, stretched with the device
    // context's own stretch mode; its transparent pixels leave what is there.
    void DrawStretched(HDC dc, const RECT& target) const;

private:
    Picture(int width, int height, base::unique_hbitmap colours, base::unique_hbitmap mask);

    int width_;
    int height_;
    // 32 bits per pixel, black where the picture is transparent.
    base::unique_hbitmap colours_;
    // Monochrome, white where the picture is transparent; only when it is.
    base::unique_hbitmap mask_;
};

// The picture with the given identifier and resource type "GIF" in the
// module, decoded when first asked for and kept for the process's life, or
// null when the module has no such resource or it cannot be decoded: a missing
// picture leaves its image control blank. Call on the UI thread only.
const Picture* LoadGifResource(HMODULE module, int id);

} // namespace ui
