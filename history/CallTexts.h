#pragma once
// The history's columns as the dialog shows them and the CSV file holds
// them (UTF-8).

#include <array>
#include <ctime>
#include <optional>
#include <string>

#include "history/CallRecord.h"

inline constexpr int CALL_COLUMNS = 6;
enum CallColumn { COL_TIME, COL_KIND, COL_NUMBER, COL_NAME, COL_DURATION, COL_CHARGE };

// 日時, 種別, 電話番号, 名前, 通話時間, 料金
extern const std::array<const char*, CALL_COLUMNS> kCallColumnTitles;

// "2024/03/01 09:05" in local time.
std::string CallTimeText(std::time_t when);
// 着信, 不在着信, 保留終了, 発信; 通話中 while the call goes on.
std::string CallKindText(const CallRecord& record);
// "m:ss", or "h:mm:ss" from an hour on.
std::string DurationText(int seconds);
// "¥80", or empty when the phone reported no charge.
std::string ChargeText(std::optional<int> yen);

// The number, or 非通知 for an incoming call that came without one.
std::string CallNumberText(const CallRecord& record);

// One column's text (the list asks for one cell at a time).
std::string CallColumnText(const CallRecord& record, int column);
std::array<std::string, CALL_COLUMNS> CallColumnTexts(const CallRecord& record);
