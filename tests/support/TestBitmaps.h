#pragma once
// Small BMP files made on the spot for skin and picture tests.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TestRgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

// A 24-bit, uncompressed, bottom-up BMP; `pixel(x, y)` gives the colour with
// y = 0 the top row.
std::vector<uint8_t> MakeBmp24(int width, int height,
                               const std::function<TestRgb(int x, int y)>& pixel);

// A 24-bit BMP drawn from text rows, top row first: '#' is `opaque`, any
// other character `transparent`.
std::vector<uint8_t> MakeBmpFromRows(const std::vector<std::string>& rows,
                                     TestRgb opaque = {255, 255, 255},
                                     TestRgb transparent = {0, 0, 0});

// An 8-bit palette BMP; `index(x, y)` picks one of `palette`. Negative
// `height` stores it top-down.
std::vector<uint8_t> MakeBmp8(int width, int height, const std::vector<TestRgb>& palette,
                              const std::function<uint8_t(int x, int y)>& index);

// Little-endian field access for tampering with headers.
void PutLe32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);
void PutLe16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value);

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool WriteText(const std::string& path, const std::string& text);
