#include "link/PortOpenMessage.h"

#include "link/PhoneLink.h"

namespace {

std::string WithReason(std::string message, const std::string& why) {
    if (!why.empty()) message += "\n" + why;
    return message;
}

}  // namespace

std::string PortOpenErrorMessage(const CommDevice& device) {
    return WithReason("COM Port Open Error !!", device.OpenFailureText());
}

std::string PortOpenErrorMessage(const CPhoneLink& link) {
    return WithReason("COM Port Open Error !!", link.OpenFailure());
}

std::string PortRetryMessage(const CPhoneLink& link) {
    return WithReason("Init Connection Again !!", link.OpenFailure());
}

std::string PortOpenFailureLogText(const CommDevice& device) {
    const std::string why = device.OpenFailureText();
    if (why.empty()) return {};
    const std::string system = device.OpenFailureSystemError();
    return "Open Error " + why + (system.empty() ? "" : " [" + system + "]");
}
