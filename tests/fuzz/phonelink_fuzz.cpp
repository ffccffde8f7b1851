// Random phone bytes, with random pauses, through every poll, the call
// commands and the hang-up on the in-memory port. Every output buffer is a
// heap block of exactly the size the caller promises, so a write or read past
// it stops the run; results must stay within their documented codes.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "link/PhoneLink.h"
#include "support/FakeCommDevice.h"

namespace {

constexpr int MAX_OPERATIONS = 32;
constexpr size_t MAX_BURST = 64;
// Long enough for every wait of a poll to time out in between.
constexpr uint16_t MAX_GAP_MS = 6000;

void Require(bool condition) {
    if (!condition) std::abort();
}

void PollIdle(CPhoneLink& link) {
    auto buffer = std::make_unique<char[]>(IDLE_BUFFER_SIZE);
    const int result = link.PollIdle(buffer.get());
    Require(result >= 0 && result <= 3);
    // A number always ends inside the caller's buffer.
    if (result == 1) Require(std::memchr(buffer.get(), 0, IDLE_BUFFER_SIZE) != nullptr);
}

void PollOnLine(CPhoneLink& link, uint8_t outputs) {
    auto charge = std::make_unique<int>(0);
    auto block3 = std::make_unique<uint8_t[]>(3);
    auto block2 = std::make_unique<uint8_t[]>(2);
    const int result =
        link.PollOnLine(outputs & 1 ? charge.get() : nullptr, outputs & 2 ? block3.get() : nullptr,
                        outputs & 4 ? block2.get() : nullptr);
    Require(result == 0 || result == 1);
}

void HangUp(CPhoneLink& link, uint8_t outputs) {
    auto charge = std::make_unique<int>(0);
    auto block2 = std::make_unique<uint8_t[]>(2);
    Require(link.HangUp(outputs & 1 ? charge.get() : nullptr,
                        outputs & 2 ? block2.get() : nullptr) == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    auto device = std::make_unique<FakeCommDevice>();
    FakeCommDevice& port = *device;
    CPhoneLink link(std::move(device));
    link.m_numdisp = input.ConsumeBool();
    Require(link.CommOpen(0) == 1);

    for (int i = 0; i < MAX_OPERATIONS && input.remaining_bytes() > 0; ++i) {
        const uint8_t operation = input.ConsumeIntegral<uint8_t>();
        const uint16_t gap = input.ConsumeIntegralInRange<uint16_t>(0, MAX_GAP_MS);
        const std::vector<uint8_t> burst =
            input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, MAX_BURST));
        port.Incoming(burst, gap);

        const uint8_t outputs = operation >> 4;
        switch (operation & 0x0F) {
            case 0:
                PollIdle(link);
                break;
            case 1:
                Require(link.PollOffHook() <= 2);
                break;
            case 2:
                Require(link.PollSending() <= 2);
                break;
            case 3:
                Require(link.PollRinging() <= 3);
                break;
            case 4: {
                const int result = link.PollHolding();
                Require(result == 0 || result == 1 || result == 3);
                break;
            }
            case 5:
                PollOnLine(link, outputs);
                break;
            case 6:
                HangUp(link, outputs);
                break;
            case 7:
                Require(link.Answer() <= 1);
                break;
            case 8:
                Require(link.HoldCall() <= 1);
                break;
            case 9:
                Require(link.EndHeldCall() <= 1);
                break;
            case 10:
                Require(link.ResumeCall() <= 1);
                break;
            case 11:
                link.ClearBuf(outputs & 1);
                break;
            default:
                link.CommReadByte(0, outputs * 8);
                break;
        }
    }
    Require(link.CommClose(0) == 1);
    return 0;
}
