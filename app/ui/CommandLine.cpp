#include "app/ui/CommandLine.h"

#include "app/ui/AboutDlg.h"
#include "platform/posix/SerialDeviceCheck.h"
#include "platform/posix/SerialDevices.h"

namespace {

const char kUsage[] =
    "usage: telvoxa [--help | --version | --list-ports]\n"
    "  (no option)    open the handset window\n"
    "  --help         print this help\n"
    "  --version      print the version\n"
    "  --list-ports   list the serial devices and what opening each would meet\n";

}  // namespace

CommandLineRequest ParseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return {};
    if (arguments.size() == 1) {
        const std::string& option = arguments.front();
        if (option == "--help" || option == "-h") return {CommandLineAction::Help, {}};
        if (option == "--version") return {CommandLineAction::Version, {}};
        if (option == "--list-ports") return {CommandLineAction::ListPorts, {}};
        return {CommandLineAction::Error, "unknown option " + option};
    }
    return {CommandLineAction::Error, "one option at most"};
}

std::vector<std::string> DescribeSerialDevices(const std::string& devDir) {
    std::vector<std::string> lines;
    for (const SerialDeviceEntry& entry : ListSerialDevices(devDir)) {
        lines.push_back(entry.label + ": " + CheckSerialDevice(entry.path).text);
    }
    return lines;
}

int RunCommandLine(const CommandLineRequest& request, std::FILE* out, std::FILE* err) {
    switch (request.action) {
        case CommandLineAction::Help:
            std::fputs(kUsage, out);
            return 0;
        case CommandLineAction::Version:
            std::fprintf(out, "%s\n", VersionText().toUtf8().constData());
            return 0;
        case CommandLineAction::ListPorts: {
            const std::vector<std::string> lines = DescribeSerialDevices(SerialDeviceFolder());
            if (lines.empty()) std::fputs("No serial devices found\n", out);
            for (const std::string& line : lines) std::fprintf(out, "%s\n", line.c_str());
            return 0;
        }
        case CommandLineAction::Error:
            std::fprintf(err, "telvoxa: %s\n%s", request.error.c_str(), kUsage);
            return 2;
        case CommandLineAction::RunWindow:
            break;
    }
    return 0;
}
