#pragma once
// Windows BMP files as the skin uses them, read whole into memory with every
// header field checked against the file's real size.

#include <cstdint>
#include <string>
#include <vector>

// The 40-byte bitmap information header.
struct BitmapInfoHeader {
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

inline constexpr uint32_t BMP_FILE_HEADER_SIZE = 14;
inline constexpr uint32_t BMP_INFO_HEADER_SIZE = 40;
// The header block: the information header and room for 256 colour entries.
inline constexpr uint32_t BMP_HEADER_BLOCK_SIZE = BMP_INFO_HEADER_SIZE + 256 * 4;
inline constexpr uint32_t BI_RGB = 0;
inline constexpr uint32_t BI_BITFIELDS = 3;
// Files above this size are not taken into memory.
inline constexpr uint64_t BMP_MAX_FILE_SIZE = 256ull * 1024 * 1024;
// Widths and heights above this are refused: no window or picture is that
// big, and one that size still fits in memory (64 MiB decoded).
inline constexpr int32_t BMP_MAX_DIMENSION = 4096;
// A skin narrower or lower than this would give a window nobody can see or
// grab; the window refuses it (the bitmap itself is sound).
inline constexpr int32_t BMP_MIN_SKIN_SIDE = 2;
// Pictures with more pixels than this are refused: a small 1-bit file can
// claim a size whose decoded pixels would need gigabytes. At four bytes a
// pixel the limit keeps the decoded image within 256 MiB.
inline constexpr uint64_t BMP_MAX_PICTURE_PIXELS = 64'000'000;

enum class BmpError {
    None,
    OpenFailed,     // missing or unreadable
    TooLarge,       // above BMP_MAX_FILE_SIZE
    Truncated,      // shorter than its headers, or pixel data short of the image
    BadDimensions,  // width or height zero, negative where not allowed, too big, or a skin too
                    // small
    Unsupported,    // a format this reader does not draw
    TooManyPixels,  // a picture above BMP_MAX_PICTURE_PIXELS
};

struct BmpImage {
    BitmapInfoHeader header;
    // The header block as stored from byte 14 on; the part beyond the end of a
    // short file is zero.
    std::vector<uint8_t> headerBlock;
    // From the pixel data offset to the end of the file.
    std::vector<uint8_t> pixels;
    // Pictures only: the colour table of a bitmap of 8 bits or fewer
    // (0x00RRGGBB), and the red, green, blue masks of a 16- or 32-bit one.
    std::vector<uint32_t> palette;
    uint32_t masks[3] = {0, 0, 0};

    int Width() const { return header.biWidth; }
    // Rows counted without the sign that marks a top-down bitmap.
    int Height() const { return header.biHeight < 0 ? -header.biHeight : header.biHeight; }
    bool TopDown() const { return header.biHeight < 0; }
    // Bytes per stored row: width x bits per pixel, rounded up to 4 bytes.
    uint32_t RowStride() const;
};

struct BmpReadResult {
    BmpError error = BmpError::None;
    BmpImage image;
    std::string openFailure;  // for OpenFailed: why ("not a regular file", the system's words)
    bool ok() const { return error == BmpError::None; }
};

// The skin bitmap: uncompressed, 24 bits per pixel, stored bottom-up, with
// pixel data for every row.
BmpReadResult ReadSkinBmp(const std::string& path);
BmpReadResult ParseSkinBmp(std::vector<uint8_t> file);

// A picture: any uncompressed bitmap of 1, 4, 8, 16, 24 or 32 bits per pixel,
// bottom-up or top-down, of at most BMP_MAX_PICTURE_PIXELS pixels, with pixel
// data for every row.
BmpReadResult ReadPictureBmp(const std::string& path);
BmpReadResult ParsePictureBmp(std::vector<uint8_t> file);

// The picture's pixels as 0xFFRRGGBB, top row first, straight into the
// caller's rows: row y starts at out + y * rowPitch (in pixels, at least the
// width). False, with nothing written, when the pixel data is short.
bool DecodeBmpPixels(const BmpImage& image, uint32_t* out, size_t rowPitch);
// The same into a vector of width x height pixels (empty when short).
std::vector<uint32_t> DecodeBmpPixels(const BmpImage& image);

// Why a bitmap was refused, for the user: "not found or unreadable", ...
std::string DescribeBmpError(BmpError error);

// The whole file, or an error when it cannot be read or is too large.
BmpError ReadWholeFile(const std::string& path, std::vector<uint8_t>& out,
                       std::string* openFailure = nullptr);
