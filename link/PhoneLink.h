#pragma once
// The phone link: owns the COM port (through a CommDevice) and speaks the
// phone's byte protocol. Operations answer 1 for success and 0 for failure;
// a failed or timed-out read yields the byte 0.

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "link/PortProfile.h"
#include "platform/CommDevice.h"

// Port names by port index 0..8.
extern const char* const PortNameTable[9];

inline constexpr int RX_BUFFER_SIZE = 100;
inline constexpr int IDLE_BUFFER_SIZE = 40;
// What a poll answers when it gave way to an input before any byte of the
// phone's answer came: nothing was read, nothing is to be changed.
inline constexpr int POLL_GAVE_WAY = -1;
// The charge that the phone did not tell: a charge field cut short or longer
// than a charge can be counts as none, as a missing one does at a hang-up.
inline constexpr int NO_CHARGE = -2;
// The most bytes a number or charge field is read for, its end included. A
// phone's fields are far shorter (38 characters fit the caller's buffer);
// the bound, the size of the port's receive queue, only limits what a
// garbled or endless field costs.
inline constexpr int MAX_FIELD_BYTES = 4096;

class CPhoneLink {
public:
    // The link owns its device. If TELVOXA_COMMLOG names a file, the
    // communication log is opened there (appending) at construction.
    explicit CPhoneLink(std::unique_ptr<CommDevice> device);
    ~CPhoneLink();
    CPhoneLink(const CPhoneLink&) = delete;
    CPhoneLink& operator=(const CPhoneLink&) = delete;

    CommDevice& Device() { return *m_device; }
    const CommDevice& Device() const { return *m_device; }
    // Why the last CommOpen failed, as "<device>: <reason>" where it can be
    // told (the device's own words, or an unanswered cable handshake).
    const std::string& OpenFailure() const { return m_openFailure; }

    // --- serial port layer ---
    int CommOpen(int mode);
    int CommClose(int mode);
    int CommOpen1(int mode);
    int CommOpen2(int mode);
    int CommClose1(int mode);
    int CommClose2(int mode);
    uint8_t CommReadByte(int logValue, int request);
    int WaitData(uint8_t byte, int logValue, int tries, int request);
    uint8_t WaitDataV(int logValue, int tries, int request,
                      std::initializer_list<uint8_t> candidates);
    uint32_t CommWrite(const uint8_t* bytes, uint32_t length);
    void ClearBuf(int purge);
    // Received bytes not yet read: those the link holds and those queued at
    // the port (ClearCommError's count). Writes nothing to the log, since the
    // monitoring asks after every poll.
    uint32_t WaitingBytes();

    // --- communication log ---
    bool LogOpen(const std::string& path);  // appends; our own addition
    bool IsLogOpen() const { return m_logOpen != 0; }
    void LogLine(std::string_view text);
    void LogFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int LogClose();
    // While on, a read's "Success" line that names no byte is counted instead
    // of written: the polls of a catch-up would write thousands of lines
    // alike. TakeCountedReads answers the count since the last call.
    void CountPlainReads(bool on) { m_countPlainReads = on; }
    int TakeCountedReads() { return std::exchange(m_countedReads, 0); }

    // --- phone command protocol ---
    // The polls below wait for the first byte of the phone's answer in a way
    // that gives way to a nudge of the device's wait breaker (POLL_GAVE_WAY).
    void Dial(std::string_view number);
    void SendDigit(std::string_view key);
    int Answer();
    int HoldCall();
    int EndHeldCall();
    int ResumeCall();
    int HangUp(int* charge = nullptr, uint8_t* block2 = nullptr);
    // `buffer` holds IDLE_BUFFER_SIZE bytes.
    int PollIdle(char* buffer);
    int PollOffHook();
    int PollSending();
    int PollRinging();
    int PollOnLine(int* charge = nullptr, uint8_t* block3 = nullptr, uint8_t* block2 = nullptr);
    int PollHolding();
    void SendKey(std::string_view text);

    // Settings the handset window stores before it opens the port.
    int m_port = 0;
    int m_cable = 0;
    int m_numdisp = 0;
    // The two scripted set-ups (mode 0 and mode 1); empty unless filled in.
    PortProfile m_profile[2];

private:
    // CommReadByte that tells a received byte (true) from a failed or
    // timed-out read (false), so that fields ended by 0xAA stop on silence.
    bool FetchByte(int logValue, int request, uint8_t& byte);
    // The first byte of a poll's answer; false when the wait for it gave way.
    bool FirstPollByte(uint8_t& byte);
    // Reads a number or charge field up to its end byte 0xAA, handing every
    // byte before it to `take`; stops at a read that times out and after
    // MAX_FIELD_BYTES bytes. True when the end byte came.
    template <class Take>
    bool ReadField(Take take);
    // The charge digits after the 0xE2 marker, up to 0xAA; NO_CHARGE when
    // the field does not end within the digits an int holds.
    int ReadChargeDigits();
    // The "DCB ..." line with the 28 values of the record.
    void LogDcb(const Dcb& dcb);
    // Records that the cable handshake went unanswered.
    void NoteNoAnswer();
    // ClearCommError and its two log lines, as both opens end.
    void LogCommStatus();
    // The name for m_port, or nullptr (logged) when it names no port.
    const char* PortName();
    // The scripted steps of CommOpen2 and CommClose2.
    int RunOpenScript(const PortProfile& profile);
    void RunCloseScript(const PortProfile& profile);
    // The steps both scripts know: purge, read, write, pause, and raising or
    // dropping DTR and RTS; false for any other code.
    bool RunSharedStep(uint8_t code, const uint8_t* data, int& cursor, bool closing);
    void RunReadStep(const uint8_t* data, int& cursor, bool closing);
    void RunWriteStep(const uint8_t* data, int& cursor);

    std::unique_ptr<CommDevice> m_device;
    uint8_t m_rxBuf[RX_BUFFER_SIZE] = {};
    uint32_t m_rxCount = 0;
    uint32_t m_rxPos = 0;
    bool m_yieldingRead = false;
    std::string m_openFailure;
    FILE* m_log = nullptr;
    int m_logOpen = 0;
    bool m_countPlainReads = false;
    int m_countedReads = 0;
};
