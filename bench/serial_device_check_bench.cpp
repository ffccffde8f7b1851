// The device check runs on the window's thread once the settings dialog's
// device field is still, and --list-ports checks every device once: both
// must stay far below what a user notices.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

#include "platform/posix/DeviceLockFile.h"
#include "platform/posix/SerialDeviceCheck.h"
#include "platform/posix/SerialDevices.h"
#include "support/PhonePty.h"
#include "support/ScratchDir.h"

namespace {

void BM_CheckReadyPseudoTerminal(benchmark::State& state) {
    PhonePty phone;
    for (auto _ : state) benchmark::DoNotOptimize(CheckSerialDevice(phone.SlavePath()));
}
BENCHMARK(BM_CheckReadyPseudoTerminal);

// Held through a lock file: told from the file, without opening the device.
void BM_CheckDeviceHeldByLockFile(benchmark::State& state) {
    PhonePty phone;
    ScratchDir locks;
    locks.Write(LockFileName(phone.SlavePath()), std::to_string(getppid()) + "\n");
    for (auto _ : state) {
        benchmark::DoNotOptimize(CheckSerialDevice(phone.SlavePath(), locks.Path()));
    }
}
BENCHMARK(BM_CheckDeviceHeldByLockFile);

void BM_CheckMissingDevice(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(CheckSerialDevice("/dev/ttyUSB99"));
}
BENCHMARK(BM_CheckMissingDevice);

// A folder with 8 by-id links and 8 adapters of each kind.
void BM_ListDevices(benchmark::State& state) {
    ScratchDir dev;
    std::filesystem::create_directories(dev.PathOf("serial/by-id"));
    for (int i = 0; i < 8; ++i) {
        const std::string n = std::to_string(i);
        dev.Write("ttyUSB" + n, "");
        dev.Write("ttyACM" + n, "");
        std::filesystem::create_symlink("../../ttyUSB" + n,
                                        dev.PathOf("serial/by-id/usb-Cable" + n + "-if00"));
    }
    for (auto _ : state) benchmark::DoNotOptimize(ListSerialDevices(dev.Path()));
}
BENCHMARK(BM_ListDevices);

}  // namespace
