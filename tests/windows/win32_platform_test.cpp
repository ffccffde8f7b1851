// The Windows forms of the platform services the Windows program starts
// with: the single-instance mutex, the profile in the registry, the user's
// data folder and the list of COM ports.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

// The comm device's records beside <windows.h> and its macros.
#include "app/ProfileKeyTable.h"
#include "platform/CommDevice.h"
#include "platform/InstanceLock.h"
#include "platform/PrivateFiles.h"
#include "platform/UserDataFolder.h"
#include "platform/win32/ComPorts.h"
#include "platform/win32/RegistryProfile.h"
#include "platform/win32/Win32Text.h"
#include "support/ScratchDir.h"

namespace {

using Outcome = InstanceLock::Outcome;

TEST(Win32InstanceLockTest, ASecondStartFindsTheMutexUntilTheFirstLetsGo) {
    const std::string name = "h_TelvoxaTest_" + std::to_string(GetCurrentProcessId());
    InstanceLock first, second;
    ASSERT_EQ(first.Acquire(name), Outcome::Held);
    EXPECT_EQ(second.Acquire(name), Outcome::HeldElsewhere);
    EXPECT_FALSE(second.IsHeld());
    first.Release();
    EXPECT_EQ(second.Acquire(name), Outcome::Held);
    second.KeepUntilExit();
    second.Release();
    InstanceLock third;
    EXPECT_EQ(third.Acquire(name), Outcome::HeldElsewhere);
}

// A profile of the test's own, removed with its sections afterwards.
class RegistryProfileTest : public testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, WidePath(root).c_str()); }

    // The value as the registry holds it: its type and raw bytes.
    DWORD StoredType(const std::string& section, const std::string& key) {
        DWORD type = 0;
        RegGetValueW(HKEY_CURRENT_USER, WidePath(root + "\\" + section).c_str(),
                     WidePath(key).c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, nullptr);
        return type;
    }
    void Store(const std::string& section, const std::string& key, DWORD type, const void* data,
               DWORD size) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, WidePath(root + "\\" + section).c_str(),
                                  WidePath(key).c_str(), type, data, size),
                  ERROR_SUCCESS);
    }

    std::string root = "Software\\Telvoxa Tests\\profile-" + std::to_string(GetCurrentProcessId());
    RegistryProfile profile{root};
};

TEST_F(RegistryProfileTest, KeysAreFiledAsSubkeysWithDwordsAndStrings) {
    ASSERT_TRUE(WriteProfile(profile, ProfileKeys::Port, 3));
    ASSERT_TRUE(WriteProfile(profile, ProfileKeys::MonitorInterval, -1));
    ASSERT_TRUE(WriteProfile(profile, ProfileKeys::PhoneBookFile, "C:\\電話帳\\家族.mdd"));
    ASSERT_TRUE(WriteProfile(profile, ProfileKeys::SkinFile, ""));
    EXPECT_EQ(StoredType("connection", "port"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(StoredType("ini", "mdd"), static_cast<DWORD>(REG_SZ));

    RegistryProfile again(root);
    EXPECT_EQ(ReadProfile(again, ProfileKeys::Port), 3);
    EXPECT_EQ(ReadProfile(again, ProfileKeys::MonitorInterval), -1);
    EXPECT_EQ(ReadProfile(again, ProfileKeys::PhoneBookFile), "C:\\電話帳\\家族.mdd");
    EXPECT_EQ(ReadProfile(again, ProfileKeys::SkinFile), "");
}

TEST_F(RegistryProfileTest, WhatIsMissingOrOfAnotherTypeReadsAsTheDefault) {
    const DWORD number = 7;
    const wchar_t text[] = L"12";
    const wchar_t unterminated[] = {L'a', L'b'};
    Store("connection", "cable", REG_SZ, text, sizeof text);
    Store("ini", "inifile", REG_DWORD, &number, sizeof number);
    Store("ini", "mdd", REG_SZ, unterminated, sizeof unterminated);
    Store("pad", "pos_x", REG_BINARY, "\1\0\0", 3);
    struct Case {
        ProfileIntKey key;
        int read;
    };
    for (const Case& c : {Case{ProfileKeys::Cable, 0}, Case{ProfileKeys::PadX, 0},
                          Case{ProfileKeys::NumDisp, 0}, Case{ProfileKeys::MonitorInterval, 250}})
        EXPECT_EQ(ReadProfile(profile, c.key), c.read) << c.key.section << "/" << c.key.key;
    EXPECT_EQ(ReadProfile(profile, ProfileKeys::SkinFile), "default.ini");
    EXPECT_EQ(ReadProfile(profile, ProfileKeys::PhoneBookFile), "ab");
}

TEST_F(RegistryProfileTest, ATextThatIsNotUtf8IsRefusedWithTheReason) {
    EXPECT_FALSE(profile.WriteString("ini", "mdd", "\xff\xfe"));
    EXPECT_NE(profile.Problem().find("ini\\mdd"), std::string::npos) << profile.Problem();
    EXPECT_EQ(ReadProfile(profile, ProfileKeys::PhoneBookFile), "");
}

// Sets LOCALAPPDATA for one test.
class LocalAppData {
public:
    explicit LocalAppData(const std::string& value) {
        if (const char* old = std::getenv("LOCALAPPDATA")) m_old = old;
        _putenv_s("LOCALAPPDATA", value.c_str());
    }
    ~LocalAppData() { _putenv_s("LOCALAPPDATA", m_old.c_str()); }

private:
    std::string m_old;
};

TEST(Win32DataFolderTest, TheFolderIsTelvoxaInLocalAppDataAndIsMadePrivate) {
    ScratchDir scratch;
    {
        const LocalAppData set(scratch.Path() + "\\Local\\");
        EXPECT_EQ(UserDataFolder(), scratch.Path() + "\\Local\\Telvoxa");
        EXPECT_EQ(MakePrivateFolder(UserDataFolder()), "");
        EXPECT_NE(GetFileAttributesW(WidePath(UserDataFolder()).c_str()), INVALID_FILE_ATTRIBUTES);
        bool created = false;
        EXPECT_EQ(MakePrivateFile(UserDataFile("calls.sqlite"), created), "");
        EXPECT_TRUE(created);
        EXPECT_EQ(MakePrivateFile(UserDataFile("calls.sqlite"), created), "");
        EXPECT_FALSE(created);
        EXPECT_EQ(MakePrivateFile(UserDataFolder(), created), "not a regular file");
        EXPECT_TRUE(FreeBytes(UserDataFile("calls.sqlite")).has_value());
    }
    const LocalAppData relative("Local");
    EXPECT_NE(UserDataFolder(), "Local\\Telvoxa");
    EXPECT_EQ(UserDataFolder().substr(UserDataFolder().size() - 8), "\\Telvoxa");
}

TEST(Win32ComPortsTest, TheListHoldsComOneToNineAndTheListedPortsInNumberOrder) {
    struct Case {
        std::vector<ListedComPort> listed;
        std::vector<std::string> labels;
    };
    const std::vector<std::string> plain = {"COM1", "COM2", "COM3", "COM4", "COM5",
                                            "COM6", "COM7", "COM8", "COM9"};
    auto with = [&](std::vector<std::string> labels, size_t at, const std::string& label) {
        labels[at] = label;
        return labels;
    };
    std::vector<std::string> tail = plain;
    tail.insert(tail.end(), {"COM10 (\\Device\\VCP0)", "COM12", "BTPORT"});
    const Case cases[] = {
        {{}, plain},
        {{{"COM3", "\\Device\\Serial2"}}, with(plain, 2, "COM3 (\\Device\\Serial2)")},
        {{{"com3", ""}}, plain},
        {{{"BTPORT", ""}, {"COM12", ""}, {"COM10", "\\Device\\VCP0"}}, tail},
    };
    for (const Case& c : cases) {
        std::vector<std::string> probed;
        const auto ports = MergeComPorts(c.listed, [&](const std::string& name) {
            probed.push_back(name);
            return name == "COM2" ? std::string("In use by another program") : std::string();
        });
        std::vector<std::string> labels;
        for (const SerialPortEntry& port : ports) labels.push_back(port.label);
        EXPECT_EQ(labels, c.labels);
        EXPECT_EQ(probed.size(), ports.size()) << "each port opened once";
        EXPECT_EQ(ports[1].problem, "In use by another program");
        EXPECT_EQ(ports[0].problem, "");
    }
}

TEST(Win32ComPortsTest, APortThatWillNotOpenSaysWhy) {
    // COM1 of the test prefix points at a path that does not exist (which
    // Wine opens as a device of unknown type, not a port).
    const std::string com1 = ComPortOpenProblem("COM1");
    EXPECT_TRUE(com1.rfind("No such device (", 0) == 0 ||
                com1.rfind("Not a serial device (", 0) == 0)
        << com1;
    EXPECT_EQ(DescribeComPortError(ERROR_ACCESS_DENIED).state, DeviceState::Busy);
    EXPECT_EQ(
        DescribeComPortError(ERROR_ACCESS_DENIED).text.rfind("In use by another program (", 0), 0u);
    EXPECT_EQ(DescribeComPortError(ERROR_GEN_FAILURE).state, DeviceState::Failed);
    static_assert(COMM_PURGE_ALL == PURGE_TXABORT + PURGE_RXABORT + PURGE_TXCLEAR + PURGE_RXCLEAR);
    static_assert(COMM_EVENPARITY == EVENPARITY && COMM_SETRTS == SETRTS && COMM_CLRDTR == CLRDTR);
}

}  // namespace
