#include "support/TestBitmaps.h"

#include <cstdio>
#include <cstdlib>

void PutLe32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void PutLe16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

namespace {

std::vector<uint8_t> Headers(int width, int height, uint16_t bits, uint32_t paletteEntries,
                             uint32_t imageSize) {
    const uint32_t offset = 14 + 40 + paletteEntries * 4;
    std::vector<uint8_t> bytes(offset, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLe32(bytes, 2, offset + imageSize);
    PutLe32(bytes, 10, offset);
    PutLe32(bytes, 14, 40);
    PutLe32(bytes, 18, static_cast<uint32_t>(width));
    PutLe32(bytes, 22, static_cast<uint32_t>(height));
    PutLe16(bytes, 26, 1);
    PutLe16(bytes, 28, bits);
    PutLe32(bytes, 34, imageSize);
    PutLe32(bytes, 46, paletteEntries);
    return bytes;
}

}  // namespace

std::vector<uint8_t> MakeBmp24(int width, int height,
                               const std::function<TestRgb(int x, int y)>& pixel) {
    const uint32_t stride = (uint32_t(width) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bytes = Headers(width, height, 24, 0, stride * uint32_t(height));
    for (int stored = 0; stored < height; ++stored) {
        const int y = height - 1 - stored;
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const TestRgb c = pixel(x, y);
            row[size_t(x) * 3] = c.blue;
            row[size_t(x) * 3 + 1] = c.green;
            row[size_t(x) * 3 + 2] = c.red;
        }
        bytes.insert(bytes.end(), row.begin(), row.end());
    }
    return bytes;
}

std::vector<uint8_t> MakeBmpFromRows(const std::vector<std::string>& rows, TestRgb opaque,
                                     TestRgb transparent) {
    const int height = int(rows.size());
    const int width = height ? int(rows[0].size()) : 0;
    return MakeBmp24(width, height, [&](int x, int y) {
        return x < int(rows[size_t(y)].size()) && rows[size_t(y)][size_t(x)] == '#' ? opaque
                                                                                    : transparent;
    });
}

std::vector<uint8_t> MakeBmp8(int width, int height, const std::vector<TestRgb>& palette,
                              const std::function<uint8_t(int x, int y)>& index) {
    const int rows = std::abs(height);
    const uint32_t stride = (uint32_t(width) + 3) / 4 * 4;
    std::vector<uint8_t> bytes =
        Headers(width, height, 8, uint32_t(palette.size()), stride * uint32_t(rows));
    for (size_t i = 0; i < palette.size(); ++i) {
        bytes[54 + i * 4] = palette[i].blue;
        bytes[54 + i * 4 + 1] = palette[i].green;
        bytes[54 + i * 4 + 2] = palette[i].red;
    }
    for (int stored = 0; stored < rows; ++stored) {
        const int y = height < 0 ? stored : rows - 1 - stored;
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) row[size_t(x)] = index(x, y);
        bytes.insert(bytes.end(), row.begin(), row.end());
    }
    return bytes;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool WriteText(const std::string& path, const std::string& text) {
    return WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}
