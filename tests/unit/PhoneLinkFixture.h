#pragma once
// A phone link on the in-memory port, with its communication log in a
// temporary file that the tests read back line by line.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "link/PhoneLink.h"
#include "support/FakeCommDevice.h"
#include "support/ScratchDir.h"

using Bytes = FakeCommDevice::Bytes;

class PhoneLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("TELVOXA_COMMLOG");
        logPath = m_dir.PathOf("comm.log");
        auto device = std::make_unique<FakeCommDevice>();
        fake = device.get();
        link = std::make_unique<CPhoneLink>(std::move(device));
    }
    void TearDown() override { link.reset(); }

    void StartLog() { ASSERT_TRUE(link->LogOpen(logPath.string())); }

    // Opens the line as cable type 0 and forgets what the opening did, so
    // that a test sees only its own traffic.
    void OpenLine() {
        link->m_cable = 0;
        ASSERT_EQ(link->CommOpen(0), 1);
        fake->ClearRecord();
    }

    // How many bytes that have arrived nobody has read yet (buffered in the
    // link or waiting at the port); reads them all.
    int BytesLeft() {
        for (int count = 0; count < 1000; ++count) {
            const uint64_t before = fake->Now();
            link->CommReadByte(0, 1);
            // Only a read that found nothing lets time pass.
            if (fake->Now() != before) return count;
        }
        return -1;
    }

    std::string RawLog() const {
        std::ifstream in(logPath, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }

    // The texts handed to the log, without their time stamps and line ends.
    // A text that itself ended in "\r\n" keeps that ending.
    std::vector<std::string> LogTexts() const {
        const std::string raw = RawLog();
        std::vector<size_t> starts;
        for (size_t pos = 0; pos + 9 <= raw.size();) {
            if (IsStamp(raw, pos)) starts.push_back(pos);
            const size_t next = raw.find("\r\n", pos);
            if (next == std::string::npos) break;
            pos = next + 2;
        }
        std::vector<std::string> texts;
        for (size_t i = 0; i < starts.size(); ++i) {
            const size_t end = i + 1 < starts.size() ? starts[i + 1] : raw.size();
            std::string text = raw.substr(starts[i] + 9, end - starts[i] - 9);
            EXPECT_GE(text.size(), 2u);
            EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << "line not ended: " << text;
            text.resize(text.size() - 2);
            texts.push_back(text);
        }
        if (!raw.empty()) {
            EXPECT_FALSE(starts.empty() || starts[0] != 0) << raw;
        }
        return texts;
    }

    // "HH:MM:SS" and a tab.
    static bool IsStamp(const std::string& s, size_t p) {
        auto digit = [&](size_t i) { return s[p + i] >= '0' && s[p + i] <= '9'; };
        return digit(0) && digit(1) && s[p + 2] == ':' && digit(3) && digit(4) && s[p + 5] == ':' &&
               digit(6) && digit(7) && s[p + 8] == '\t';
    }

    std::filesystem::path logPath;
    FakeCommDevice* fake = nullptr;
    std::unique_ptr<CPhoneLink> link;

private:
    ScratchDir m_dir;
};
