#pragma once
// The single-instance rule: an exclusive lock named after the program, held
// from start-up until the object goes away (the system drops it when the
// process ends, even by a crash).

#include <string>

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process now holds the lock `name`; false when another
    // process holds it (or the lock file cannot be made).
    bool Acquire(const std::string& name);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

    // Where the lock `name` lives: $XDG_RUNTIME_DIR/<name>.lock, else
    // /tmp/<name>-<uid>.lock.
    static std::string LockPath(const std::string& name);

private:
    int m_fd = -1;
};
