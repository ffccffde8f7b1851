#pragma once
// Made-up user accounts for the device check: one user, "root", whose
// devices all belong to `group`, with the group memberships a case needs.

#include <string>

#include "platform/posix/SerialDeviceCheck.h"

class FakeAccounts : public UserAccounts {
public:
    std::string group;
    bool listed = false;
    bool inProcess = false;
    bool MayReadWrite(const std::string&) const override { return false; }
    std::string UserName(uid_t) const override { return "root"; }
    std::string GroupName(gid_t) const override { return group; }
    bool ProcessInGroup(gid_t) const override { return inProcess; }
    bool ListedInGroup(gid_t) const override { return listed; }
};
