#pragma once
// What the handset session hands to its window, and what it asks of it. The
// session calls these on its own thread; the window carries them out on its.

#include <map>
#include <optional>
#include <string>

#include "handset/StatusTexts.h"

// Everything the window shows of the session after one of its steps.
struct HandsetSnapshot {
    int callState = CALL_IDLE;
    // The four text areas, code page 932.
    std::string display1;
    std::string display2;
    std::string display3;
    std::string antenna;
    // 0: no picture, 1: the idle picture, 2: the incoming-call picture.
    int picture = 0;
    // The whole window is to be painted again.
    bool repaint = false;
};

// The device path of each port name ("COM1".."COM9"); a name not in it
// takes the device's default path.
using PortPaths = std::map<std::string, std::string>;

// The port and monitoring settings the settings dialog hands back, with the
// device paths the window resolved from the profile.
struct ConnectionSettings {
    int port = 0;
    int cable = 0;
    int numdisp = 0;
    int interval = 0;
    PortPaths portPaths;
};

// A name and a number chosen from a list (the phone book), code page 932.
struct ChosenEntry {
    std::string name;
    std::string number;
};

class HandsetView {
public:
    virtual ~HandsetView() = default;

    // Returns at once.
    virtual void ShowSnapshot(const HandsetSnapshot& snapshot) = 0;
    // Shown in its normal state and kept in front for the rest of the run.
    virtual void BringToFront() = 0;
    // The program ends as its quit command ends it.
    virtual void EndProgram() = 0;

    // Modal: these return when the user has answered.
    // The phone book; the chosen entry, or nothing when none was chosen.
    virtual std::optional<ChosenEntry> ChooseFromPhoneBook() = 0;
    // The settings dialog once; nothing when the user chose to end the program.
    virtual std::optional<ConnectionSettings> AskSettings() = 0;
    // A message box with an OK button; `text` is UTF-8.
    virtual void ShowMessage(const std::string& text) = 0;
};
