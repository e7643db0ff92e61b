#include "ui/Gif.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace ui {

namespace {

constexpr std::uint32_t OpaqueBlack = 0xFF000000;

// The data read front to back. Reading past the end fails the reader for
// good and yields zeros, so a caller checks once, after a whole structure.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}

    bool failed() const { return failed_; }

    std::uint8_t byte() {
        if (position_ >= data_.size()) {
            failed_ = true;
            return 0;
        }
        return data_[position_++];
    }

    int word() {
        const int low = byte();
        const int high = byte();
        return low | high << 8;
    }

    void skip(std::size_t count) {
        if (count > data_.size() - position_) {
            failed_ = true;
            position_ = data_.size();
            return;
        }
        position_ += count;
    }

    // Skips a sequence of data sub-blocks up to and including its terminator.
    void skipSubBlocks() {
        for (std::uint8_t size = byte(); size != 0 && !failed_; size = byte())
            skip(size);
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

using ColourTable = std::array<std::uint32_t, 256>;

// A table of 2^(sizeField + 1) RGB triples; the entries the file leaves out
// stay opaque black.
void readColourTable(Reader& reader, int sizeField, ColourTable& table) {
    table.fill(OpaqueBlack);
    const int entries = 2 << sizeField;
    for (int i = 0; i < entries; ++i) {
        const std::uint32_t red = reader.byte();
        const std::uint32_t green = reader.byte();
        const std::uint32_t blue = reader.byte();
        table[static_cast<std::size_t>(i)] = OpaqueBlack | red << 16 | green << 8 | blue;
    }
}

// The image data's variable-length codes, packed from the lowest bit up into
// sub-blocks of at most 255 bytes.
class CodeReader {
public:
    explicit CodeReader(Reader& reader) : reader_(reader) {}

    // The next code of the given size (at most 12 bits), or -1 when the data
    // or their sub-blocks end first.
    int next(int size) {
        while (bitCount_ < size) {
            if (blockLeft_ == 0) {
                blockLeft_ = ended_ ? 0 : reader_.byte();
                if (blockLeft_ == 0 || reader_.failed()) {
                    ended_ = true;
                    return -1;
                }
            }
            const std::uint32_t next = reader_.byte();
            if (reader_.failed())
                return -1;
            bits_ |= next << bitCount_;
            bitCount_ += 8;
            --blockLeft_;
        }
        const int code = static_cast<int>(bits_ & ((std::uint32_t{1} << size) - 1));
        bits_ >>= size;
        bitCount_ -= size;
        return code;
    }

private:
    Reader& reader_;
    std::uint32_t bits_ = 0;
    int bitCount_ = 0;
    std::uint32_t blockLeft_ = 0;
    bool ended_ = false;
};

// Decompresses the colour indices of an image of `count` pixels in the order
// the file stores them. False when the data end before every pixel has its
// index, or hold a code that the table does not have yet.
bool decompress(Reader& reader, int minimumCodeSize, std::vector<std::uint8_t>& indices,
                std::size_t count) {
    constexpr int largestCodeSize = 12;
    constexpr int tableSize = 1 << largestCodeSize;
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;

    // Each entry is an earlier entry (its prefix) followed by one index.
    std::array<std::uint16_t, tableSize> prefix{};
    std::array<std::uint8_t, tableSize> suffix{};
    // An entry's string, last index first: a chain of prefixes strictly
    // decreasing, so at most one index per entry.
    std::array<std::uint8_t, tableSize> stack{};

    CodeReader codes(reader);
    int codeSize = minimumCodeSize + 1;
    int nextEntry = clear + 2;
    int previous = -1;
    std::uint8_t firstOfPrevious = 0;
    indices.clear();
    indices.reserve(count);
    while (indices.size() < count) {
        int code = codes.next(codeSize);
        if (code < 0 || code == end)
            return false;
        if (code == clear) {
            codeSize = minimumCodeSize + 1;
            nextEntry = clear + 2;
            previous = -1;
            continue;
        }
        if (previous < 0) {
            // After a clear code only a single index can follow.
            if (code > clear)
                return false;
            indices.push_back(static_cast<std::uint8_t>(code));
            previous = code;
            firstOfPrevious = static_cast<std::uint8_t>(code);
            continue;
        }
        if (code > nextEntry)
            return false;

        const int received = code;
        std::size_t depth = 0;
        if (code == nextEntry) {
            // The entry being defined by this very code: the previous string
            // followed by its own first index.
            stack[depth++] = firstOfPrevious;
            code = previous;
        }
        while (code > end) {
            stack[depth++] = suffix[static_cast<std::size_t>(code)];
            code = prefix[static_cast<std::size_t>(code)];
        }
        const auto first = static_cast<std::uint8_t>(code);
        stack[depth++] = first;
        while (depth > 0 && indices.size() < count)
            indices.push_back(stack[--depth]);

        if (nextEntry < tableSize) {
            prefix[static_cast<std::size_t>(nextEntry)] = static_cast<std::uint16_t>(previous);
            suffix[static_cast<std::size_t>(nextEntry)] = first;
            ++nextEntry;
            if (nextEntry == 1 << codeSize && codeSize < largestCodeSize)
                ++codeSize;
        }
        previous = received;
        firstOfPrevious = first;
    }
    return true;
}

// The row of the image that the n-th stored row is: interlaced images store
// every 8th row from 0, then every 8th from 4, every 4th from 2, every 2nd from 1.
int storedRowToRow(int stored, int height, bool interlaced) {
    if (!interlaced)
        return stored;
    constexpr int starts[] = {0, 4, 2, 1};
    constexpr int steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int rows = (height - starts[pass] + steps[pass] - 1) / steps[pass];
        if (stored < rows)
            return starts[pass] + stored * steps[pass];
        stored -= std::max(rows, 0);
    }
    return -1;
}

} // namespace

std::optional<GifImage> DecodeGif(std::span<const std::uint8_t> data) {
    Reader reader(data);
    std::array<std::uint8_t, 6> signature{};
    for (std::uint8_t& byte : signature)
        byte = reader.byte();
    constexpr std::array<std::uint8_t, 6> gif87a{'G', 'I', 'F', '8', '7', 'a'};
    constexpr std::array<std::uint8_t, 6> gif89a{'G', 'I', 'F', '8', '9', 'a'};
    if (reader.failed() || (signature != gif87a && signature != gif89a))
        return std::nullopt;

    GifImage image;
    image.width = reader.word();
    image.height = reader.word();
    const std::uint8_t screenFlags = reader.byte();
    reader.skip(2); // background colour and pixel aspect ratio: a picture of ours draws neither
    if (reader.failed() || image.width == 0 || image.height == 0 ||
        std::int64_t{image.width} * image.height > LargestGifCanvas)
        return std::nullopt;
    ColourTable globalColours;
    globalColours.fill(OpaqueBlack);
    if (screenFlags & 0x80)
        readColourTable(reader, screenFlags & 0x07, globalColours);

    int transparentIndex = -1;
    for (;;) {
        const std::uint8_t introducer = reader.byte();
        if (reader.failed())
            return std::nullopt;
        if (introducer == 0x21) {
            const std::uint8_t label = reader.byte();
            if (label == 0xF9) {
                // Graphic control extension: 4 bytes, bit 0 of the first says
                // whether the last names the transparent colour.
                const std::uint8_t size = reader.byte();
                if (size == 4) {
                    const std::uint8_t flags = reader.byte();
                    reader.skip(2); // delay time
                    const std::uint8_t index = reader.byte();
                    transparentIndex = (flags & 0x01) ? index : -1;
                } else {
                    reader.skip(size);
                }
            }
            reader.skipSubBlocks();
            if (reader.failed())
                return std::nullopt;
            continue;
        }
        if (introducer != 0x2C)
            return std::nullopt; // the trailer before any image, or no block at all

        const int left = reader.word();
        const int top = reader.word();
        const int width = reader.word();
        const int height = reader.word();
        const std::uint8_t imageFlags = reader.byte();
        ColourTable localColours;
        if (imageFlags & 0x80)
            readColourTable(reader, imageFlags & 0x07, localColours);
        const ColourTable& colours = (imageFlags & 0x80) ? localColours : globalColours;
        const int minimumCodeSize = reader.byte();
        if (reader.failed() || minimumCodeSize < 1 || minimumCodeSize > 8 ||
            std::int64_t{width} * height > LargestGifCanvas)
            return std::nullopt;

        std::vector<std::uint8_t> indices;
        const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        if (!decompress(reader, minimumCodeSize, indices, count))
            return std::nullopt;

        image.pixels = std::vector<std::uint32_t>(static_cast<std::size_t>(image.width) *
                                                  static_cast<std::size_t>(image.height));
        const bool interlaced = (imageFlags & 0x40) != 0;
        std::size_t coveredPixels = 0;
        for (int stored = 0; stored < height; ++stored) {
            const int y = top + storedRowToRow(stored, height, interlaced);
            if (y < 0 || y >= image.height)
                continue;
            for (int x = 0; x < width && left + x < image.width; ++x) {
                const std::uint8_t index =
                    indices[static_cast<std::size_t>(stored) * static_cast<std::size_t>(width) +
                            static_cast<std::size_t>(x)];
                if (index == transparentIndex)
                    continue;
                image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                             static_cast<std::size_t>(left + x)] = colours[index];
                ++coveredPixels;
            }
        }
        image.transparent = coveredPixels < image.pixels.size();
        return image;
    }
}

} // namespace ui
