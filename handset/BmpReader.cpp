#include "handset/BmpReader.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/ReadableFile.h"

namespace {

uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

BitmapInfoHeader ParseInfoHeader(const uint8_t* p) {
    BitmapInfoHeader h;
    h.biSize = Le32(p);
    h.biWidth = static_cast<int32_t>(Le32(p + 4));
    h.biHeight = static_cast<int32_t>(Le32(p + 8));
    h.biPlanes = Le16(p + 12);
    h.biBitCount = Le16(p + 14);
    h.biCompression = Le32(p + 16);
    h.biSizeImage = Le32(p + 20);
    h.biXPelsPerMeter = static_cast<int32_t>(Le32(p + 24));
    h.biYPelsPerMeter = static_cast<int32_t>(Le32(p + 28));
    h.biClrUsed = Le32(p + 32);
    h.biClrImportant = Le32(p + 36);
    return h;
}

// Headers and pixel data, without judging the format.
BmpError SplitFile(const std::vector<uint8_t>& file, BmpImage& image) {
    if (file.size() < BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE) return BmpError::Truncated;
    image.header = ParseInfoHeader(file.data() + BMP_FILE_HEADER_SIZE);
    // The header block reaches past the end of small files: keep what is there.
    image.headerBlock.assign(BMP_HEADER_BLOCK_SIZE, 0);
    const size_t available =
        std::min<size_t>(BMP_HEADER_BLOCK_SIZE, file.size() - BMP_FILE_HEADER_SIZE);
    std::memcpy(image.headerBlock.data(), file.data() + BMP_FILE_HEADER_SIZE, available);

    const uint32_t offset = Le32(file.data() + 10);
    if (offset > file.size()) return BmpError::Truncated;
    image.pixels.assign(file.begin() + offset, file.end());
    return BmpError::None;
}

// Every stored row must be there in full. The pixel count is judged before
// the data, so a header alone tells that a picture is too big.
BmpError CheckDimensions(const BmpImage& image, uint64_t maxPixels) {
    const auto& h = image.header;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN)
        return BmpError::BadDimensions;
    if (h.biWidth > BMP_MAX_DIMENSION || image.Height() > BMP_MAX_DIMENSION)
        return BmpError::BadDimensions;
    if (uint64_t(h.biWidth) * uint64_t(image.Height()) > maxPixels) return BmpError::TooManyPixels;
    const uint64_t needed = uint64_t{image.RowStride()} * uint64_t(image.Height());
    if (needed > image.pixels.size()) return BmpError::Truncated;
    return BmpError::None;
}

uint8_t Scale(uint32_t value, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const uint64_t field = (value & mask) >> shift;
    const uint64_t max = mask >> shift;
    return static_cast<uint8_t>((field * 255 + max / 2) / max);
}

}  // namespace

std::string DescribeBmpError(BmpError error) {
    const std::string side = std::to_string(BMP_MAX_DIMENSION);
    switch (error) {
        case BmpError::None:
            return {};
        case BmpError::OpenFailed:
            return "not found or unreadable";
        case BmpError::TooLarge:
            return "larger than " + std::to_string(BMP_MAX_FILE_SIZE >> 20) + " MB";
        case BmpError::Truncated:
            return "shorter than its headers say (cut short or damaged)";
        case BmpError::BadDimensions:
            return "a width or height outside " + std::to_string(BMP_MIN_SKIN_SIDE) + " to " +
                   side + " pixels";
        case BmpError::Unsupported:
            return "not a kind of bitmap that can be drawn (a skin must be uncompressed 24-bit, "
                   "bottom-up)";
        case BmpError::TooManyPixels:
            return "more pixels than a picture may have";
    }
    return {};
}

uint32_t BmpImage::RowStride() const {
    const uint64_t bits = uint64_t(header.biWidth > 0 ? header.biWidth : 0) * header.biBitCount;
    return static_cast<uint32_t>((bits + 31) / 32 * 4);
}

BmpError ReadWholeFile(const std::string& path, std::vector<uint8_t>& out,
                       std::string* openFailure) {
    out.clear();
    ReadableFile opened = OpenReadableFile(path);
    if (openFailure != nullptr) *openFailure = opened.reason;
    std::unique_ptr<FILE, int (*)(FILE*)> f(opened.file, &std::fclose);
    if (!f) return BmpError::OpenFailed;
    if (std::fseek(f.get(), 0, SEEK_END) != 0) return BmpError::OpenFailed;
    const long size = std::ftell(f.get());
    if (size < 0) return BmpError::OpenFailed;
    if (uint64_t(size) > BMP_MAX_FILE_SIZE) return BmpError::TooLarge;
    std::rewind(f.get());
    out.resize(size_t(size));
    // A file that shrank meanwhile is read as far as it goes.
    out.resize(std::fread(out.data(), 1, out.size(), f.get()));
    if (std::ferror(f.get())) return BmpError::OpenFailed;
    return BmpError::None;
}

BmpReadResult ParseSkinBmp(std::vector<uint8_t> file) {
    BmpReadResult result;
    result.error = SplitFile(file, result.image);
    if (!result.ok()) return result;
    const auto& h = result.image.header;
    // The region scan reads three bytes per pixel, rows bottom-up.
    if (h.biCompression != BI_RGB || h.biBitCount != 24 || h.biHeight < 0) {
        result.error = BmpError::Unsupported;
        return result;
    }
    // A skin is bounded by the file size: three bytes a pixel.
    result.error = CheckDimensions(result.image, UINT64_MAX);
    return result;
}

BmpReadResult ReadSkinBmp(const std::string& path) {
    std::vector<uint8_t> file;
    BmpReadResult result;
    result.error = ReadWholeFile(path, file, &result.openFailure);
    if (!result.ok()) return result;
    return ParseSkinBmp(std::move(file));
}

BmpReadResult ParsePictureBmp(std::vector<uint8_t> file) {
    BmpReadResult result;
    result.error = SplitFile(file, result.image);
    if (!result.ok()) return result;
    BmpImage& image = result.image;
    const auto& h = image.header;
    const uint16_t bits = h.biBitCount;
    const bool rgb = h.biCompression == BI_RGB;
    const bool fields = h.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32);
    if (!(rgb && (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)) &&
        !fields) {
        result.error = BmpError::Unsupported;
        return result;
    }
    result.error = CheckDimensions(image, BMP_MAX_PICTURE_PIXELS);
    if (!result.ok()) return result;

    if (bits <= 8) {
        // The colour table follows the information header, whatever its size.
        const uint64_t start = uint64_t{BMP_FILE_HEADER_SIZE} + h.biSize;
        uint64_t count = h.biClrUsed ? h.biClrUsed : (1u << bits);
        count = std::min<uint64_t>(count, 1u << bits);
        if (start + count * 4 > file.size()) {
            result.error = BmpError::Truncated;
            return result;
        }
        for (uint64_t i = 0; i < count; ++i) {
            const uint8_t* e = file.data() + start + i * 4;
            image.palette.push_back(uint32_t{e[2]} << 16 | uint32_t{e[1]} << 8 | e[0]);
        }
    } else if (fields) {
        // The masks follow the 40-byte header, or sit at the same place inside a
        // longer one.
        for (int i = 0; i < 3; ++i) image.masks[i] = Le32(image.headerBlock.data() + 40 + 4 * i);
    } else if (bits == 16) {
        image.masks[0] = 0x7C00;
        image.masks[1] = 0x03E0;
        image.masks[2] = 0x001F;
    } else {
        image.masks[0] = 0xFF0000;
        image.masks[1] = 0x00FF00;
        image.masks[2] = 0x0000FF;
    }
    return result;
}

BmpReadResult ReadPictureBmp(const std::string& path) {
    std::vector<uint8_t> file;
    BmpReadResult result;
    result.error = ReadWholeFile(path, file, &result.openFailure);
    if (!result.ok()) return result;
    return ParsePictureBmp(std::move(file));
}

bool DecodeBmpPixels(const BmpImage& image, uint32_t* out, size_t rowPitch) {
    const int width = image.Width();
    const int height = image.Height();
    if (width <= 0 || height <= 0 || rowPitch < size_t(width)) return false;
    const uint32_t stride = image.RowStride();
    if (uint64_t{stride} * uint64_t(height) > image.pixels.size()) return false;
    const uint16_t bits = image.header.biBitCount;
    for (int y = 0; y < height; ++y) {
        const int stored = image.TopDown() ? y : height - 1 - y;
        const uint8_t* row = image.pixels.data() + size_t(stored) * stride;
        uint32_t* dest = out + size_t(y) * rowPitch;
        for (int x = 0; x < width; ++x) {
            uint32_t rgb = 0;
            if (bits <= 8) {
                const int perByte = 8 / bits;
                const uint8_t byte = row[x / perByte];
                const int shift = 8 - bits * (x % perByte + 1);
                const uint32_t index = (byte >> shift) & ((1u << bits) - 1);
                rgb = index < image.palette.size() ? image.palette[index] : 0;
            } else if (bits == 24) {
                const uint8_t* p = row + size_t(x) * 3;
                rgb = uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
            } else {
                const uint32_t v =
                    bits == 16 ? Le16(row + size_t(x) * 2) : Le32(row + size_t(x) * 4);
                rgb = uint32_t{Scale(v, image.masks[0])} << 16 |
                      uint32_t{Scale(v, image.masks[1])} << 8 | Scale(v, image.masks[2]);
            }
            dest[x] = 0xFF000000u | rgb;
        }
    }
    return true;
}

std::vector<uint32_t> DecodeBmpPixels(const BmpImage& image) {
    if (image.Width() <= 0 || image.Height() <= 0) return {};
    std::vector<uint32_t> out(size_t(image.Width()) * size_t(image.Height()));
    if (!DecodeBmpPixels(image, out.data(), size_t(image.Width()))) return {};
    return out;
}
