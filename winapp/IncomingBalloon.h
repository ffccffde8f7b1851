#pragma once
// The balloon of the notification icon when a call comes in: the phone
// book's name and the number as far as they came, "Not Notified" only when
// neither did.

#include <functional>
#include <string>

#include "handset/CallEvents.h"

// The balloon's text; `nameCp932` is code page 932, `number` dial characters.
std::wstring IncomingBalloonText(const std::string& nameCp932, const std::string& number);

// Hears the session's call events on the link thread and hands the balloon
// of each incoming call to `show`, which the window runs on its own thread.
class IncomingBalloon final : public CallEventSink {
public:
    using Show = std::function<void(std::wstring text)>;
    explicit IncomingBalloon(Show show) : m_show(std::move(show)) {}
    void OnCallEvent(const CallEvent& event) override;

private:
    Show m_show;
};
