#include "history/CallRecord.h"

#include <string_view>

const char* DirectionWord(CallDirection direction) {
    return direction == CallDirection::Incoming ? "incoming" : "outgoing";
}

const char* OutcomeWord(CallOutcome outcome) {
    switch (outcome) {
        case CallOutcome::Answered:
            return "answered";
        case CallOutcome::Missed:
            return "missed";
        case CallOutcome::HeldEnded:
            return "held";
        case CallOutcome::Dialled:
            return "dialled";
    }
    return "missed";
}

std::optional<CallDirection> DirectionFromWord(std::string_view word) {
    for (const auto d : {CallDirection::Incoming, CallDirection::Outgoing}) {
        if (word == DirectionWord(d)) return d;
    }
    return std::nullopt;
}

std::optional<CallOutcome> OutcomeFromWord(std::string_view word) {
    for (const auto o : {CallOutcome::Answered, CallOutcome::Missed, CallOutcome::HeldEnded,
                         CallOutcome::Dialled}) {
        if (word == OutcomeWord(o)) return o;
    }
    return std::nullopt;
}
