// The single-instance rule on Windows: a named mutex of the user's session,
// used only to tell whether it exists (never waited on). The system closes
// it with the last handle, so a crashed instance never blocks the next.

#include "platform/InstanceLock.h"

#include <windows.h>

#include "platform/win32/Win32Text.h"

namespace {

HANDLE HandleOf(std::intptr_t lock) {
    return reinterpret_cast<HANDLE>(lock);
}

}  // namespace

InstanceLock::~InstanceLock() {
    Release();
}

InstanceLock::Outcome InstanceLock::Acquire(const std::string& name) {
    if (IsHeld()) return Outcome::Held;
    m_problem.clear();
    m_path = name;
    const std::wstring wide = WidePath(name);
    if (wide.empty()) {
        NoteProblem(name, "not a valid name");
        return Outcome::Unavailable;
    }
    // Another instance's mutex: seen without taking a share in it.
    if (HANDLE other = OpenMutexW(SYNCHRONIZE, FALSE, wide.c_str())) {
        CloseHandle(other);
        return Outcome::HeldElsewhere;
    }
    HANDLE mutex = CreateMutexW(nullptr, FALSE, wide.c_str());
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        // A mutex of that name this user may not open is another's instance
        // of the program all the same.
        if (error == ERROR_ACCESS_DENIED) return Outcome::HeldElsewhere;
        NoteProblem(name, SystemMessage(error));
        return Outcome::Unavailable;
    }
    // Made by another start between the look and the making.
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return Outcome::HeldElsewhere;
    }
    m_lock = reinterpret_cast<std::intptr_t>(mutex);
    return Outcome::Held;
}

std::string InstanceLock::SocketPath() const {
    return {};
}

bool InstanceLock::NoteProblem(const std::string& where, const std::string& why) {
    if (!m_problem.empty()) m_problem += "; ";
    m_problem += where + ": " + why;
    return false;
}

void InstanceLock::KeepUntilExit() {
    if (IsHeld()) m_keptUntilExit = true;
}

void InstanceLock::Release() {
    if (m_lock == -1 || m_keptUntilExit) return;
    CloseHandle(HandleOf(m_lock));
    m_lock = -1;
}
