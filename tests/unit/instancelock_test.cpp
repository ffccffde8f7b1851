#include "platform/InstanceLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("lock-test-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        saved_ = old ? old : "";
        hadOld_ = old != nullptr;
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        if (hadOld_)
            setenv("XDG_RUNTIME_DIR", saved_.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        std::filesystem::remove_all(dir_);
    }
    std::filesystem::path dir_;
    std::string saved_;
    bool hadOld_ = false;
};

TEST_F(InstanceLockTest, LivesInTheRuntimeFolderElseInTmpPerUser) {
    EXPECT_EQ(InstanceLock::LockPath("h_X"), dir_.string() + "/h_X.lock");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(InstanceLock::LockPath("h_X"), "/tmp/h_X-" + std::to_string(getuid()) + ".lock");
}

TEST_F(InstanceLockTest, ASecondHolderIsRefusedUntilTheFirstLetsGo) {
    InstanceLock first;
    InstanceLock second;
    ASSERT_TRUE(first.Acquire("h_Test"));
    EXPECT_FALSE(second.Acquire("h_Test"));
    EXPECT_FALSE(second.IsHeld());
    first.Release();
    EXPECT_TRUE(second.Acquire("h_Test"));
}

TEST_F(InstanceLockTest, AnotherProcessIsRefusedAndTheLockDiesWithItsHolder) {
    InstanceLock mine;
    ASSERT_TRUE(mine.Acquire("h_Test"));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock theirs;
        _exit(theirs.Acquire("h_Test") ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);

    mine.Release();
    // A holder that ends without releasing frees the lock all the same.
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        auto* leaked = new InstanceLock;
        _exit(leaked->Acquire("h_Test") ? 0 : 1);
    }
    waitpid(holder, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(mine.Acquire("h_Test"));
}

}  // namespace
