#include "engine/BitmapWriter.h"

#include <gtest/gtest.h>

#include "TestOutput.h"
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t U32(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16)) |
           (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}
int U16(const Bytes& b, std::size_t at) {
    return b.at(at) | (b.at(at + 1) << 8);
}

// A 5 x 3 image: red top-left, green bottom-right, white in the middle, black elsewhere.
CScreenImage Sample(int depth) {
    CScreenImage img(5, 3, depth);
    img.SetPixel(0, 0, RGB(255, 0, 0));
    img.SetPixel(4, 2, RGB(0, 255, 0));
    img.SetPixel(2, 1, RGB(255, 255, 255));
    img.SetPixel(99, 99, RGB(1, 1, 1)); // outside: ignored
    return img;
}

struct DepthCase {
    int display;
    int bits;
    int palette;
    std::uint32_t stride;
};

class BitmapDepth : public ::testing::TestWithParam<DepthCase> {};

TEST_P(BitmapDepth, HeadersPaletteAndPaddedRows) {
    const DepthCase c = GetParam();
    const Bytes b = EncodeWindowBitmap(Sample(c.display));
    const std::uint32_t offset = 54 + 4 * static_cast<std::uint32_t>(c.palette);
    ASSERT_EQ(b.size(), offset + 3 * c.stride);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), b.size());
    EXPECT_EQ(U32(b, 10), offset);
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ(U32(b, 18), 5u);
    EXPECT_EQ(U32(b, 22), 3u);
    EXPECT_EQ(U16(b, 26), 1);
    EXPECT_EQ(U16(b, 28), c.bits);
    EXPECT_EQ(U32(b, 30), 0u);
    EXPECT_EQ(U32(b, 34), 3 * c.stride);
    EXPECT_EQ(U32(b, 46), static_cast<std::uint32_t>(c.palette));
}

INSTANTIATE_TEST_SUITE_P(Depths, BitmapDepth,
                         ::testing::Values(DepthCase{1, 1, 2, 4}, DepthCase{4, 4, 16, 4},
                                           DepthCase{8, 8, 256, 8}, DepthCase{16, 24, 0, 16},
                                           DepthCase{24, 24, 0, 16}, DepthCase{32, 32, 0, 20}));

TEST(BitmapWriter, RowsAreStoredBottomUp) {
    const Bytes b24 = EncodeWindowBitmap(Sample(24));
    // Row 0 of the file is the bottom row: green at x = 4 as blue, green, red bytes.
    EXPECT_EQ(b24[54 + 12], 0);
    EXPECT_EQ(b24[54 + 13], 255);
    EXPECT_EQ(b24[54 + 14], 0);
    // The top row is the last one: red at x = 0.
    EXPECT_EQ(b24[54 + 2 * 16 + 2], 255);
    EXPECT_EQ(b24[54 + 2 * 16 + 0], 0);

    const Bytes b1 = EncodeWindowBitmap(Sample(1));
    const std::size_t bits1 = 54 + 8;
    EXPECT_EQ(b1[54 + 4], 255);     // palette entry 1 is white
    EXPECT_EQ(b1[bits1 + 4], 0x20); // middle row: white pixel at x = 2
    EXPECT_EQ(b1[bits1 + 8], 0x00); // top row: pure red lies nearer black than white

    const Bytes b4 = EncodeWindowBitmap(Sample(4));
    const std::size_t bits4 = 54 + 64;
    EXPECT_EQ(b4[bits4 + 2], 0xA0); // bottom row, x = 4: bright green (10) in the high nibble
    EXPECT_EQ(b4[bits4 + 8], 0x90); // top row, x = 0: bright red (9)

    const Bytes b8 = EncodeWindowBitmap(Sample(8));
    const std::size_t bits8 = 54 + 1024;
    const int red = b8[bits8 + 16];
    EXPECT_EQ(b8[54 + 4 * red + 2], 255); // the entry chosen for red is pure red
    EXPECT_EQ(b8[54 + 4 * red + 1], 0);
}

TEST(BitmapWriter, EmptyImagesAreRefused) {
    EXPECT_TRUE(CScreenImage(0, 10, 24).IsEmpty());
    EXPECT_TRUE(CScreenImage(10, CScreenImage::kMaxSide + 1, 24).IsEmpty());
    EXPECT_TRUE(EncodeWindowBitmap(CScreenImage()).empty());
    const std::string path = (std::filesystem::temp_directory_path() / "kv-empty-image.bmp").string();
    std::filesystem::remove(path);
    EXPECT_FALSE(WriteWindowBitmap(CScreenImage(), path));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(BitmapWriter, WritesAFileAPersonCanOpen) {
    CScreenImage img(64, 48, 24);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            img.SetPixel(x, y, RGB(x * 4, y * 5, 128));
    const std::filesystem::path dir = kvtest::OutputDir();
    const std::string path = (dir / "bitmap-writer-gradient.bmp").string();
    ASSERT_TRUE(WriteWindowBitmap(img, path));
    std::ifstream in(path, std::ios::binary);
    const Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(b, EncodeWindowBitmap(img));
}

} // namespace
