// The decoder of the program's GIF pictures: the first image of a GIF87a or
// GIF89a file as 32-bit pixels. Plain C++ without Windows headers, so that it
// can be built and fuzzed anywhere; every read is checked against the data's
// end.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ui {

struct GifImage {
    int width = 0;
    int height = 0;
    // Top row first; each pixel 0xAARRGGBB with alpha 0xFF, or 0 (and black)
    // where the image is transparent or leaves its canvas uncovered.
    std::vector<std::uint32_t> pixels;
    bool transparent = false; // some pixel has alpha 0
};

// The largest canvas decoded, in pixels: far more than any picture of ours,
// and little enough memory that a damaged size field cannot exhaust it.
inline constexpr std::int64_t LargestGifCanvas = 4096 * 4096;

// The file's first image placed on a canvas of the file's logical screen
// size, with the transparent colour of its graphic control extension, if
// any. Nothing when the data are no GIF, are cut short before the image is
// complete, or are malformed.
std::optional<GifImage> DecodeGif(std::span<const std::uint8_t> data);

} // namespace ui
