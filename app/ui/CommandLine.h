#pragma once
// The command line: --help, --version and --list-ports answer on standard
// output and end the program before any window (or display) is needed.

#include <cstdio>
#include <string>
#include <vector>

enum class CommandLineAction { RunWindow, Help, Version, ListPorts, Error };

struct CommandLineRequest {
    CommandLineAction action = CommandLineAction::RunWindow;
    std::string error;  // for Error: what was wrong
};

CommandLineRequest ParseCommandLine(const std::vector<std::string>& arguments);

// One line per serial device found in `devDir`: its label and what opening
// it would meet, as the settings dialog shows them.
std::vector<std::string> DescribeSerialDevices(const std::string& devDir);

// Carries out a request other than RunWindow and answers the exit status.
int RunCommandLine(const CommandLineRequest& request, std::FILE* out, std::FILE* err);
