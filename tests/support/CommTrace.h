#pragma once
// What went to the fake phone, read back from the link's communication log in
// order: "clear" for each emptying of the link's receive buffer, "write XX ..."
// for each write. The port itself must not be purged meanwhile.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/FakeCommDevice.h"
#include "support/PhoneBytes.h"

class CommTrace {
public:
    // Follows `device` and the log at `logPath` from here on: the device's
    // purges so far do not count.
    void Follow(FakeCommDevice& device, std::string logPath);
    // The log is read again from its first line (it was removed).
    void Rewind() { m_linesSeen = 0; }
    // What happened since the last call; the device's record is forgotten.
    std::vector<std::string> Next();

private:
    FakeCommDevice* m_device = nullptr;
    std::string m_logPath;
    size_t m_linesSeen = 0;
    int m_purges = 0;
};

inline void CommTrace::Follow(FakeCommDevice& device, std::string logPath) {
    m_device = &device;
    m_logPath = std::move(logPath);
    m_purges = device.CallCount(FakeOp::PurgeComm);
}

inline std::vector<std::string> CommTrace::Next() {
    std::vector<std::string> out;
    std::ifstream log(m_logPath);
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    size_t write = 0;
    for (size_t i = m_linesSeen; i < lines.size(); ++i) {
        const std::string text = lines[i].substr(lines[i].find('\t') + 1);
        if (text.rfind("ClearBuf()", 0) == 0) {
            out.push_back("clear");
        } else if (text.rfind("CommWrite()", 0) == 0) {
            out.push_back(write < m_device->writes.size() ? Write(m_device->writes[write]) : "?");
            ++write;
        }
    }
    EXPECT_EQ(write, m_device->writes.size());
    EXPECT_EQ(m_device->CallCount(FakeOp::PurgeComm), m_purges);
    m_linesSeen = lines.size();
    m_device->ClearRecord();
    return out;
}
