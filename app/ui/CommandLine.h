#pragma once
// The command line: --help, --version and --list-ports answer on standard
// output and end the program before any window (or display) is needed. A
// "tel:" or "callto:" link, or --dial NUMBER, opens the window (or the one
// running) with the number shown, to be dialled when the user presses send.
// A link refused is told on standard error, and also in a message box when
// no terminal sees standard error (a click in a browser) on a desktop.

#include <cstdio>
#include <string>
#include <vector>

enum class CommandLineAction { RunWindow, Help, Version, ListPorts, Error };

struct CommandLineRequest {
    CommandLineAction action = CommandLineAction::RunWindow;
    std::string error;  // for Error: what was wrong
    bool usage = true;  // for Error: the usage follows the error
    // For RunWindow: the number of a link or of --dial, in dialled form.
    std::string number;
    // For Error: the link or --dial value refused (its message is told in
    // the user's language).
    std::string refusedLink;
};

CommandLineRequest ParseCommandLine(const std::vector<std::string>& arguments);

struct PortDevice {
    std::string port;    // "COM1"
    std::string device;  // its device path, as the profile gives it
};

// One line per port with its device and what opening it would meet, as the
// settings dialog shows them; then the serial devices found in `devDir`
// that no port names. Each device is checked once, however many names
// (by-id links, ports) lead to it.
std::vector<std::string> DescribePorts(const std::vector<PortDevice>& ports,
                                       const std::string& devDir);

// Carries out a request other than RunWindow and answers the exit status.
int RunCommandLine(const CommandLineRequest& request, std::FILE* out, std::FILE* err);
