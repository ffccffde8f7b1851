#pragma once
// A running simulated phone tells where it can be reached: a small file in
// the user's runtime folder ($XDG_RUNTIME_DIR) names its process and the
// link to its port, so that the device list can offer it. The file goes at
// its end; one left by a phone that has died is passed over.

#include <sys/types.h>
#include <string>
#include <vector>

struct SimulatedPhone {
    pid_t pid = 0;
    std::string link;  // absolute path of the link to its port
};

// The runtime folder from the environment, or "" when none is set.
std::string RuntimeFolder();

// The announcement file of process `pid` in `runtimeDir`.
std::string SimulatedPhoneFile(const std::string& runtimeDir, pid_t pid);

// Writes this process's announcement of `link` (made private, replaced
// whole); false with `error` set when it cannot be written.
bool AnnounceSimulatedPhone(const std::string& runtimeDir, const std::string& link,
                            std::string& error);
// Removes this process's announcement.
void WithdrawSimulatedPhone(const std::string& runtimeDir);

// The phones announced in `runtimeDir` whose process still runs. Each file is
// read as untrusted: only regular files of this user, of a few bytes, naming
// the process of their file name and an absolute link; others are skipped.
std::vector<SimulatedPhone> ListSimulatedPhones(const std::string& runtimeDir);
