#include "history/CallTexts.h"

#include <algorithm>
#include <cstdio>

const std::array<const char*, CALL_COLUMNS> kCallColumnTitles = {"日時", "種別",     "電話番号",
                                                                 "名前", "通話時間", "料金"};

std::string CallTimeText(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M", &local);
    return text;
}

std::string CallKindText(const CallRecord& record) {
    if (record.inProgress) return "通話中";
    switch (record.outcome) {
        case CallOutcome::Answered:
            return "着信";
        case CallOutcome::Missed:
            return "不在着信";
        case CallOutcome::HeldEnded:
            return "保留終了";
        case CallOutcome::Dialled:
            return "発信";
    }
    return {};
}

std::string DurationText(int seconds) {
    seconds = std::max(seconds, 0);
    char text[32] = {};
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    else
        std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    return text;
}

std::string ChargeText(std::optional<int> yen) {
    return yen ? "¥" + std::to_string(*yen) : std::string();
}

std::string CallNumberText(const CallRecord& record) {
    if (record.number.empty() && record.direction == CallDirection::Incoming) return "非通知";
    return record.number;
}

std::string CallColumnText(const CallRecord& record, int column) {
    switch (column) {
        case COL_TIME:
            return CallTimeText(record.started);
        case COL_KIND:
            return CallKindText(record);
        case COL_NUMBER:
            return CallNumberText(record);
        case COL_NAME:
            return record.name;
        case COL_DURATION:
            return DurationText(record.secondsOnLine);
        case COL_CHARGE:
            return ChargeText(record.chargeYen);
        default:
            return {};
    }
}

std::array<std::string, CALL_COLUMNS> CallColumnTexts(const CallRecord& record) {
    return {CallTimeText(record.started),
            CallKindText(record),
            CallNumberText(record),
            record.name,
            DurationText(record.secondsOnLine),
            ChargeText(record.chargeYen)};
}
