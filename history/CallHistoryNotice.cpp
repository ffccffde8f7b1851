#include "history/CallHistoryNotice.h"

#include <mutex>

namespace {

std::mutex g_mutex;
std::string g_text;
bool g_shown = false;

}  // namespace

std::string CallStoreTroubleText(const CallStoreOpening& opening, const std::string& path,
                                 bool recording) {
    std::string text;
    switch (opening.trouble) {
        case CallStoreTrouble::None:
            return {};
        case CallStoreTrouble::MovedAside:
            return "通話履歴が壊れていたため " + opening.aside +
                   " に移し、新しい履歴を始めました。";
        case CallStoreTrouble::Locked:
            text = "通話履歴 " + path + " は別のプログラムが使用中です。";
            break;
        case CallStoreTrouble::DiskFull:
            text = "ディスクに空きがないため、通話履歴 " + path + " を使えません。";
            break;
        case CallStoreTrouble::ReadOnly:
            text = "通話履歴 " + path + " は読み取り専用です（" + opening.reason + "）。";
            break;
        case CallStoreTrouble::Newer:
            text = "通話履歴 " + path + " は新しい版のTelvoxaで作られています。";
            break;
        case CallStoreTrouble::Unusable:
            text = "通話履歴 " + path + " を使えません（" + opening.reason + "）。";
            break;
    }
    if (!recording) return text + "ファイルはそのままです。";
    // These may pass: the recorder tries again at the next call.
    const bool passing = opening.trouble == CallStoreTrouble::Locked ||
                         opening.trouble == CallStoreTrouble::DiskFull ||
                         opening.trouble == CallStoreTrouble::ReadOnly;
    return text + (passing ? "ファイルはそのままで、通話は書き込めるようになりしだい記録します。"
                           : "ファイルはそのままで、通話は記録されません。");
}

namespace {

std::string ShortTime(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%m/%d %H:%M", &local);
    return text;
}

}  // namespace

std::string UnsavedCallsText(int waiting, int lost, std::time_t first, std::time_t last,
                             const std::string& why) {
    if (waiting <= 0 && lost <= 0) return {};
    std::string when = ShortTime(first);
    if (ShortTime(last) != when) when += "〜" + ShortTime(last);
    std::string text;
    if (waiting > 0)
        text = "通話 " + std::to_string(waiting) + " 件を通話履歴に書き込めていません（" + when +
               "、" + why + "）。書き込めるようになりしだい書き込みます。";
    if (lost > 0)
        text += "通話 " + std::to_string(lost) + " 件は通話履歴に記録できませんでした（" + when +
                "）。";
    return text;
}

std::string CallWriteFailedWhy(const std::string& reason, bool diskFull) {
    return diskFull ? "ディスクに空きがないため" : reason;
}

namespace CallHistoryNotice {

void Set(const std::string& text) {
    const std::lock_guard lock(g_mutex);
    if (text != g_text) g_shown = false;
    g_text = text;
}

std::string Text() {
    const std::lock_guard lock(g_mutex);
    return g_text;
}

bool TakeFirstShowing() {
    const std::lock_guard lock(g_mutex);
    if (g_text.empty() || g_shown) return false;
    g_shown = true;
    return true;
}

}  // namespace CallHistoryNotice
