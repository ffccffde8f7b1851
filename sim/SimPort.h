#pragma once
// The phone's end of the line: the master side of a new pseudo-terminal, or a
// serial device given by path. Raw, non-blocking.

#include <cstdint>
#include <string>
#include <vector>

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

    // On a pseudo-terminal the phone keeps a descriptor of the PC's side as
    // well: through it, it lifts the exclusive flag (TIOCEXCL) that a PC
    // program killed while holding the port leaves behind, and sees what
    // the PC has not read yet. The master then never reports a hang-up, so
    // the PC's opens and closes are followed through inotify instead.
    bool FollowsPcOpens() const { return m_watchFd >= 0; }
    // Readable when the PC opened or closed its side.
    int WatchFd() const { return m_watchFd; }
    // Takes in the opens and closes seen: true for each time the PC came
    // (from none open to one), false for each time the last one went.
    std::vector<bool> ReadPcChanges();
    // Makes the PC's side openable again, and drops what the PC left unread.
    void ReleasePcSide();
    // Bytes sent that the PC has not read yet; -1 where it cannot be told.
    int UnreadByPc() const;

private:
    int m_fd = -1;
    int m_slaveFd = -1;
    int m_watchFd = -1;
    int m_pcOpens = 0;
    bool m_pty = false;
    std::string m_pcPath;
};
