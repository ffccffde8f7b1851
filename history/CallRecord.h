#pragma once
// One call of the history, as the store keeps it.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

enum class CallDirection { Incoming, Outgoing };

// How a call went. An outgoing call is Dialled whatever became of it; an
// incoming one is Missed when it rang and ended without being answered or
// held, HeldEnded when it ended while on hold, Answered otherwise.
enum class CallOutcome { Answered, Missed, HeldEnded, Dialled };

struct CallRecord {
    std::int64_t id = 0;
    std::time_t started = 0;
    // The time of the last event seen for the call: its end once it is over.
    std::time_t lastEvent = 0;
    CallDirection direction = CallDirection::Incoming;
    std::string number;  // dial characters; empty when withheld or unknown
    std::string name;    // UTF-8; empty when none
    CallOutcome outcome = CallOutcome::Missed;
    int secondsOnLine = 0;
    std::optional<int> chargeYen;  // none when the phone reported none or an unknown charge
    bool inProgress = false;
    bool seen = true;  // false for a missed call not yet shown in the history
};

// The words the store writes for the enumerations (kept readable for sqlite3).
const char* DirectionWord(CallDirection direction);
const char* OutcomeWord(CallOutcome outcome);
std::optional<CallDirection> DirectionFromWord(std::string_view word);
std::optional<CallOutcome> OutcomeFromWord(std::string_view word);
