#pragma once
// The handset window after its start-up on the in-memory port, with its ticks
// paused (ticks are the test's business) and its clock at zero.

#include <gtest/gtest.h>

#include <ctime>
#include <memory>

#include "handset/ui/HandsetDlg.h"
#include "support/FakeCommDevice.h"

// `phone` names the port, a new one at every opening.
// `host` is the application the window runs for.
inline std::unique_ptr<CHandsetDlg> StartOnFakePort(HandsetHost& host, FakeCommDevice*& phone) {
    auto window = std::make_unique<CHandsetDlg>(
        host, nullptr,
        [&phone] {
            auto device = std::make_unique<FakeCommDevice>();
            phone = device.get();
            return std::unique_ptr<CommDevice>(std::move(device));
        },
        [] { return std::tm{}; });
    EXPECT_TRUE(window->OnInitDialog());
    window->StopMonitor();
    window->Flush();
    return window;
}
