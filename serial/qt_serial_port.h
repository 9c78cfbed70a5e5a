#pragma once

#include <QSerialPort>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "serial/line_settings.h"
#include "serial/port_diagnosis.h"
#include "serial/serial_port.h"

namespace serial {

// The serial port on QSerialPort. "Com n" maps to a device as portDevice() says, with the comN
// links looked for in the given folders in turn; there is at least one, where a missing link is
// said to belong. On POSIX systems it works with or without a running event loop: reads and
// writes pull and push the bytes themselves instead of waiting for notifications. On Windows
// input reaches it through the event loop.
class QtSerialPort : public SerialPort {
public:
    explicit QtSerialPort(std::vector<std::string> linkFolders);

    void setPortNumber(std::int16_t number) override;
    // A device that the next opens take whatever the port number says, for a port the sixteen
    // numbers do not reach; empty gives the number its say again.
    void setDevicePath(std::string device) { m_devicePath = std::move(device); }
    void setLineSettings(std::string_view settings) override;
    void setIntegerOption(std::int32_t value) override { m_integerOption = value; }

    void open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }

    void writeText(std::string_view text) override;
    std::string readAllPending() override;
    void onInputArrived(std::function<void()> handler) override {
        m_inputArrived = std::move(handler);
    }

    std::int16_t portNumber() const { return m_portNumber; }
    const LineSettings& lineSettings() const { return m_lineSettings; }
    std::int32_t integerOption() const { return m_integerOption; }
    // The device of the last open, kept here because QSerialPort names a pty by a short name.
    std::string device() const override { return m_device; }
    // Why the last open failed and what to do; empty after one that succeeded.
    const std::string& openFailure() const { return m_openFailure; }

private:
    // Looks into why the open failed, only now, and throws the reason with its fix.
    [[noreturn]] void failOpen(OpenRefusal refusal, std::string systemText);
    void onError(QSerialPort::SerialPortError error);
    void lowerControlLines();
    void failUnlessOpen(std::string_view action);
    std::string describePort() const;

    std::vector<std::string> m_linkFolders;
    std::int16_t m_portNumber = 1;
    LineSettings m_lineSettings;
    std::int32_t m_integerOption = 0;
    std::string m_device;
    std::string m_devicePath;
    std::string m_openFailure;
    // Why the line was lost under an open port; reported once by the next read or write.
    std::string m_lostReason;
    std::function<void()> m_inputArrived;
    QSerialPort m_port;
};

}  // namespace serial
