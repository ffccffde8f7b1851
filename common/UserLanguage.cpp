#include "common/UserLanguage.h"

#include <atomic>
#include <vector>

namespace {

std::atomic<UserTranslation> g_translation{nullptr};

}  // namespace

void SetUserTranslation(UserTranslation translation) {
    g_translation.store(translation);
}

std::string InUserLanguage(const char* english, std::initializer_list<std::string> args) {
    const UserTranslation translation = g_translation.load();
    const std::string text = translation != nullptr ? translation(english) : std::string(english);
    const std::vector<std::string> values(args);
    std::string filled;
    filled.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        const size_t index = static_cast<size_t>(next - '1');
        if (text[i] == '%' && next >= '1' && next <= '9' && index < values.size()) {
            filled += values[index];
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}
