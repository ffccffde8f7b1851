#pragma once
// The single-instance rule: an exclusive lock named after the program. The
// system drops it when the process ends, even by a crash; until then only
// Release or the object's end lets it go, and KeepUntilExit stops even that.
//
// On Windows the lock is the named mutex `name` of the user's session: a
// start that finds it (open, or made by someone else first) is the second.
//
// Elsewhere the lock file <name>.lock lives in $XDG_RUNTIME_DIR when that is a folder
// of this user, else in the private folder telvoxa-<uid> of the temporary
// folder ($TMPDIR, else /tmp), which is made with mode 0700 when missing.
// A folder of another user, a link in place of the folder or of the file, or
// a lock file of another user is never used.

#include <cstdint>
#include <string>

class InstanceLock {
public:
    enum class Outcome {
        Held,           // this process holds the lock now
        HeldElsewhere,  // another running process holds it
        Unavailable,    // no lock file could be made anywhere: see Problem()
    };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Never waits: the lock only tells whether another instance runs.
    Outcome Acquire(const std::string& name);
    void Release();
    // Leaves the held lock to the system until the process ends, so that no
    // second instance starts while this one is still shutting down.
    void KeepUntilExit();
    bool IsHeld() const { return m_lock != -1; }

    // The lock file found by the last Acquire (held here or elsewhere); on
    // Windows the mutex's name.
    const std::string& Path() const { return m_path; }
    // The local socket beside that lock file (<name>.socket) on which the
    // holder listens for later starts; empty when no lock file was found,
    // and on Windows.
    std::string SocketPath() const;
    // After Unavailable: what was wrong with each place tried, on one line.
    const std::string& Problem() const { return m_problem; }

private:
    // The lock file in one folder: true with `outcome` set when it could be
    // opened there, false (the reason added to m_problem) when not.
    bool TryFolder(const std::string& folder, bool makePrivate, const std::string& name,
                   Outcome& outcome);
    bool NoteProblem(const std::string& where, const std::string& why);

    // The lock file's descriptor, or the mutex's handle; -1 while not held.
    std::intptr_t m_lock = -1;
    bool m_keptUntilExit = false;
    std::string m_path;
    std::string m_problem;
};
