#include "ui/Picture.h"

#include <cstring>
#include <vector>

#include "ui/Gif.h"

namespace ui {

std::unique_ptr<Picture> Picture::FromGif(std::span<const std::uint8_t> data) {
    const std::optional<GifImage> image = DecodeGif(data);
    if (!image)
        return nullptr;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image->width;
    info.bmiHeader.biHeight = -image->height; // top row first, as decoded
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    base::unique_hbitmap colours(
        CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colours || !bits)
        return nullptr;
    // Transparent pixels are black already, so that painting the colours over
    // the masked background leaves it there.
    std::memcpy(bits, image->pixels.data(), image->pixels.size() * sizeof image->pixels[0]);

    base::unique_hbitmap mask;
    if (image->transparent) {
        // Monochrome rows are padded to 16 bits, the highest bit leftmost.
        const std::size_t stride = (static_cast<std::size_t>(image->width) + 15) / 16 * 2;
        std::vector<std::uint8_t> maskBits(stride * static_cast<std::size_t>(image->height));
        for (int y = 0; y < image->height; ++y) {
            for (int x = 0; x < image->width; ++x) {
                const std::size_t pixel = static_cast<std::size_t>(y) * image->width + x;
                if ((image->pixels[pixel] >> 24) == 0)
                    maskBits[static_cast<std::size_t>(y) * stride + x / 8] |=
                        static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        mask.reset(CreateBitmap(image->width, image->height, 1, 1, maskBits.data()));
        if (!mask)
            return nullptr;
    }
    return std::unique_ptr<Picture>(
        new Picture(image->width, image->height, std::move(colours), std::move(mask)));
}

Picture::Picture(int width, int height, base::unique_hbitmap colours, base::unique_hbitmap mask)
    : width_(width), height_(height), colours_(std::move(colours)), mask_(std::move(mask)) {}

void Picture::DrawStretched(HDC dc, const RECT& target) const {
    base::unique_hdc source(CreateCompatibleDC(dc));
    if (!source)
        return;
    const int width = target.right - target.left;
    const int height = target.bottom - target.top;
    const HGDIOBJ original = SelectObject(source.get(), colours_.get());
    if (mask_) {
        // The mask's white (transparent) keeps the background and its black
        // clears it; the colours, black where transparent, are then added.
        const COLORREF background = SetBkColor(dc, RGB(255, 255, 255));
        const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
        SelectObject(source.get(), mask_.get());
        StretchBlt(dc, target.left, target.top, width, height, source.get(), 0, 0, width_, height_,
                   SRCAND);
        SelectObject(source.get(), colours_.get());
        StretchBlt(dc, target.left, target.top, width, height, source.get(), 0, 0, width_, height_,
                   SRCPAINT);
        SetBkColor(dc, background);
        SetTextColor(dc, text);
    } else {
        StretchBlt(dc, target.left, target.top, width, height, source.get(), 0, 0, width_, height_,
                   SRCCOPY);
    }
    SelectObject(source.get(), original);
}

const Picture* LoadGifResource(HMODULE module, int id) {
    // Each picture is decoded once, however many windows show it, however
    // often they are built again; a missing one is remembered as missing.
    struct Loaded {
        HMODULE module;
        int id;
        std::unique_ptr<Picture> picture;
        std::unique_ptr<Loaded> next;
    };
    static std::unique_ptr<Loaded> loaded;
    for (const Loaded* earlier = loaded.get(); earlier; earlier = earlier->next.get()) {
        if (earlier->module == module && earlier->id == id)
            return earlier->picture.get();
    }

    std::unique_ptr<Picture> picture;
    if (HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), "GIF")) {
        HGLOBAL data = LoadResource(module, resource);
        const DWORD size = SizeofResource(module, resource);
        const void* bytes = data ? LockResource(data) : nullptr;
        if (bytes)
            picture = Picture::FromGif(std::span(static_cast<const std::uint8_t*>(bytes), size));
    }
    loaded.reset(new Loaded{module, id, std::move(picture), std::move(loaded)});
    return loaded->picture.get();
}

} // namespace ui
