#pragma once
// Stands in for the handset window and the call log in the session's tests:
// records every snapshot, request and call event, and answers the modal
// questions from a script (an unscripted question is answered "none").

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "handset/CallEvents.h"
#include "handset/HandsetView.h"

class RecordingView final : public HandsetView {
public:
    void ShowSnapshot(const HandsetSnapshot& snapshot) override { snapshots.push_back(snapshot); }
    void BringToFront() override { ++broughtToFront; }
    void EndProgram() override { ++programEnded; }
    std::optional<ChosenEntry> ChooseFromPhoneBook() override;
    std::optional<ConnectionSettings> AskSettings() override;
    void ShowMessage(const std::string& text) override;

    // The texts of display 1 in the snapshots, in order.
    std::vector<std::string> Display1History() const;

    // The answers, in order; nullopt: nothing chosen / the quit button.
    std::deque<std::optional<ChosenEntry>> phoneBookAnswers;
    std::deque<std::optional<ConnectionSettings>> settingsAnswers;
    // Runs while each question or message is up.
    std::function<void()> whileAsked;

    std::vector<HandsetSnapshot> snapshots;
    std::vector<std::string> messages;
    int broughtToFront = 0;
    int programEnded = 0;
    int phoneBookShown = 0;
    int settingsShown = 0;
};

class RecordingCallSink final : public CallEventSink {
public:
    void OnCallEvent(const CallEvent& event) override {
        events.push_back(event);
        if (onEvent) onEvent(event);
    }
    std::vector<CallEvent> events;
    // Runs after each event is recorded, on the thread that told it.
    std::function<void(const CallEvent&)> onEvent;
};
