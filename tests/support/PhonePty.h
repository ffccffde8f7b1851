#pragma once
// A pseudo-terminal standing in for the phone's end of the cable: the program
// opens the slave path as its serial port; the test writes the phone's bytes
// to the master and reads what the program sent.

#include <cstdint>
#include <string>
#include <vector>

class PhonePty {
public:
    PhonePty();
    ~PhonePty();
    PhonePty(const PhonePty&) = delete;
    PhonePty& operator=(const PhonePty&) = delete;

    bool IsOpen() const { return m_master >= 0; }
    const std::string& SlavePath() const { return m_slavePath; }

    // The phone sends these bytes.
    bool Send(const std::vector<uint8_t>& bytes);
    // What the program wrote, waiting up to `timeoutMs` for the first byte and
    // then taking whatever follows without a pause.
    std::vector<uint8_t> Received(int timeoutMs = 200);

private:
    int m_master = -1;
    int m_slaveKeeper = -1;  // keeps the line up while the program's side is closed
    std::string m_slavePath;
};
