#include "sim/SimCommand.h"

#include <cctype>
#include <charconv>

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    while (true) {
        s = Trim(s);
        if (s.empty()) return words;
        size_t end = 0;
        while (end < s.size() && !std::isspace(static_cast<unsigned char>(s[end]))) ++end;
        words.push_back(s.substr(0, end));
        s.remove_prefix(end);
    }
}

bool ParseNumber(std::string_view word, int64_t low, int64_t high, int64_t& value) {
    int64_t v = 0;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
    if (ec != std::errc() || end != word.data() + word.size() || v < low || v > high) return false;
    value = v;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "a5", "0xA5" or a run of pairs such as "a5e09aaa".
bool ParseHexWord(std::string_view word, std::vector<uint8_t>& bytes) {
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        word.remove_prefix(2);
    }
    if (word.empty() || word.size() % 2 != 0) return false;
    for (size_t i = 0; i < word.size(); i += 2) {
        int high = HexDigit(word[i]);
        int low = HexDigit(word[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return true;
}

struct Word {
    std::string_view name;
    SimCommandKind kind;
};

constexpr Word kWords[] = {
    {"ring", SimCommandKind::Ring},         {"ring-hidden", SimCommandKind::RingHidden},
    {"offhook", SimCommandKind::OffHook},   {"dialing", SimCommandKind::Dialing},
    {"answer", SimCommandKind::Answer},     {"hold", SimCommandKind::Hold},
    {"resume", SimCommandKind::Resume},     {"hangup", SimCommandKind::HangUp},
    {"nocharge", SimCommandKind::NoCharge}, {"charge", SimCommandKind::Charge},
    {"signal", SimCommandKind::Signal},     {"noservice", SimCommandKind::NoService},
    {"silent", SimCommandKind::Silent},     {"send", SimCommandKind::Send},
    {"sleep", SimCommandKind::Sleep},       {"expect", SimCommandKind::Expect},
    {"stay", SimCommandKind::Stay},         {"state", SimCommandKind::State},
    {"unplug", SimCommandKind::Unplug},     {"replug", SimCommandKind::Replug},
    {"help", SimCommandKind::Help},         {"quit", SimCommandKind::Quit},
};

SimCommandParse Fail(std::string_view name, std::string_view why) {
    SimCommandParse result;
    result.error = std::string(name) + ": " + std::string(why);
    return result;
}

}  // namespace

const char* const kSimCommandHelp[] = {
    "ring [NUMBER]     an incoming call, with the caller's number (0-9 * #): ring 09012345678",
    "ring-hidden       an incoming call without a number",
    "offhook           the handset goes off hook",
    "dialing           the handset places a call",
    "answer            the far end answers the outgoing call, or the handset answers",
    "hold              hold the ringing or connected call",
    "resume            take the held call back",
    "hangup [CHARGE]   the phone ends the call (and reports the charge when on line):",
    "                  hangup 120",
    "nocharge          the phone ends the call on line without reporting a charge",
    "charge N          the charge reported when the PC ends a call: charge 30",
    "signal 0..4       the signal level of the status byte (sends it at once): signal 2",
    "noservice         the status byte says out of service (sends it at once)",
    "silent            no more status bytes and no reports of its own",
    "send HEX...       raw bytes: send a5 e3",
    "sleep MS          wait before the next command: sleep 500",
    "expect TEXT       wait (up to 30 s) for a line containing TEXT, printed after",
    "                  the line the previous expect found: expect <- ANSWER",
    "stay              keep running after the end of the input",
    "state             print the call state",
    "unplug            pull the cable: close the port and remove its --link",
    "replug            plug it back: a new port behind the same --link",
    "quit              end the program",
    nullptr,
};

SimCommandParse ParseSimCommand(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() == '#') return {};
    std::vector<std::string_view> words = Words(line);
    const std::string_view name = words.front();
    const Word* word = nullptr;
    for (const Word& w : kWords) {
        if (w.name == name) word = &w;
    }
    if (word == nullptr) return Fail(name, "unknown command (try help)");

    SimCommand command;
    command.kind = word->kind;
    const size_t args = words.size() - 1;
    switch (command.kind) {
        case SimCommandKind::Ring:
            if (args > 1) return Fail(name, "takes at most one number");
            if (args == 1) {
                command.text = std::string(words[1]);
                if (command.text.size() > kMaxRingDigits) return Fail(name, "number too long");
                for (char c : command.text) {
                    if (!std::isdigit(static_cast<unsigned char>(c)) && c != '*' && c != '#') {
                        return Fail(name, "the number may hold only 0-9, * and #");
                    }
                }
            }
            break;
        case SimCommandKind::HangUp:
            if (args > 1) return Fail(name, "takes at most one charge");
            if (args == 1 && !ParseNumber(words[1], 0, kMaxCharge, command.value)) {
                return Fail(name, "the charge is a number 0..999999999");
            }
            break;
        case SimCommandKind::Charge:
            if (args != 1 || !ParseNumber(words[1], 0, kMaxCharge, command.value)) {
                return Fail(name, "needs a charge 0..999999999");
            }
            break;
        case SimCommandKind::Signal:
            if (args != 1 || !ParseNumber(words[1], 0, 4, command.value)) {
                return Fail(name, "needs a level 0..4");
            }
            break;
        case SimCommandKind::Sleep:
            if (args != 1 || !ParseNumber(words[1], 0, kMaxSleepMs, command.value)) {
                return Fail(name, "needs milliseconds 0..3600000");
            }
            break;
        case SimCommandKind::Send:
            if (args == 0) return Fail(name, "needs bytes in hexadecimal");
            for (size_t i = 1; i < words.size(); ++i) {
                if (!ParseHexWord(words[i], command.bytes)) {
                    return Fail(name, "not hexadecimal bytes: " + std::string(words[i]));
                }
                if (command.bytes.size() > kMaxSendBytes) return Fail(name, "too many bytes");
            }
            break;
        case SimCommandKind::Expect:
            command.text = std::string(Trim(line.substr(name.size())));
            if (command.text.empty()) return Fail(name, "needs a text to wait for");
            break;
        default:
            if (args != 0) return Fail(name, "takes no argument");
            break;
    }
    SimCommandParse result;
    result.command = command;
    return result;
}
