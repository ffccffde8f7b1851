#pragma once
// The classic lock files of serial ports: "LCK..<name>" in the lock folder,
// holding the owner's process id as ten characters right-aligned and a
// newline. Programs that know no other lock look only there.

#include <sys/types.h>

#include <string>

#include "platform/DeviceCheck.h"

// The lock folder: TELVOXA_LOCK_DIR when set (to try the locks on a made-up
// folder), else /run/lock or /var/lock, whichever is a folder.
std::string DeviceLockFolder();

// "LCK..ttyUSB0" for /dev/ttyUSB0; a device in a sub-folder of /dev joins
// the parts with '_' ("LCK..pts_3"). `device` is the path with links followed.
std::string LockFileName(const std::string& device);

// Held for `oddity` of the lock file `lockFile`, with `why` in English.
LockFileHolding OddLockFile(LockFileOddity oddity, const std::string& lockFile);

// Who holds `device`'s lock file in `folder`; nobody when there is none, it
// is unreadable, or its process has gone.
LockFileHolding LockFileHolder(const std::string& folder, const std::string& device);

// This process's lock file for one device, held from Take until Release.
class DeviceLockFile {
public:
    explicit DeviceLockFile(std::string folder) : m_folder(std::move(folder)) {}
    ~DeviceLockFile() { Release(); }
    DeviceLockFile(const DeviceLockFile&) = delete;
    DeviceLockFile& operator=(const DeviceLockFile&) = delete;

    // Writes the lock file of `device`, replacing one whose process has gone
    // (only while it is still the file found stale, so that of two programs
    // replacing it at once only one gets it). False, with `holder` set, when
    // it is held. A folder that cannot be written to is no failure: the port
    // opens without a file.
    bool Take(const std::string& device, LockFileHolding& holder);
    // Removes the file Take wrote, if it is still this process's.
    void Release();

private:
    std::string m_folder;
    std::string m_path;  // the file written, empty while none is
    dev_t m_device = 0;  // and which file it is
    ino_t m_inode = 0;
};
