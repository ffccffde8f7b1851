#include "platform/InstanceLock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

namespace {

namespace fs = std::filesystem;
using Outcome = InstanceLock::Outcome;

// Keeps an environment variable as it was before the test.
class SavedEnv {
public:
    explicit SavedEnv(const char* name) : m_name(name) {
        if (const char* value = std::getenv(name)) m_value = value;
    }
    ~SavedEnv() {
        if (m_value)
            setenv(m_name, m_value->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_value;
};

// A runtime folder and a temporary folder of the test's own.
class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("lock-test-" + std::to_string(getpid()));
        Fresh();
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Fresh() {
        fs::remove_all(dir_);
        fs::create_directories(Runtime());
        fs::permissions(Runtime(), fs::perms::owner_all, fs::perm_options::replace);
        fs::create_directories(Temp());
        setenv("XDG_RUNTIME_DIR", Runtime().c_str(), 1);
        setenv("TMPDIR", Temp().c_str(), 1);
    }
    fs::path Runtime() const { return dir_ / "runtime"; }
    fs::path Temp() const { return dir_ / "tmp"; }
    fs::path Private() const { return Temp() / ("telvoxa-" + std::to_string(geteuid())); }
    static void GiveAway(const fs::path& path) {
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0) << path;
    }
    // A folder that belongs to someone else: made and given away when the
    // test runs as root, else the root folder.
    fs::path Foreign() const {
        if (geteuid() != 0) return "/";
        const fs::path foreign = dir_ / "foreign";
        fs::create_directories(foreign);
        GiveAway(foreign);
        return foreign;
    }

    fs::path dir_;
    SavedEnv runtimeEnv_{"XDG_RUNTIME_DIR"};
    SavedEnv tempEnv_{"TMPDIR"};
};

TEST_F(InstanceLockTest, TakesTheRuntimeFolderElseAPrivateFolderNeverAnotherUsersOrALink) {
    enum Where { InRuntime, InPrivate, Nowhere };
    struct Case {
        const char* name;
        std::function<void()> arrange;
        Where where;
        bool needsRoot = false;  // only root can give a file away
    };
    const Case cases[] = {
        {"runtime folder", [] {}, InRuntime},
        {"no runtime folder set", [] { unsetenv("XDG_RUNTIME_DIR"); }, InPrivate},
        {"runtime folder missing", [&] { setenv("XDG_RUNTIME_DIR", (dir_ / "gone").c_str(), 1); },
         InPrivate},
        {"runtime folder through a link",
         [&] {
             fs::create_directory_symlink(Runtime(), dir_ / "link");
             setenv("XDG_RUNTIME_DIR", (dir_ / "link").c_str(), 1);
         },
         InPrivate},
        {"runtime folder of another user", [&] { setenv("XDG_RUNTIME_DIR", Foreign().c_str(), 1); },
         InPrivate},
        {"lock file is a link",
         [&] { fs::create_symlink(dir_ / "target", Runtime() / "h_Test.lock"); }, InPrivate},
        {"lock file is no file", [&] { mkfifo((Runtime() / "h_Test.lock").c_str(), 0600); },
         InPrivate},
        {"private folder open to others is closed",
         [&] {
             unsetenv("XDG_RUNTIME_DIR");
             fs::create_directory(Private());
             fs::permissions(Private(), fs::perms::all, fs::perm_options::replace);
         },
         InPrivate},
        {"private folder is a link",
         [&] {
             unsetenv("XDG_RUNTIME_DIR");
             fs::create_directory_symlink(Runtime(), Private());
         },
         Nowhere},
        {"private folder of another user",
         [&] {
             unsetenv("XDG_RUNTIME_DIR");
             fs::create_directory(Private());
             GiveAway(Private());
         },
         Nowhere, true},
        {"lock file of another user",
         [&] {
             std::ofstream(Runtime() / "h_Test.lock") << "";
             GiveAway(Runtime() / "h_Test.lock");
         },
         InPrivate, true},
        {"no temporary folder",
         [&] {
             unsetenv("XDG_RUNTIME_DIR");
             std::ofstream(dir_ / "file") << "x";
             setenv("TMPDIR", (dir_ / "file").c_str(), 1);
         },
         Nowhere},
    };
    for (const Case& c : cases) {
        if (c.needsRoot && geteuid() != 0) continue;
        SCOPED_TRACE(c.name);
        Fresh();
        c.arrange();
        InstanceLock lock;
        const Outcome outcome = lock.Acquire("h_Test");
        switch (c.where) {
            case InRuntime:
                EXPECT_EQ(outcome, Outcome::Held);
                EXPECT_EQ(lock.Path(), (Runtime() / "h_Test.lock").string());
                break;
            case InPrivate: {
                EXPECT_EQ(outcome, Outcome::Held);
                EXPECT_EQ(lock.Path(), (Private() / "h_Test.lock").string());
                struct stat info {};
                ASSERT_EQ(lstat(Private().c_str(), &info), 0);
                EXPECT_TRUE(S_ISDIR(info.st_mode));
                EXPECT_EQ(info.st_mode & 0777, 0700u);
                EXPECT_FALSE(fs::exists(dir_ / "target"));
                break;
            }
            case Nowhere:
                EXPECT_EQ(outcome, Outcome::Unavailable);
                EXPECT_FALSE(lock.IsHeld());
                EXPECT_TRUE(lock.Path().empty());
                EXPECT_TRUE(lock.SocketPath().empty());
                EXPECT_NE(lock.Problem().find("telvoxa-"), std::string::npos) << lock.Problem();
                EXPECT_EQ(lock.Problem().find('\n'), std::string::npos);
                break;
        }
    }
}

TEST_F(InstanceLockTest, ASecondHolderIsRefusedUntilTheFirstLetsGo) {
    InstanceLock first;
    InstanceLock second;
    ASSERT_EQ(first.Acquire("h_Test"), Outcome::Held);
    EXPECT_EQ(second.Acquire("h_Test"), Outcome::HeldElsewhere);
    EXPECT_FALSE(second.IsHeld());
    // Both find the same socket beside the lock: the holder's ear.
    EXPECT_EQ(first.SocketPath(), (Runtime() / "h_Test.socket").string());
    EXPECT_EQ(second.SocketPath(), first.SocketPath());
    first.Release();
    EXPECT_EQ(second.Acquire("h_Test"), Outcome::Held);
}

TEST_F(InstanceLockTest, KeptUntilExitNeitherReleaseNorTheObjectsEndLetsGo) {
    {
        InstanceLock kept;
        ASSERT_EQ(kept.Acquire("h_Kept"), Outcome::Held);
        kept.KeepUntilExit();
        kept.Release();
        EXPECT_TRUE(kept.IsHeld());
    }
    InstanceLock next;
    EXPECT_EQ(next.Acquire("h_Kept"), Outcome::HeldElsewhere);
}

TEST_F(InstanceLockTest, AnotherProcessIsRefusedAndTheLockDiesWithItsHolder) {
    InstanceLock mine;
    ASSERT_EQ(mine.Acquire("h_Test"), Outcome::Held);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock theirs;
        _exit(theirs.Acquire("h_Test") == Outcome::HeldElsewhere ? 0 : 1);
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
        _exit(leaked->Acquire("h_Test") == Outcome::Held ? 0 : 1);
    }
    waitpid(holder, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(mine.Acquire("h_Test"), Outcome::Held);
}

}  // namespace
