// The computer's serial ports: listing them and hearing when one comes or goes. The program uses
// udev; tests use a scripted watcher that adds and removes their pseudo-terminals.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/text.h"

struct SerialPortInfo {
    std::string name;      // the stable /dev/serial/by-id/ name where there is one, else the device node
    WString friendlyName;  // what a user recognises, such as "FT232R USB UART (ttyUSB0)"
};

struct SerialPortEvent {
    bool added = false;              // false: removed
    std::string node;                // the device node
    std::vector<std::string> links;  // its other names (by-id, by-path)

    // True when `port` names this device, by its node or by one of its links (case-sensitive).
    bool Names(const std::string& port) const;
};

class ISerialPortWatcher {
public:
    virtual ~ISerialPortWatcher() = default;
    // The ports present now.
    virtual std::vector<SerialPortInfo> ListPorts() = 0;
    // Events go to listener on the user-interface thread, through post; an empty listener stops them.
    virtual void Watch(std::function<void(const SerialPortEvent&)> listener) = 0;
};

// Hands a call to the user-interface thread; it runs there later, in order.
using UiPost = std::function<void(std::function<void()>)>;

// The watcher over udev. Hot-plug events are read on a thread of its own and posted.
std::unique_ptr<ISerialPortWatcher> CreateUdevPortWatcher(UiPost post);
