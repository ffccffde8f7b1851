// The default skin that ships with the program: its settings file places every
// element on the handset, and its bitmaps are in the form the window accepts.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/SkinFile.h"

namespace {

// The source tree's res/skin. A compiler cache may make __FILE__ relative to
// the build folder, so the folders above the test's own are searched too.
std::filesystem::path FindSkinDir() {
    namespace fs = std::filesystem;
    const fs::path fromSource = fs::path(__FILE__).parent_path().parent_path().parent_path();
    if (fs::exists(fromSource / "res" / "skin" / "default.ini")) return fromSource / "res" / "skin";
    for (fs::path dir = fs::current_path(); !dir.empty(); dir = dir.parent_path()) {
        if (fs::exists(dir / "res" / "skin" / "default.ini")) return dir / "res" / "skin";
        if (dir == dir.parent_path()) break;
    }
    return fromSource / "res" / "skin";
}

const std::filesystem::path kSkinDir = FindSkinDir();

const char* const kButtonKeys[] = {
    "BTN_0", "BTN_1", "BTN_2",  "BTN_3",  "BTN_4",    "BTN_5",    "BTN_6",     "BTN_7",
    "BTN_8", "BTN_9", "BTN_AS", "BTN_SH", "BTN_SEND", "BTN_QUIT", "BTN_CLEAR", "BTN_CALL"};
const char* const kTextKeys[] = {"DISPLAY1", "DISPLAY2", "DISPLAY3", "ANTENNA"};

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// A 24-bit bitmap read the way the skin format defines it, bounds-checked.
struct Bitmap {
    std::vector<uint8_t> bytes;
    uint32_t offset = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = 0;
    uint32_t infoSize = 0;

    static uint32_t Le(const std::vector<uint8_t>& b, size_t at, int n) {
        uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = (v << 8) | b.at(at + static_cast<size_t>(i));
        return v;
    }
    size_t RowBytes() const { return (static_cast<size_t>(width) * 3 + 3) / 4 * 4; }
    bool PixelsFit() const {
        return width > 0 && height > 0 &&
               offset + RowBytes() * static_cast<size_t>(height) <= bytes.size();
    }
    // x, y in window coordinates (top row first).
    Rgb At(int x, int y) const {
        const size_t at =
            offset + RowBytes() * static_cast<size_t>(height - 1 - y) + static_cast<size_t>(x) * 3;
        return Rgb{bytes.at(at + 2), bytes.at(at + 1), bytes.at(at)};
    }
};

Bitmap ReadBitmap(const std::filesystem::path& path) {
    Bitmap bmp;
    std::ifstream in(path, std::ios::binary);
    bmp.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bmp.bytes.size() < 54) return bmp;
    bmp.offset = Bitmap::Le(bmp.bytes, 10, 4);
    bmp.infoSize = Bitmap::Le(bmp.bytes, 14, 4);
    bmp.width = static_cast<int32_t>(Bitmap::Le(bmp.bytes, 18, 4));
    bmp.height = static_cast<int32_t>(Bitmap::Le(bmp.bytes, 22, 4));
    bmp.bitsPerPixel = static_cast<uint16_t>(Bitmap::Le(bmp.bytes, 28, 2));
    bmp.compression = Bitmap::Le(bmp.bytes, 30, 4);
    return bmp;
}

class DefaultSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_skin.Open((kSkinDir / "default.ini").string()));
        m_bmp = ReadBitmap(kSkinDir / m_skin.GetSkinString("BMPFILE"));
        ASSERT_EQ(m_bmp.bitsPerPixel, 24);
        ASSERT_TRUE(m_bmp.PixelsFit());
        m_transparent = Rgb{static_cast<uint8_t>(m_skin.GetSkinInt("TP_R")),
                            static_cast<uint8_t>(m_skin.GetSkinInt("TP_G")),
                            static_cast<uint8_t>(m_skin.GetSkinInt("TP_B"))};
    }

    SkinRect Rect(const char* key) { return m_skin.GetSkinRect(key); }

    SkinFile m_skin;
    Bitmap m_bmp;
    Rgb m_transparent{};
};

TEST_F(DefaultSkinTest, BitmapsAreUncompressed24BitBottomUpWithHeadersAtTheUsualPlaces) {
    for (const char* key : {"BMPFILE", "PICTURE1", "PICTURE2"}) {
        SCOPED_TRACE(key);
        const std::string name = m_skin.GetSkinString(key);
        ASSERT_FALSE(name.empty());
        const Bitmap bmp = ReadBitmap(kSkinDir / name);
        ASSERT_GE(bmp.bytes.size(), 54u);
        EXPECT_EQ(bmp.bytes[0], 'B');
        EXPECT_EQ(bmp.bytes[1], 'M');
        EXPECT_EQ(Bitmap::Le(bmp.bytes, 2, 4), bmp.bytes.size());
        EXPECT_EQ(bmp.offset, 54u);
        EXPECT_EQ(bmp.infoSize, 40u);
        EXPECT_EQ(bmp.bitsPerPixel, 24);
        EXPECT_EQ(bmp.compression, 0u);
        EXPECT_GT(bmp.height, 0) << "rows must be stored bottom-up";
        EXPECT_EQ(bmp.offset + bmp.RowBytes() * static_cast<size_t>(bmp.height), bmp.bytes.size());
    }
}

TEST_F(DefaultSkinTest, EveryElementIsPlacedInsideTheBitmapAsWritten) {
    std::vector<const char*> keys(std::begin(kButtonKeys), std::end(kButtonKeys));
    keys.insert(keys.end(), std::begin(kTextKeys), std::end(kTextKeys));
    keys.push_back("PICTURE");
    EXPECT_EQ(m_skin.GetSkinInt("DIFF_X"), 0);
    EXPECT_EQ(m_skin.GetSkinInt("DIFF_Y"), 0);
    for (const char* key : keys) {
        SCOPED_TRACE(key);
        const SkinRect r = Rect(key);
        EXPECT_LT(r.left, r.right);
        EXPECT_LT(r.top, r.bottom);
        EXPECT_LE(r.right, m_bmp.width);
        EXPECT_LE(r.bottom, m_bmp.height);
        // The element sits on the body, not on the cut-away surround.
        EXPECT_FALSE(m_bmp.At((r.left + r.right) / 2, (r.top + r.bottom) / 2) == m_transparent);
    }
}

TEST_F(DefaultSkinTest, NoTwoButtonsOverlap) {
    for (size_t i = 0; i < std::size(kButtonKeys); ++i) {
        for (size_t j = i + 1; j < std::size(kButtonKeys); ++j) {
            const SkinRect a = Rect(kButtonKeys[i]);
            const SkinRect b = Rect(kButtonKeys[j]);
            const bool apart =
                a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
            EXPECT_TRUE(apart) << kButtonKeys[i] << " overlaps " << kButtonKeys[j];
        }
    }
}

TEST_F(DefaultSkinTest, TextAreasAreLightAndTallEnoughForTheDisplayFont) {
    const int points = m_skin.GetSkinInt("FONTSIZE");
    ASSERT_GE(points, 9);
    // A line of the gothic face takes about 1.4 times its pixel size at 96 dpi.
    const int lineHeight = points * 96 / 72 * 14 / 10;
    for (const char* key : kTextKeys) {
        SCOPED_TRACE(key);
        const SkinRect r = Rect(key);
        EXPECT_GE(r.bottom - r.top, lineHeight);
        // Black text must read on every pixel under the area.
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                const Rgb c = m_bmp.At(x, y);
                ASSERT_GT(c.r + c.g + c.b, 3 * 150) << "dark pixel at " << x << "," << y;
            }
        }
    }
}

TEST_F(DefaultSkinTest, PicturesFitThePictureArea) {
    const SkinRect area = Rect("PICTURE");
    for (const char* key : {"PICTURE1", "PICTURE2"}) {
        SCOPED_TRACE(key);
        const Bitmap picture = ReadBitmap(kSkinDir / m_skin.GetSkinString(key));
        ASSERT_TRUE(picture.PixelsFit());
        EXPECT_LE(picture.width, area.right - area.left);
        EXPECT_LE(picture.height, area.bottom - area.top);
    }
}

TEST_F(DefaultSkinTest, SurroundIsCutCleanlyAtTheEndsOfEachRow) {
    auto nearTransparent = [this](Rgb c) {
        return std::abs(c.r - m_transparent.r) + std::abs(c.g - m_transparent.g) +
                   std::abs(c.b - m_transparent.b) <
               120;
    };
    EXPECT_EQ(m_bmp.At(0, 0), m_transparent);
    EXPECT_EQ(m_bmp.At(m_bmp.width - 1, m_bmp.height - 1), m_transparent);
    int bodyRows = 0;
    for (int y = 0; y < m_bmp.height; ++y) {
        int first = -1;
        int last = -1;
        for (int x = 0; x < m_bmp.width; ++x) {
            if (m_bmp.At(x, y) == m_transparent) continue;
            if (first < 0) first = x;
            last = x;
        }
        if (first < 0) continue;
        ++bodyRows;
        // Inside the body no pixel is, or nearly is, the transparent colour: a hole
        // would show the surround colour and a near miss would fringe the edge.
        for (int x = first; x <= last; ++x)
            ASSERT_FALSE(nearTransparent(m_bmp.At(x, y))) << "at " << x << "," << y;
    }
    EXPECT_GT(bodyRows, m_bmp.height * 9 / 10);
}

}  // namespace
