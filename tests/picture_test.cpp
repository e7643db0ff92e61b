// The pictures: the GIF decoder reads the four pictures of the program's
// resources to their sizes and colours and fails cleanly on damaged data, and
// a decoded picture is drawn exactly as the system's own picture decoder
// (OleLoadPicture) draws the same GIF, stretched or not, transparent or not.
#include <gtest/gtest.h>

#include <windows.h>

#include <olectl.h>
#include <wrl/client.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <span>
#include <vector>

#include "base/Handles.h"
#include "res/resource.h"
#include "ui/Gif.h"
#include "ui/Picture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes resourceBytes(int id) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "GIF");
    if (!resource)
        return {};
    const auto* bytes =
        static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, resource)));
    return Bytes(bytes, bytes + SizeofResource(nullptr, resource));
}

struct ResourceGif {
    int id;
    int width;
    int height;
    // Pixels as ImageMagick reads them from res/*.gif: x, y, 0xRRGGBB.
    struct Pixel {
        int x, y;
        std::uint32_t colour;
    } pixels[4];
};

constexpr ResourceGif ResourceGifs[] = {
    {IDG_TITLE,
     62,
     62,
     {{0, 0, 0xAFD3F9}, {31, 31, 0xE1E6ED}, {32, 20, 0x2F6FD6}, {10, 40, 0xDFE4EC}}},
    {IDG_BACKUP,
     64,
     65,
     {{0, 0, 0xAFD3F9}, {31, 31, 0x4D616C}, {32, 20, 0x2FC04F}, {50, 50, 0x2AAB47}}},
    {IDG_CLEANUP,
     72,
     71,
     {{0, 0, 0xAFD3F9}, {31, 31, 0xF2C230}, {32, 20, 0xAFD3F9}, {10, 40, 0xDFE4EC}}},
    {IDG_DEFRAG,
     65,
     66,
     {{0, 0, 0xAFD3F9}, {31, 31, 0x3B495D}, {32, 20, 0x728AA6}, {50, 50, 0x2FC050}}},
};

// A GIF whose image data are single indices, with a clear code before the
// table would grow to ten-bit codes: simple to write, yet read by the same
// decompression as any other GIF.
struct GifRecipe {
    int width;
    int height;
    std::vector<std::uint32_t> colours; // 0xRRGGBB, at most 256
    std::vector<std::uint8_t> indices;  // the image's, in the order stored
    int transparentIndex = -1;
    bool interlaced = false;
    bool localColours = false;
    int left = 0, top = 0, imageWidth = 0, imageHeight = 0; // 0: the whole canvas
};

Bytes writeGif(const GifRecipe& recipe) {
    Bytes gif{'G', 'I', 'F', '8', '9', 'a'};
    const auto word = [&gif](int value) {
        gif.push_back(static_cast<std::uint8_t>(value));
        gif.push_back(static_cast<std::uint8_t>(value >> 8));
    };
    const auto colourTable = [&gif, &recipe] {
        for (int i = 0; i < 256; ++i) {
            const std::uint32_t colour =
                i < static_cast<int>(recipe.colours.size()) ? recipe.colours[i] : 0;
            gif.push_back(static_cast<std::uint8_t>(colour >> 16));
            gif.push_back(static_cast<std::uint8_t>(colour >> 8));
            gif.push_back(static_cast<std::uint8_t>(colour));
        }
    };
    word(recipe.width);
    word(recipe.height);
    gif.push_back(recipe.localColours ? 0x00 : 0xF7);
    gif.push_back(0);
    gif.push_back(0);
    if (!recipe.localColours)
        colourTable();
    if (recipe.transparentIndex >= 0)
        gif.insert(gif.end(), {0x21, 0xF9, 4, 0x01, 0, 0,
                               static_cast<std::uint8_t>(recipe.transparentIndex), 0});
    gif.push_back(0x2C);
    word(recipe.left);
    word(recipe.top);
    word(recipe.imageWidth ? recipe.imageWidth : recipe.width);
    word(recipe.imageHeight ? recipe.imageHeight : recipe.height);
    gif.push_back(static_cast<std::uint8_t>((recipe.localColours ? 0x87 : 0) |
                                            (recipe.interlaced ? 0x40 : 0)));
    if (recipe.localColours)
        colourTable();
    gif.push_back(8);

    std::vector<int> codes{256};
    int sinceClear = 0;
    for (std::uint8_t index : recipe.indices) {
        if (sinceClear == 254) {
            codes.push_back(256);
            sinceClear = 0;
        }
        codes.push_back(index);
        ++sinceClear;
    }
    codes.push_back(257);
    Bytes packed;
    std::uint32_t bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= static_cast<std::uint32_t>(code) << count;
        for (count += 9; count >= 8; count -= 8, bits >>= 8)
            packed.push_back(static_cast<std::uint8_t>(bits));
    }
    if (count > 0)
        packed.push_back(static_cast<std::uint8_t>(bits));
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::size_t size = std::min<std::size_t>(255, packed.size() - at);
        gif.push_back(static_cast<std::uint8_t>(size));
        gif.insert(gif.end(), packed.begin() + static_cast<std::ptrdiff_t>(at),
                   packed.begin() + static_cast<std::ptrdiff_t>(at + size));
    }
    gif.push_back(0);
    gif.push_back(0x3B);
    return gif;
}

// A 4 x 3 picture in three colours whose index 3 is transparent.
GifRecipe transparentRecipe() {
    return {
        4, 3, {0xD63A2F, 0x2FBF4F, 0x2F6FD6, 0xFFFFFF}, {0, 1, 2, 3, 3, 3, 0, 1, 2, 3, 3, 0}, 3};
}

// A 32-bit memory canvas filled with the panel colour the pictures sit on.
class Canvas {
public:
    Canvas(int width, int height)
        : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<std::uint32_t*>(bits);
        original_ = SelectObject(dc_.get(), bitmap_.get());
        for (int i = 0; i < width * height; ++i)
            bits_[i] = 0xAFD3F9;
    }
    ~Canvas() { SelectObject(dc_.get(), original_); }

    HDC Dc() const { return dc_.get(); }
    RECT Whole() const { return {0, 0, width_, height_}; }
    std::vector<std::uint32_t> Pixels() const {
        GdiFlush();
        std::vector<std::uint32_t> pixels(bits_, bits_ + width_ * height_);
        for (std::uint32_t& pixel : pixels)
            pixel &= 0xFFFFFF;
        return pixels;
    }

private:
    int width_;
    int height_;
    base::unique_hdc dc_;
    base::unique_hbitmap bitmap_;
    std::uint32_t* bits_ = nullptr;
    HGDIOBJ original_ = nullptr;
};

// What the program drew before it had a decoder of its own.
std::vector<std::uint32_t> drawnBySystemDecoder(const Bytes& gif, int width, int height) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, gif.size());
    std::memcpy(GlobalLock(memory), gif.data(), gif.size());
    GlobalUnlock(memory);
    Microsoft::WRL::ComPtr<IStream> stream;
    EXPECT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(memory, TRUE, stream.GetAddressOf()));
    Microsoft::WRL::ComPtr<IPicture> picture;
    EXPECT_HRESULT_SUCCEEDED(OleLoadPicture(stream.Get(), static_cast<LONG>(gif.size()), FALSE,
                                            IID_IPicture,
                                            reinterpret_cast<void**>(picture.GetAddressOf())));
    Canvas canvas(width, height);
    if (!picture)
        return canvas.Pixels();
    OLE_XSIZE_HIMETRIC pictureWidth = 0;
    OLE_YSIZE_HIMETRIC pictureHeight = 0;
    picture->get_Width(&pictureWidth);
    picture->get_Height(&pictureHeight);
    picture->Render(canvas.Dc(), 0, 0, width, height, 0, pictureHeight, pictureWidth,
                    -pictureHeight, nullptr);
    return canvas.Pixels();
}

std::vector<std::uint32_t> drawnByPicture(const Bytes& gif, int width, int height) {
    const std::unique_ptr<ui::Picture> picture = ui::Picture::FromGif(gif);
    Canvas canvas(width, height);
    EXPECT_NE(nullptr, picture);
    if (picture)
        picture->DrawStretched(canvas.Dc(), canvas.Whole());
    return canvas.Pixels();
}

// The sizes the windows draw the pictures at: 1:1, the main window's and the
// About box's images at 96 and 144 DPI, and larger than the picture.
constexpr SIZE DrawnSizes[] = {{0, 0}, {40, 32}, {33, 33}, {39, 32}, {60, 48}, {50, 50}, {150, 97}};

} // namespace

TEST(Gif, TheResourcePicturesDecodeToTheirSizesAndColours) {
    for (const ResourceGif& expected : ResourceGifs) {
        SCOPED_TRACE(expected.id);
        const Bytes gif = resourceBytes(expected.id);
        const std::optional<ui::GifImage> image = ui::DecodeGif(gif);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(expected.width, image->width);
        EXPECT_EQ(expected.height, image->height);
        ASSERT_EQ(static_cast<std::size_t>(expected.width * expected.height), image->pixels.size());
        EXPECT_FALSE(image->transparent);
        for (const auto& pixel : expected.pixels)
            EXPECT_EQ(0xFF000000 | pixel.colour,
                      image->pixels[static_cast<std::size_t>(pixel.y * image->width + pixel.x)])
                << pixel.x << "," << pixel.y;
    }
}

TEST(Gif, ACutShortFileFailsOrGivesTheWholeImage) {
    for (const ResourceGif& expected : ResourceGifs) {
        SCOPED_TRACE(expected.id);
        const Bytes gif = resourceBytes(expected.id);
        const std::optional<ui::GifImage> whole = ui::DecodeGif(gif);
        ASSERT_TRUE(whole.has_value());
        std::size_t shortestDecoded = gif.size();
        for (std::size_t size = gif.size(); size-- > 0;) {
            const std::optional<ui::GifImage> image = ui::DecodeGif(std::span(gif.data(), size));
            if (!image)
                continue;
            shortestDecoded = size;
            EXPECT_EQ(whole->pixels, image->pixels) << size;
        }
        // Only the image data's last code, its terminator and the trailer
        // may be missing.
        EXPECT_GE(shortestDecoded + 4, gif.size());
    }
}

TEST(Gif, DamagedFilesFailOrDecodeToAWholeCanvas) {
    std::mt19937 random(20261208);
    for (const ResourceGif& expected : ResourceGifs) {
        const Bytes gif = resourceBytes(expected.id);
        for (int round = 0; round < 2000; ++round) {
            Bytes damaged = gif;
            for (int change = 0; change < 1 + round % 4; ++change)
                damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
            if (const std::optional<ui::GifImage> image = ui::DecodeGif(damaged)) {
                ASSERT_EQ(static_cast<std::size_t>(image->width) * image->height,
                          image->pixels.size());
            }
        }
    }
    EXPECT_FALSE(ui::DecodeGif({}).has_value());
    const Bytes notGif{'G', 'I', 'F', '8', '8', 'a', 1, 0, 1, 0, 0, 0, 0};
    EXPECT_FALSE(ui::DecodeGif(notGif).has_value());
    // A canvas of 65535 x 65535 pixels is refused rather than allocated.
    Bytes huge = writeGif(transparentRecipe());
    huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;
    EXPECT_FALSE(ui::DecodeGif(huge).has_value());
}

TEST(Gif, ReadsTransparencyInterlacingLocalColoursAndAnImageInsideItsCanvas) {
    const std::optional<ui::GifImage> transparent = ui::DecodeGif(writeGif(transparentRecipe()));
    ASSERT_TRUE(transparent.has_value());
    EXPECT_TRUE(transparent->transparent);
    EXPECT_EQ((std::vector<std::uint32_t>{0xFFD63A2F, 0xFF2FBF4F, 0xFF2F6FD6, 0, 0, 0, 0xFFD63A2F,
                                          0xFF2FBF4F, 0xFF2F6FD6, 0, 0, 0xFFD63A2F}),
              transparent->pixels);

    // Eight rows stored in the order 0, 4, 2, 6, 1, 3, 5, 7; each row's index is its number.
    GifRecipe interlaced{1, 8, {0, 1, 2, 3, 4, 5, 6, 7}, {0, 4, 2, 6, 1, 3, 5, 7}};
    interlaced.interlaced = true;
    interlaced.localColours = true;
    const std::optional<ui::GifImage> rows = ui::DecodeGif(writeGif(interlaced));
    ASSERT_TRUE(rows.has_value());
    for (std::uint32_t row = 0; row < 8; ++row)
        EXPECT_EQ(0xFF000000 | row, rows->pixels[row]);

    GifRecipe inside{3, 3, {0x123456}, {0}};
    inside.left = 1;
    inside.top = 2;
    inside.imageWidth = inside.imageHeight = 1;
    const std::optional<ui::GifImage> placed = ui::DecodeGif(writeGif(inside));
    ASSERT_TRUE(placed.has_value());
    EXPECT_TRUE(placed->transparent);
    EXPECT_EQ((std::vector<std::uint32_t>{0, 0, 0, 0, 0, 0, 0, 0xFF123456, 0}), placed->pixels);

    // More than 254 pixels: the image data hold several clear codes.
    GifRecipe large{40, 30, {0x000000, 0xFFFFFF}, {}};
    for (int i = 0; i < 40 * 30; ++i)
        large.indices.push_back(static_cast<std::uint8_t>(i % 7 == 0));
    const std::optional<ui::GifImage> many = ui::DecodeGif(writeGif(large));
    ASSERT_TRUE(many.has_value());
    for (int i = 0; i < 40 * 30; ++i)
        ASSERT_EQ(i % 7 == 0 ? 0xFFFFFFFF : 0xFF000000, many->pixels[static_cast<std::size_t>(i)]);
}

TEST(Picture, IsDrawnAsTheSystemsPictureDecoderDrawsIt) {
    std::vector<std::pair<const char*, Bytes>> gifs{{"transparent", writeGif(transparentRecipe())}};
    for (const ResourceGif& resource : ResourceGifs)
        gifs.emplace_back("resource", resourceBytes(resource.id));
    for (const auto& [name, gif] : gifs) {
        const std::optional<ui::GifImage> image = ui::DecodeGif(gif);
        ASSERT_TRUE(image.has_value());
        for (SIZE size : DrawnSizes) {
            const int width = size.cx ? size.cx : image->width;
            const int height = size.cy ? size.cy : image->height;
            SCOPED_TRACE(testing::Message() << name << " " << image->width << "x" << image->height
                                            << " drawn at " << width << "x" << height);
            EXPECT_EQ(drawnBySystemDecoder(gif, width, height), drawnByPicture(gif, width, height));
        }
    }
}

TEST(Picture, EachResourceIsDecodedOnceAndAMissingOneIsNull) {
    const ui::Picture* title = ui::LoadGifResource(GetModuleHandleA(nullptr), IDG_TITLE);
    ASSERT_NE(nullptr, title);
    EXPECT_EQ(62, title->Width());
    EXPECT_EQ(62, title->Height());
    EXPECT_FALSE(title->Transparent());
    EXPECT_EQ(title, ui::LoadGifResource(GetModuleHandleA(nullptr), IDG_TITLE));
    EXPECT_EQ(nullptr, ui::LoadGifResource(GetModuleHandleA(nullptr), 999));
    EXPECT_TRUE(ui::Picture::FromGif(writeGif(transparentRecipe()))->Transparent());
}
