#include "history/CallHistoryNotice.h"

#include <mutex>

#include "common/UserLanguage.h"

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
            return InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa",
                                                    "The call history was damaged: it was moved "
                                                    "to %1 and a new one begun."),
                                  {opening.aside});
        case CallStoreTrouble::Locked:
            text = InUserLanguage(
                QT_TRANSLATE_NOOP("Telvoxa", "The call history %1 is in use by another program."),
                {path});
            break;
        case CallStoreTrouble::DiskFull:
            text = InUserLanguage(
                QT_TRANSLATE_NOOP("Telvoxa",
                                  "The call history %1 cannot be used: the disk is full."),
                {path});
            break;
        case CallStoreTrouble::ReadOnly:
            text = InUserLanguage(
                QT_TRANSLATE_NOOP("Telvoxa", "The call history %1 is read-only (%2)."),
                {path, opening.reason});
            break;
        case CallStoreTrouble::Newer:
            text = InUserLanguage(
                QT_TRANSLATE_NOOP("Telvoxa",
                                  "The call history %1 was made by a newer version of Telvoxa."),
                {path});
            break;
        case CallStoreTrouble::Unusable:
            text = InUserLanguage(
                QT_TRANSLATE_NOOP("Telvoxa", "The call history %1 cannot be used (%2)."),
                {path, opening.reason});
            break;
    }
    if (!recording) {
        return InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa", "%1 The file is left as it is."),
                              {text});
    }
    // These may pass: the recorder tries again at the next call.
    const bool passing = opening.trouble == CallStoreTrouble::Locked ||
                         opening.trouble == CallStoreTrouble::DiskFull ||
                         opening.trouble == CallStoreTrouble::ReadOnly;
    if (passing) {
        return InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa",
                                                "%1 The file is left as it is; calls are "
                                                "recorded as soon as they can be written."),
                              {text});
    }
    return InUserLanguage(
        QT_TRANSLATE_NOOP("Telvoxa", "%1 The file is left as it is; calls are not recorded."),
        {text});
}

std::string JoinedLines(const std::string& first, const std::string& second) {
    if (first.empty()) return second;
    if (second.empty()) return first;
    return InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa", "%1 %2"), {first, second});
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
    if (ShortTime(last) != when) {
        when = InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa", "%1 to %2"), {when, ShortTime(last)});
    }
    std::string text;
    if (waiting > 0) {
        text = InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa",
                                                "Calls not yet written to the call history: %1 "
                                                "(%2, %3). They are written as soon as it can be."),
                              {std::to_string(waiting), when, why});
    }
    if (lost > 0) {
        text = JoinedLines(
            text, InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa",
                                                   "Calls that could not be recorded in the call "
                                                   "history: %1 (%2)."),
                                 {std::to_string(lost), when}));
    }
    return text;
}

std::string CallWriteFailedWhy(const std::string& reason, bool diskFull) {
    return diskFull ? InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa", "the disk is full")) : reason;
}

std::string CallHistoryUnusableWhy() {
    return InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa", "the call history cannot be used"));
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
