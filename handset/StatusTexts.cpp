#include "handset/StatusTexts.h"

#include <cstdio>
#include <ctime>

namespace {

std::string Format(const char* format, int value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

}  // namespace

std::string SignalText(uint8_t status) {
    if (status >= 0xC0 && status <= 0xCF) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%.*s", (status - 189) / 4, "********");
        return buffer;
    }
    if (status == 0x81) return "No Service";
    if (status == 0x00) return "No Connection";
    return {};
}

std::string PhoneEndedChargeText(int charge) {
    if (charge >= 0) return Format("Charge \\%d", charge);
    if (charge == -1) return "Cahrge \\???";
    return "No Charge Info";
}

std::string UserEndedChargeText(int charge) {
    if (charge >= 0) return Format("Charge \\%d", charge);
    if (charge == -1) return "Charge \\???";
    return "No Charge Info";
}

std::string ClockText(const std::tm& local) {
    static const char* const weekdays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const char* day = local.tm_wday >= 0 && local.tm_wday < 7 ? weekdays[local.tm_wday] : "???";
    // strftime's %a follows the locale; the weekday is put in by hand.
    const std::string pattern = "%m/%d(%a) %H:%M";
    const size_t at = pattern.find("%a");
    const std::string format = pattern.substr(0, at) + day + pattern.substr(at + 2);
    char buffer[64];
    const size_t length = std::strftime(buffer, sizeof buffer, format.c_str(), &local);
    return std::string(buffer, length);
}
