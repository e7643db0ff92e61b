// The pictures: the four bitmaps of the program's resources load with their
// sizes and colours, and are drawn whole as the system draws the bitmaps it
// loads, stretched to the target, averaged where it is smaller than they are.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/Handles.h"
#include "res/resource.h"
#include "support/WindowAccess.h"
#include "ui/Widgets.h"

using support::Canvas;
using support::Unpainted;

namespace {

struct ResourcePicture {
    int id;
    int width;
    int height;
    // Pixels as ImageMagick reads them from the pictures: x, y, 0xRRGGBB.
    struct Pixel {
        int x, y;
        std::uint32_t colour;
    } pixels[4];
};

constexpr ResourcePicture ResourcePictures[] = {
    {IDB_TITLE,
     62,
     62,
     {{0, 0, 0xAFD3F9}, {31, 31, 0xE1E6ED}, {32, 20, 0x2F6FD6}, {10, 40, 0xDFE4EC}}},
    {IDB_BACKUP,
     64,
     65,
     {{0, 0, 0xAFD3F9}, {31, 31, 0x4D616C}, {32, 20, 0x2FC04F}, {50, 50, 0x2AAB47}}},
    {IDB_CLEANUP,
     72,
     71,
     {{0, 0, 0xAFD3F9}, {31, 31, 0xF2C230}, {32, 20, 0xAFD3F9}, {10, 40, 0xDFE4EC}}},
    {IDB_DEFRAG,
     65,
     66,
     {{0, 0, 0xAFD3F9}, {31, 31, 0x3B495D}, {32, 20, 0x728AA6}, {50, 50, 0x2FC050}}},
};

// The sizes the windows draw the pictures at: 1:1, the main window's and the
// About box's images at 96 and 144 DPI, and larger than the picture.
constexpr SIZE DrawnSizes[] = {{0, 0}, {40, 32}, {33, 33}, {39, 32}, {60, 48}, {50, 50}, {150, 97}};

base::unique_hbitmap loadPicture(int id) {
    return base::unique_hbitmap(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
}

// The bitmap drawn the way the system draws it in the given stretch mode.
std::vector<std::uint32_t> stretched(HBITMAP bitmap, SIZE from, SIZE to, int mode) {
    Canvas canvas(to.cx, to.cy);
    base::unique_hdc source(CreateCompatibleDC(nullptr));
    const HGDIOBJ original = SelectObject(source.get(), bitmap);
    SetStretchBltMode(canvas.Dc(), mode);
    SetBrushOrgEx(canvas.Dc(), 0, 0, nullptr);
    StretchBlt(canvas.Dc(), 0, 0, to.cx, to.cy, source.get(), 0, 0, from.cx, from.cy, SRCCOPY);
    SelectObject(source.get(), original);
    return canvas.Pixels();
}

} // namespace

TEST(Pictures, TheResourceBitmapsLoadWithTheirSizesAndColours) {
    for (const ResourcePicture& expected : ResourcePictures) {
        SCOPED_TRACE(expected.id);
        const base::unique_hbitmap picture = loadPicture(expected.id);
        ASSERT_TRUE(picture);
        BITMAP size{};
        ASSERT_TRUE(GetObjectA(picture.get(), sizeof size, &size));
        EXPECT_EQ(expected.width, size.bmWidth);
        EXPECT_EQ(expected.height, size.bmHeight);
        const std::vector<std::uint32_t> pixels =
            stretched(picture.get(), {expected.width, expected.height},
                      {expected.width, expected.height}, COLORONCOLOR);
        for (const auto& pixel : expected.pixels)
            EXPECT_EQ(pixel.colour,
                      pixels[static_cast<std::size_t>(pixel.y * expected.width + pixel.x)])
                << pixel.x << "," << pixel.y;
    }
}

TEST(Pictures, AreDrawnWholeStretchedAndAveragedWhereSmaller) {
    EXPECT_EQ(nullptr, ui::FindPicture(GetModuleHandleA(nullptr), 999));
    for (const ResourcePicture& resource : ResourcePictures) {
        const base::unique_hbitmap loaded = loadPicture(resource.id);
        const BITMAPINFO* picture = ui::FindPicture(GetModuleHandleA(nullptr), resource.id);
        ASSERT_TRUE(loaded);
        ASSERT_NE(nullptr, picture);
        const SIZE natural{resource.width, resource.height};
        for (SIZE size : DrawnSizes) {
            const SIZE drawn{size.cx ? size.cx : natural.cx, size.cy ? size.cy : natural.cy};
            SCOPED_TRACE(testing::Message()
                         << resource.id << " drawn at " << drawn.cx << "x" << drawn.cy);
            Canvas canvas(drawn.cx, drawn.cy);
            ui::DrawPicture(canvas.Dc(), picture, canvas.Whole());
            const std::vector<std::uint32_t> pixels = canvas.Pixels();
            EXPECT_EQ(std::find(pixels.begin(), pixels.end(), Unpainted), pixels.end());
            const bool smaller = drawn.cx < natural.cx || drawn.cy < natural.cy;
            EXPECT_EQ(stretched(loaded.get(), natural, drawn, smaller ? HALFTONE : COLORONCOLOR),
                      pixels);
            if (smaller) {
                EXPECT_NE(stretched(loaded.get(), natural, drawn, COLORONCOLOR), pixels)
                    << "rows and columns dropped, not averaged";
            }
        }
    }
    // A missing picture draws nothing.
    Canvas canvas(4, 4);
    ui::DrawPicture(canvas.Dc(), nullptr, canvas.Whole());
    EXPECT_EQ(std::vector<std::uint32_t>(16, Unpainted), canvas.Pixels());
}
