#include "sim/CellNames.h"

#include <array>

#include "link/PhoneKeys.h"
#include "platform/Cp932.h"

namespace {

constexpr int kCells = 16;  // rows and columns 1..15; index 0 stays empty
using CellTable = std::array<std::array<std::string, kCells>, kCells>;

void Claim(CellTable& table, const CharPos& pos, std::string_view cp932) {
    if (pos.row < 1 || pos.row >= kCells || pos.column < 1 || pos.column >= kCells) return;
    std::string& cell = table[pos.row][pos.column];
    if (cell.empty()) cell = Cp932ToUtf8(cp932);
}

CellTable BuildNarrow() {
    CellTable table;
    for (int c = 0; c <= 0xFF; ++c) {
        CharPos pos;
        if (ConvertNarrowChar(static_cast<uint8_t>(c), pos)) {
            const char byte = static_cast<char>(c);
            Claim(table, pos, std::string_view(&byte, 1));
        }
    }
    return table;
}

CellTable BuildWide() {
    CellTable table;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            CharPos pos;
            if (ConvertWideChar(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail), pos)) {
                const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                Claim(table, pos, std::string_view(bytes, 2));
            }
        }
    }
    return table;
}

}  // namespace

std::string_view KeyNameOf(uint8_t keyGroup, uint8_t keyNumber) {
    for (const PhoneKey& key : PhoneKeyTable) {
        if (key.KeyGroup == keyGroup && key.KeyNumber == keyNumber) return key.name;
    }
    return {};
}

std::string CellCharacter(CharPos pos, bool wide) {
    static const CellTable narrow = BuildNarrow();
    static const CellTable wideTable = BuildWide();
    if (pos.row >= kCells || pos.column >= kCells) return {};
    return (wide ? wideTable : narrow)[pos.row][pos.column];
}
