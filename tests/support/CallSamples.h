#pragma once
// Call history records for tests and benchmarks.

#include <ctime>
#include <optional>
#include <string>

#include "history/CallRecord.h"
#include "history/CallStore.h"

// 2024-03-01 00:00 in the zone that UseJapanTime() sets.
inline constexpr std::time_t kMarch2024 = 1709218800;

// Local time is Japan's (UTC+9, no summer time), so month boundaries are fixed.
void UseJapanTime();

// A completed call.
CallRecord MakeCall(std::time_t started, CallOutcome outcome, std::string number = "0312345678",
                    std::string name = "", int secondsOnLine = 0,
                    std::optional<int> chargeYen = std::nullopt);

// `count` calls one minute apart from `first`: every tenth is missed (unseen,
// no charge), the others answered with 30 s on line and a charge of 10 yen.
void FillCalls(CallStore& store, int count, std::time_t first);
