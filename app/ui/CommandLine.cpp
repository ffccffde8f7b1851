#include "app/ui/CommandLine.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <climits>
#include <cstdlib>
#include <map>
#include <set>

#include "app/DisplayCheck.h"
#include "app/ui/ApplicationStart.h"
#include "app/ui/HandsetApp.h"
#include "common/ui/AboutDlg.h"
#include "common/ui/AddedTexts.h"
#include "common/ui/DeviceCheckTexts.h"
#include "common/ui/DialLinkTexts.h"
#include "common/ui/Profile.h"
#include "common/ui/ProfilePorts.h"
#include "common/ui/UiSeams.h"
#include "phonebook/DialLink.h"
#include "platform/DeviceCheck.h"
#include "platform/Terminal.h"
#include "platform/posix/SerialDevices.h"

namespace {

const char kUsage[] =
    "usage: telvoxa [--help | --version | --list-ports | --dial NUMBER | tel:NUMBER]\n"
    "  (no option)    open the handset window\n"
    "  tel:NUMBER, callto:NUMBER, --dial NUMBER\n"
    "                 show NUMBER in the handset window (the running one if any);\n"
    "                 it is dialled when you press send\n"
    "  --help         print this help\n"
    "  --version      print the version\n"
    "  --list-ports   list the ports, their devices and what opening each would meet\n";

constexpr int kListedPorts = 8;

// The device a path leads to, so that a link and its target are one device.
std::string DeviceBehind(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// Checks each device once.
class CheckOnce {
public:
    const DeviceCheck& operator()(const std::string& path) {
        const std::string device = DeviceBehind(path);
        auto found = m_checked.find(device);
        if (found == m_checked.end()) {
            found = m_checked.emplace(device, CheckSerialDevice(path)).first;
        }
        return found->second;
    }

private:
    std::map<std::string, DeviceCheck> m_checked;
};

// Without a window, what would go in a message box (a profile that cannot
// be read) goes to standard error.
class MessagesToStderr final : public MessageBoxes {
public:
    void Show(QWidget*, const QString& text, MessageIcon) override {
        QString line = text;
        line.replace('\n', QStringLiteral(": "));
        std::fprintf(stderr, "telvoxa: %s\n", line.toLocal8Bit().constData());
    }
};

// An application object without any window, for the user's language and,
// where asked, the profile.
class WindowlessApplication {
public:
    explicit WindowlessApplication(bool readProfile = false) : m_application(m_argc, m_argv) {
        LoadAddedTextTranslation(m_application, QLocale());
        UiSeams::SetMessages(&m_messages);
        if (readProfile) Profile::SetRegistryKey(QString::fromLatin1(PROFILE_ROOT));
    }
    ~WindowlessApplication() { UiSeams::SetMessages(nullptr); }
    WindowlessApplication(const WindowlessApplication&) = delete;
    WindowlessApplication& operator=(const WindowlessApplication&) = delete;

private:
    int m_argc = 1;
    char m_name[8] = "telvoxa";
    char* m_argv[2] = {m_name, nullptr};
    QCoreApplication m_application;
    MessagesToStderr m_messages;
};

// The profile's ports, read as the program reads them.
std::vector<PortDevice> ProfilePorts() {
    std::vector<PortDevice> ports;
    for (int i = 1; i <= kListedPorts; ++i) {
        const std::string port = "COM" + std::to_string(i);
        ports.push_back({port, ProfilePortPath(port)});
    }
    return ports;
}

std::string Said(const DeviceCheck& check) {
    return DeviceCheckText(check).toStdString();
}

// The request of a link or of --dial: the window with its number, or why not.
CommandLineRequest DialRequest(const std::string& text) {
    const DialLink link = ParseDialLink(text);
    CommandLineRequest request;
    if (link.problem == DialLinkProblem::None) {
        request.number = link.digits;
        return request;
    }
    request.action = CommandLineAction::Error;
    request.usage = false;
    request.error = DialLinkProblemText(link, text);
    request.refusedLink = text;
    return request;
}

// Says why `link` was refused, in the user's language: on `err`, and in a
// message box as well when no terminal may see it (a link clicked in a
// browser) and there is a desktop to show the box on.
int TellRefusedLink(const std::string& link, std::FILE* err) {
    const DialLink parsed = ParseDialLink(link);
    if (IsTerminal(err) || !CanReachDisplay(CurrentDisplayEnvironment())) {
        const WindowlessApplication application;
        std::fprintf(err, "telvoxa: %s\n", DialLinkProblemText(parsed, link).c_str());
        return 2;
    }
    int argc = 1;
    char name[] = "telvoxa";
    char* argv[] = {name, nullptr};
    const std::unique_ptr<QApplication> application = StartApplication(argc, argv);
    const std::string said = DialLinkProblemText(parsed, link);
    std::fprintf(err, "telvoxa: %s\n", said.c_str());
    std::fflush(err);
    UiSeams::Messages().Show(nullptr, QString::fromStdString(said), MessageIcon::Stop);
    return 2;
}

}  // namespace

CommandLineRequest ParseCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return {};
    if (arguments.size() == 1 && IsDialLink(arguments.front())) return DialRequest(arguments[0]);
    if (arguments.size() == 2 && arguments.front() == "--dial") return DialRequest(arguments[1]);
    if (arguments.size() == 1) {
        const std::string& option = arguments.front();
        if (option == "--help" || option == "-h")
            return {CommandLineAction::Help, {}, true, {}, {}};
        if (option == "--version") return {CommandLineAction::Version, {}, true, {}, {}};
        if (option == "--list-ports") return {CommandLineAction::ListPorts, {}, true, {}, {}};
        return {CommandLineAction::Error, "unknown option " + option, true, {}, {}};
    }
    return {CommandLineAction::Error, "one option at most", true, {}, {}};
}

std::vector<std::string> DescribePorts(const std::vector<PortDevice>& ports,
                                       const std::string& devDir) {
    CheckOnce check;
    std::vector<std::string> lines;
    std::set<std::string> named;
    for (const PortDevice& port : ports) {
        lines.push_back(port.port + "  " + port.device + ": " + Said(check(port.device)));
        named.insert(DeviceBehind(port.device));
    }
    std::vector<std::string> others;
    for (const SerialDeviceEntry& entry : ListSerialDevices(devDir)) {
        if (named.count(DeviceBehind(entry.path)) != 0) continue;
        others.push_back(entry.label + ": " + Said(check(entry.path)));
    }
    lines.push_back((others.empty()
                         ? AddedText(QT_TRANSLATE_NOOP("Telvoxa", "No other serial devices found"))
                         : AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Other devices found:")))
                        .toStdString());
    lines.insert(lines.end(), others.begin(), others.end());
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
            const WindowlessApplication application(true);
            const std::vector<std::string> lines =
                DescribePorts(ProfilePorts(), SerialDeviceFolder());
            for (const std::string& line : lines) std::fprintf(out, "%s\n", line.c_str());
            return 0;
        }
        case CommandLineAction::Error: {
            if (!request.refusedLink.empty()) return TellRefusedLink(request.refusedLink, err);
            std::fprintf(err, "telvoxa: %s\n%s", request.error.c_str(),
                         request.usage ? kUsage : "");
            return 2;
        }
        case CommandLineAction::RunWindow:
            break;
    }
    return 0;
}
