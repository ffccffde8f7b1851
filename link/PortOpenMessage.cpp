#include "link/PortOpenMessage.h"

std::string PortOpenErrorMessage(const CommDevice& device) {
    std::string message = "COM Port Open Error !!";
    const std::string why = device.OpenFailureText();
    if (!why.empty()) message += "\n" + why;
    return message;
}

std::string PortOpenFailureLogText(const CommDevice& device) {
    const std::string why = device.OpenFailureText();
    if (why.empty()) return {};
    const std::string system = device.OpenFailureSystemError();
    return "Open Error " + why + (system.empty() ? "" : " [" + system + "]");
}
