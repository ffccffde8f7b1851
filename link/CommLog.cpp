// The communication log: one time-stamped line per serial event, written
// only while the log is open. A closed log costs one flag test per call.

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

#include "link/PhoneLink.h"
#include "platform/PrivateFileWrite.h"

bool CPhoneLink::LogOpen(const std::string& path) {
    if (m_logOpen) return true;
    // Binary, so that the "\r\n" line ends reach the file as written. The
    // trace holds what the phone said (numbers, names): the user's alone,
    // and never written through whatever another user put at its path.
    std::string reason;
    m_log = OpenPrivateAppend(path, reason);
    if (m_log == nullptr) {
        std::fprintf(stderr, "telvoxa: no communication log %s: %s\n", path.c_str(),
                     reason.c_str());
        return false;
    }
    m_logOpen = 1;
    return true;
}

void CPhoneLink::LogLine(std::string_view text) {
    if (!m_logOpen) return;
    char stamp[16] = "";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) != nullptr)
        std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
    std::fprintf(m_log, "%s\t", stamp);
    std::fwrite(text.data(), 1, text.size(), m_log);
    std::fputs("\r\n", m_log);
    // A trace is most useful when the program dies mid-call.
    std::fflush(m_log);
}

void CPhoneLink::LogFormat(const char* format, ...) {
    if (!m_logOpen) return;
    char small[256];
    va_list args;
    va_start(args, format);
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (needed < 0) return;
    if (static_cast<size_t>(needed) < sizeof small) {
        LogLine(std::string_view(small, static_cast<size_t>(needed)));
        return;
    }
    std::string text(static_cast<size_t>(needed) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    text.resize(static_cast<size_t>(needed));
    LogLine(text);
}

int CPhoneLink::LogClose() {
    if (m_logOpen) {
        LogLine("Log End\r\n");
        std::fclose(m_log);
        m_log = nullptr;
    }
    m_logOpen = 0;
    return 1;
}
