// The telvoxa program as a process: SIGTERM, SIGINT and SIGHUP end it as its quit
// command does, with status 0, the port and the log closed, its lock file
// removed and the profile written, also when two come at once and when a
// message box and the settings dialog stand in the way.

#include <signal.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProgram.h"
#include "support/ScratchDir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Waits until `ready` holds for the file's text.
template <class Ready>
bool WaitForFile(const fs::path& path, Ready ready, std::chrono::milliseconds within = 20s) {
    const auto end = std::chrono::steady_clock::now() + within;
    while (std::chrono::steady_clock::now() < end) {
        if (ready(ReadAll(path))) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

class AppProgram : public testing::Test {
protected:
    void SetUp() override {
        dir = scratch.Path();
        ASSERT_FALSE(dir.empty());
        fs::create_directories(dir / "config" / "Orvel Applications");
        fs::create_directories(dir / "runtime");
        fs::permissions(dir / "runtime", fs::perms::owner_all);
        profile = dir / "config" / "Orvel Applications" / "telvoxa.conf";
        commLog = dir / "comm.log";
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
        setenv("TELVOXA_COMMLOG", commLog.c_str(), 1);
        fs::create_directories(dir / "locks");
        setenv("TELVOXA_LOCK_DIR", (dir / "locks").c_str(), 1);
    }
    void TearDown() override { unsetenv("TELVOXA_LOCK_DIR"); }

    // The port lock files in the lock folder.
    int LockFiles() const {
        int n = 0;
        for (const auto& entry : fs::directory_iterator(dir / "locks"))
            n += entry.path().filename().string().rfind("LCK..", 0) == 0;
        return n;
    }

    void WriteProfile(const fs::path& port) {
        std::ofstream(profile) << "[connection]\nport=0\ncable=0\n\n[ports]\nCOM1=" << port.string()
                               << "\n";
    }

    ScratchDir scratch;
    fs::path dir;
    fs::path profile;
    fs::path commLog;
};

TEST_F(AppProgram, ASignalAtIdleEndsItAsTheQuitCommandDoes) {
    // SIGHUP: the terminal that started it has closed. Two at once: a logout
    // while the program was stopped, both delivered when it goes on.
    const std::vector<int> cases[] = {
        {SIGTERM}, {SIGINT}, {SIGHUP}, {SIGSTOP, SIGHUP, SIGTERM, SIGCONT}};
    for (const std::vector<int>& signals : cases) {
        SCOPED_TRACE(testing::PrintToString(signals));
        fs::remove(commLog);
        const fs::path link = dir / "phone-link";
        ChildProgram phone(TELVOXA_PHONE_PATH, {"--link", link.string(), "--stay"});
        ASSERT_EQ(phone.ReadLine().rfind("telvoxa-phone: ", 0), 0u);
        WriteProfile(link);

        ChildProgram app(TELVOXA_APP_PATH, {}, ChildProgram::Stderr::IntoStdout);
        ASSERT_TRUE(app.Running());
        // Idle: the port is open and the monitoring timer reads the phone.
        ASSERT_TRUE(WaitForFile(commLog, [](const std::string& log) {
            return Count(log, "CommOpen1() Success") == 1 && Count(log, "CommReadByte()") >= 2;
        })) << ReadAll(commLog);
        EXPECT_EQ(LockFiles(), 1);
        for (int signal : signals) app.Signal(signal);

        EXPECT_EQ(app.Wait(), 0);
        EXPECT_EQ(LockFiles(), 0);
        EXPECT_TRUE(phone.ReadUntil("-- the PC closed the port"));
        const std::string log = ReadAll(commLog);
        EXPECT_EQ(Count(log, "CommClose1() Success"), 1u) << log;
        // The log closed last: nothing but line ends after its closing line.
        const size_t logEnd = log.rfind("\tLog End");
        ASSERT_NE(logEnd, std::string::npos) << log;
        EXPECT_GT(logEnd, log.rfind("CommClose1() Success"));
        EXPECT_EQ(log.find_first_not_of("\r\n", logEnd + 8), std::string::npos) << log;
        const std::string stored = ReadAll(profile);
        EXPECT_NE(stored.find("inifile=default.ini\n"), std::string::npos) << stored;
        EXPECT_NE(stored.find("mdd=\n"), std::string::npos) << stored;
    }
}

TEST_F(AppProgram, ASignalEndsItWhileTheStartUpAsksForAnotherPort) {
    // No phone: "COM Port Open Error !!", then the settings dialog, both modal.
    WriteProfile(dir / "no-phone-here");
    ChildProgram app(TELVOXA_APP_PATH, {}, ChildProgram::Stderr::IntoStdout);
    ASSERT_TRUE(WaitForFile(commLog, [](const std::string& log) {
        return Count(log, "CommOpen1() Failure") >= 1;
    })) << ReadAll(commLog);
    std::this_thread::sleep_for(300ms);
    app.Signal(SIGTERM);
    EXPECT_EQ(app.Wait(), 0);
    EXPECT_NE(ReadAll(profile).find("inifile=default.ini\n"), std::string::npos);
}

}  // namespace
