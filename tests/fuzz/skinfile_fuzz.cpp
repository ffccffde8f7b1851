// Feeds arbitrary bytes to the skin settings reader as a file's contents and
// compares its answers with a plain reading of the same bytes held in memory.

#include <stdio.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "app/SkinFile.h"
#include "platform/Atoi.h"

namespace {

// The file's lines: split at LF, a CR right before an LF dropped, a last
// line without LF kept.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        text = lf == std::string_view::npos ? std::string_view{} : text.substr(lf + 1);
    }
    return lines;
}

std::string_view KeyPart(std::string_view line) {
    return line.substr(0, line.find_first_of("= "));
}

std::optional<std::string_view> Value(const std::vector<std::string_view>& lines,
                                      std::string_view key) {
    for (std::string_view line : lines) {
        if (!line.empty() && line[0] == '#') continue;
        if (KeyPart(line) == key) {
            std::string_view value = line.substr(KeyPart(line).size());
            const size_t start = value.find_first_not_of("= ");
            return start == std::string_view::npos ? std::string_view{} : value.substr(start);
        }
    }
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;  // a memory stream cannot be empty
    std::string contents(reinterpret_cast<const char*>(data), size);
    FILE* stream = fmemopen(contents.data(), contents.size(), "rb");
    if (stream == nullptr) return 0;
    SkinFile skin;
    skin.Attach(stream);

    const std::vector<std::string_view> lines = Lines(std::string_view(contents));
    std::vector<std::string> keys = {"KEY", "N", "R", "BTN1", "", "[SKIN]", "#KEY", "KEY\t"};
    if (!lines.empty()) {
        keys.emplace_back(KeyPart(lines.front()));
        keys.emplace_back(KeyPart(lines[size % lines.size()]));
    }

    for (const std::string& key : keys) {
        const std::optional<std::string_view> value = Value(lines, key);
        const std::string expected(value.value_or(""));
        Check(skin.GetSkinString(key) == expected);
        Check(skin.GetSkinInt(key) == AtoiText(std::string_view(expected).substr(
                                          0, expected.find_first_not_of("-0123456789"))));
        const SkinRect rect = skin.GetSkinRect(key);
        Check(rect.left >= 0 && rect.top >= 0 && rect.right >= 0 && rect.bottom >= 0);
        if (!value) Check(rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0);
    }
    return 0;
}
