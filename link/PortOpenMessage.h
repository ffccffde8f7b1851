#pragma once
// What the user and the communication log are told when the port does not
// open.

#include <string>

#include "platform/CommDevice.h"

class CPhoneLink;

// "COM Port Open Error !!" and, where the device can tell, a second line
// naming the device and the reason ("/dev/ttyUSB0: No such device").
std::string PortOpenErrorMessage(const CommDevice& device);
// The same after CommOpen, whose reason may also be an unanswered handshake.
std::string PortOpenErrorMessage(const CPhoneLink& link);
// "Init Connection Again !!" with the same second line.
std::string PortRetryMessage(const CPhoneLink& link);

// The log line of a failed open with the system's own error, or "" when the
// device cannot tell.
std::string PortOpenFailureLogText(const CommDevice& device);
