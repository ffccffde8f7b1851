#pragma once
// The simulated phone's commands, one per line, from the keyboard or a script.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class SimCommandKind {
    Ring,        // ring [NUMBER]
    RingHidden,  // ring-hidden
    OffHook,     // offhook
    Dialing,     // dialing
    Answer,      // answer
    Hold,        // hold
    Resume,      // resume
    HangUp,      // hangup [CHARGE]
    NoCharge,    // nocharge
    Charge,      // charge N: what a call ended by the PC costs
    Signal,      // signal 0..4
    NoService,   // noservice
    Silent,      // silent
    Send,        // send HEX...
    Sleep,       // sleep MS
    Expect,      // expect TEXT: wait for a line that contains TEXT
    Stay,        // stay: keep running after the end of the input
    State,       // state: print the call state
    Unplug,      // unplug: the cable is pulled (the port and its link go away)
    Replug,      // replug: the cable is back (a new port behind the same link)
    Help,        // help
    Quit,        // quit
};

struct SimCommand {
    SimCommandKind kind = SimCommandKind::Help;
    std::string text;            // Ring: the number; Expect: the text
    int64_t value = -1;          // HangUp: the charge (-1: the default); Charge,
                                 // Signal: the value; Sleep: milliseconds
    std::vector<uint8_t> bytes;  // Send
};

struct SimCommandParse {
    std::optional<SimCommand> command;  // nothing for a blank line or a comment
    std::string error;                  // why the line is no command
};

inline constexpr size_t kMaxRingDigits = 64;
inline constexpr size_t kMaxSendBytes = 256;
inline constexpr int64_t kMaxCharge = 999999999;
inline constexpr int64_t kMaxSleepMs = 3600000;

// Reads one line: a command word and its arguments, separated by blanks.
// Blank lines and lines starting with '#' are no command and no error.
SimCommandParse ParseSimCommand(std::string_view line);

// One line per command, for "help".
extern const char* const kSimCommandHelp[];
