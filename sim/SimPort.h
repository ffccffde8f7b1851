#pragma once
// The phone's end of the line: the master side of a new pseudo-terminal, or a
// serial device given by path. Raw, non-blocking.

#include <cstdint>
#include <string>

class SimPort {
public:
    SimPort() = default;
    ~SimPort();
    SimPort(const SimPort&) = delete;
    SimPort& operator=(const SimPort&) = delete;

    // A new pseudo-terminal; PcPath() is then its slave side, for the PC.
    bool OpenPseudoTerminal(std::string& error);
    // An existing device (for example a serial port with a real cable).
    bool OpenDevice(const std::string& path, std::string& error);
    void Close();

    int Fd() const { return m_fd; }
    bool IsPseudoTerminal() const { return m_pty; }
    // The path the PC opens.
    const std::string& PcPath() const { return m_pcPath; }

private:
    int m_fd = -1;
    bool m_pty = false;
    std::string m_pcPath;
};
