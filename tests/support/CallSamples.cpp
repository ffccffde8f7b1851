#include "CallSamples.h"

#include <stdlib.h>

#include <stdexcept>

void UseJapanTime() {
    setenv("TZ", "JST-9", 1);
    tzset();
}

CallRecord MakeCall(std::time_t started, CallOutcome outcome, std::string number, std::string name,
                    int secondsOnLine, std::optional<int> chargeYen) {
    CallRecord record;
    record.started = started;
    record.lastEvent = started + secondsOnLine + 5;
    record.direction =
        outcome == CallOutcome::Dialled ? CallDirection::Outgoing : CallDirection::Incoming;
    record.number = std::move(number);
    record.name = std::move(name);
    record.outcome = outcome;
    record.secondsOnLine = secondsOnLine;
    record.chargeYen = chargeYen;
    record.seen = outcome != CallOutcome::Missed;
    return record;
}

void FillCalls(CallStore& store, int count, std::time_t first) {
    for (int i = 0; i < count; ++i) {
        const bool missed = i % 10 == 9;
        const CallRecord call =
            missed
                ? MakeCall(first + 60 * i, CallOutcome::Missed, "09011112222")
                : MakeCall(first + 60 * i, CallOutcome::Answered, "0312345678", "山田太郎", 30, 10);
        if (!store.Insert(call)) throw std::runtime_error("cannot insert a sample call");
    }
}
