#pragma once
// Hands each call event to several sinks, in the order they were added (the
// recorder first, so that whoever comes after finds the call written).

#include <vector>

#include "handset/CallEvents.h"

class CallEventFanOut final : public CallEventSink {
public:
    void Add(CallEventSink* sink) {
        if (sink) m_sinks.push_back(sink);
    }
    void OnCallEvent(const CallEvent& event) override {
        for (CallEventSink* sink : m_sinks) sink->OnCallEvent(event);
    }

private:
    std::vector<CallEventSink*> m_sinks;  // not owned
};
