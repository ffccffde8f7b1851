#include "platform/SerialPortList.h"

#include "platform/posix/SerialDeviceCheck.h"
#include "platform/posix/SerialDevices.h"
#include "platform/posix/SerialPortProbe.h"

std::vector<SerialPortEntry> ListSerialPorts() {
    std::vector<SerialPortEntry> ports;
    for (const SerialDeviceEntry& device :
         ListSerialDevices(SerialDeviceFolder(), AnswersAsSerialPort)) {
        const DeviceCheck check = CheckSerialDevice(device.path);
        ports.push_back({device.path, device.label,
                         check.state == DeviceState::Ready ? std::string() : check.text});
    }
    return ports;
}
