#pragma once
// The handset session's state as a test sets it up or reads it back, where
// no operation of the session leads there quickly (a call already on line,
// a number half typed). On the session's own thread only.

#include <string>

#include "handset/HandsetSession.h"

struct HandsetSessionAccess {
    explicit HandsetSessionAccess(HandsetSession& session)
        : callState(session.m_nCallState),
          display1(session.m_strDisplay1),
          display2(session.m_strDisplay2),
          display3(session.m_strDisplay3),
          antenna(session.m_strAntenna),
          appendDigits(session.m_bAppendDigits),
          picture(session.m_nPicture),
          monitorInterval(session.m_nMonitorInterval) {}

    int& callState;
    std::string& display1;
    std::string& display2;
    std::string& display3;
    std::string& antenna;
    // Dial keys append to the number line when set, replace it when clear.
    bool& appendDigits;
    int& picture;
    int& monitorInterval;
};

inline HandsetSessionAccess TestState(HandsetSession& session) {
    return HandsetSessionAccess(session);
}
