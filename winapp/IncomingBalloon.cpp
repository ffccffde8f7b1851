#include "winapp/IncomingBalloon.h"

#include "winapp/WinText.h"

std::wstring IncomingBalloonText(const std::string& nameCp932, const std::string& number) {
    std::wstring text = WideFromCp932(nameCp932);
    if (!number.empty()) {
        if (!text.empty()) text += L"\n";
        text += WideFromUtf8(number);
    }
    return text.empty() ? L"Not Notified" : text;
}

void IncomingBalloon::OnCallEvent(const CallEvent& event) {
    if (event.kind == CallEventKind::Incoming && m_show)
        m_show(IncomingBalloonText(event.name, event.number));
}
