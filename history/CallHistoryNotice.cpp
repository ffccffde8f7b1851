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
        case CallStoreTrouble::Newer:
            text = "通話履歴 " + path + " は新しい版のTelvoxaで作られています。";
            break;
        case CallStoreTrouble::Unusable:
            text = "通話履歴 " + path + " を使えません（" + opening.reason + "）。";
            break;
    }
    return text + (recording ? "ファイルはそのままで、通話は記録されません。"
                             : "ファイルはそのままです。");
}

std::string CallWriteFailedText(const std::string& reason, bool diskFull) {
    if (diskFull) return "ディスクに空きがないため、通話を通話履歴に書き込めませんでした。";
    return "通話を通話履歴に書き込めませんでした（" + reason + "）。";
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
