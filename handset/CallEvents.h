#pragma once
// What the handset session reports about each call as it happens, for the
// call history and the desktop notification.

#include <ctime>
#include <string>

enum class CallEventKind {
    Incoming,
    OutgoingFromHandset,
    OutgoingFromPhone,
    Answered,
    Held,
    Resumed,
    Ended
};
enum class CallEndedBy { User, Phone, LinkLost };
enum class ChargeKind { None, Unknown, Yen };

struct CallEvent {
    CallEventKind kind = CallEventKind::Incoming;
    std::time_t when = 0;  // wall-clock seconds when it happened
    std::string number;    // dial characters 0-9 * # (ASCII); empty when withheld or unknown
    std::string name;      // code page 932, from the phone book; empty when none
    CallEndedBy endedBy = CallEndedBy::Phone;  // Ended only
    ChargeKind charge = ChargeKind::None;      // Ended only
    int chargeYen = 0;                         // Ended with charge == Yen
};

class CallEventSink {
public:
    virtual ~CallEventSink() = default;
    virtual void OnCallEvent(const CallEvent& event) = 0;  // called on the link thread, in order
};
