#include "handset/BmpReader.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/TestBitmaps.h"

namespace {

std::vector<uint8_t> Checker(int width, int height) {
    return MakeBmp24(width, height, [](int x, int y) {
        return (x + y) % 2 ? TestRgb{255, 0, 0} : TestRgb{0, 0, 255};
    });
}

TEST(BmpReader, ReadsA24BitSkinWithItsHeaderAndPixels) {
    const auto result = ParseSkinBmp(Checker(3, 2));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.image.Width(), 3);
    EXPECT_EQ(result.image.Height(), 2);
    EXPECT_EQ(result.image.header.biBitCount, 24);
    EXPECT_EQ(result.image.RowStride(), 12u);  // 9 bytes padded to 12
    EXPECT_EQ(result.image.pixels.size(), 24u);
    // The header block is read as far as the file goes; the rest is zero.
    ASSERT_EQ(result.image.headerBlock.size(), BMP_HEADER_BLOCK_SIZE);
    EXPECT_EQ(result.image.headerBlock[0], 40);
    EXPECT_EQ(result.image.headerBlock[BMP_HEADER_BLOCK_SIZE - 1], 0);

    const auto pixels = DecodeBmpPixels(result.image);
    ASSERT_EQ(pixels.size(), 6u);
    EXPECT_EQ(pixels[0], 0xFF0000FFu);  // top-left: blue
    EXPECT_EQ(pixels[1], 0xFFFF0000u);  // red
    EXPECT_EQ(pixels[3], 0xFFFF0000u);  // second row starts red
}

struct BadSkin {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> spoil;
    BmpError expected;
};

TEST(BmpReader, RefusesSkinsThatDoNotHoldWhatTheirHeadersClaim) {
    const BadSkin cases[] = {
        {"shorter than the headers", [](auto& b) { b.resize(40); }, BmpError::Truncated},
        {"empty file", [](auto& b) { b.clear(); }, BmpError::Truncated},
        {"pixel offset past the end", [](auto& b) { PutLe32(b, 10, uint32_t(b.size() + 1)); },
         BmpError::Truncated},
        {"last row cut short", [](auto& b) { b.pop_back(); }, BmpError::Truncated},
        {"height beyond the data", [](auto& b) { PutLe32(b, 22, 3); }, BmpError::Truncated},
        {"width whose rows overflow", [](auto& b) { PutLe32(b, 18, 0x7FFFFFFF); },
         BmpError::BadDimensions},
        {"huge height", [](auto& b) { PutLe32(b, 22, 0x40000000); }, BmpError::BadDimensions},
        {"zero width", [](auto& b) { PutLe32(b, 18, 0); }, BmpError::BadDimensions},
        {"negative width", [](auto& b) { PutLe32(b, 18, uint32_t(-3)); }, BmpError::BadDimensions},
        {"zero height", [](auto& b) { PutLe32(b, 22, 0); }, BmpError::BadDimensions},
        {"top-down", [](auto& b) { PutLe32(b, 22, uint32_t(-2)); }, BmpError::Unsupported},
        {"8 bits per pixel", [](auto& b) { PutLe16(b, 28, 8); }, BmpError::Unsupported},
        {"32 bits per pixel", [](auto& b) { PutLe16(b, 28, 32); }, BmpError::Unsupported},
        {"run-length compressed", [](auto& b) { PutLe32(b, 30, 1); }, BmpError::Unsupported},
        {"bit fields", [](auto& b) { PutLe32(b, 30, 3); }, BmpError::Unsupported},
    };
    for (const auto& c : cases) {
        auto bytes = Checker(3, 2);
        c.spoil(bytes);
        EXPECT_EQ(ParseSkinBmp(bytes).error, c.expected) << c.name;
    }
}

TEST(BmpReader, IgnoresTheSignatureAndSizeFields) {
    auto bytes = Checker(2, 2);
    bytes[0] = 'X';
    bytes[1] = 'Y';
    PutLe32(bytes, 2, 7);
    EXPECT_TRUE(ParseSkinBmp(bytes).ok());
}

TEST(BmpReader, ReportsAMissingFileAsNotOpened) {
    EXPECT_EQ(ReadSkinBmp("/nonexistent/skin.bmp").error, BmpError::OpenFailed);
    EXPECT_EQ(ReadPictureBmp("/nonexistent/picture.bmp").error, BmpError::OpenFailed);
}

TEST(BmpReader, DecodesPalettePicturesStoredEitherWay) {
    const std::vector<TestRgb> palette = {{10, 20, 30}, {200, 100, 50}};
    auto pick = [](int x, int y) { return uint8_t(x == 1 && y == 0 ? 1 : 0); };
    for (int height : {2, -2}) {
        const auto result = ParsePictureBmp(MakeBmp8(2, height, palette, pick));
        ASSERT_TRUE(result.ok()) << height;
        const auto pixels = DecodeBmpPixels(result.image);
        ASSERT_EQ(pixels.size(), 4u);
        EXPECT_EQ(pixels[0], 0xFF0A141Eu) << height;
        EXPECT_EQ(pixels[1], 0xFFC86432u) << height;  // top row, right
        EXPECT_EQ(pixels[3], 0xFF0A141Eu) << height;
    }
}

TEST(BmpReader, OutOfRangePaletteIndicesDrawBlack) {
    const auto result =
        ParsePictureBmp(MakeBmp8(1, 1, {{255, 255, 255}}, [](int, int) { return 7; }));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(DecodeBmpPixels(result.image), std::vector<uint32_t>{0xFF000000u});
}

TEST(BmpReader, RefusesPicturesWithoutTheirColourTable) {
    auto bytes = MakeBmp8(2, 2, {{1, 2, 3}, {4, 5, 6}}, [](int, int) { return 0; });
    PutLe32(bytes, 46, 0);  // all 256 entries expected now
    EXPECT_EQ(ParsePictureBmp(bytes).error, BmpError::Truncated);
}

TEST(BmpReader, DecodesBitFieldPictures) {
    // One 32-bit pixel with the masks of a 10-10-10 layout.
    std::vector<uint8_t> bytes(14 + 40 + 12 + 4, 0);
    PutLe32(bytes, 10, 14 + 40 + 12);
    PutLe32(bytes, 14, 40);
    PutLe32(bytes, 18, 1);
    PutLe32(bytes, 22, 1);
    PutLe16(bytes, 28, 32);
    PutLe32(bytes, 30, BI_BITFIELDS);
    PutLe32(bytes, 54, 0x3FF00000);
    PutLe32(bytes, 58, 0x000FFC00);
    PutLe32(bytes, 62, 0x000003FF);
    PutLe32(bytes, 66, 0x3FF00000 | 0x00000000 | 0x000003FF);  // red and blue full
    const auto result = ParsePictureBmp(bytes);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(DecodeBmpPixels(result.image), std::vector<uint32_t>{0xFFFF00FFu});
}

TEST(BmpReader, RefusesCompressedPictures) {
    auto bytes = MakeBmp8(2, 2, {{1, 2, 3}}, [](int, int) { return 0; });
    PutLe32(bytes, 30, 1);
    EXPECT_EQ(ParsePictureBmp(bytes).error, BmpError::Unsupported);
}

// A small file can claim a picture whose pixels would need gigabytes: the
// header alone refuses it, with no pixel data behind it.
TEST(BmpReader, RefusesBitmapsBeyondAWindowsSizeFromTheHeader) {
    struct Case {
        const char* name;
        int32_t width, height;
        uint16_t bits;
        BmpError picture;
        BmpError skin;
    };
    // No side beyond what a window could be: 4096 pixels.
    const Case cases[] = {
        {"1-bit 32767 x 32767", 32767, 32767, 1, BmpError::BadDimensions, BmpError::Unsupported},
        {"top-down 8001 x 8000", 8001, -8000, 1, BmpError::BadDimensions, BmpError::Unsupported},
        {"24-bit 8000 x 8001", 8000, 8001, 24, BmpError::BadDimensions, BmpError::BadDimensions},
        {"24-bit 4097 x 1", 4097, 1, 24, BmpError::BadDimensions, BmpError::BadDimensions},
        {"4096 x 4096 is judged by its data", 4096, 4096, 24, BmpError::Truncated,
         BmpError::Truncated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> header(14 + 40 + 2 * 4, 0);
        PutLe32(header, 10, uint32_t(header.size()));
        PutLe32(header, 14, 40);
        PutLe32(header, 18, uint32_t(c.width));
        PutLe32(header, 22, uint32_t(c.height));
        PutLe16(header, 26, 1);
        PutLe16(header, 28, c.bits);
        EXPECT_EQ(ParsePictureBmp(header).error, c.picture);
        EXPECT_EQ(ParseSkinBmp(header).error, c.skin);
    }
}

TEST(BmpReader, DecodesIntoRowsLongerThanThePicture) {
    const auto result = ParseSkinBmp(Checker(2, 2));
    ASSERT_TRUE(result.ok());
    std::vector<uint32_t> rows(2 * 3, 7);
    ASSERT_TRUE(DecodeBmpPixels(result.image, rows.data(), 3));
    EXPECT_EQ(rows,
              (std::vector<uint32_t>{0xFF0000FFu, 0xFFFF0000u, 7, 0xFFFF0000u, 0xFF0000FFu, 7}));
    // Rows shorter than the picture, or pixel data cut short: nothing written.
    std::vector<uint32_t> untouched(4, 7);
    EXPECT_FALSE(DecodeBmpPixels(result.image, untouched.data(), 1));
    BmpImage shortData = result.image;
    shortData.pixels.pop_back();
    EXPECT_FALSE(DecodeBmpPixels(shortData, untouched.data(), 2));
    EXPECT_EQ(untouched, std::vector<uint32_t>(4, 7));
}

}  // namespace
