#include "serial/qt_serial_port.h"

#include <QByteArray>
#include <QSerialPortInfo>
#include <QString>

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "serial/port_device.h"
#include "serial/port_error.h"
#include "serial/port_observation.h"

namespace serial {

namespace {

// In the order of the enumerators: the parity and the stop bits index them.
constexpr QSerialPort::Parity kQtParities[] = {QSerialPort::NoParity, QSerialPort::EvenParity,
                                               QSerialPort::OddParity, QSerialPort::MarkParity,
                                               QSerialPort::SpaceParity};
constexpr QSerialPort::StopBits kQtStopBits[] = {QSerialPort::OneStop, QSerialPort::OneAndHalfStop,
                                                 QSerialPort::TwoStop};
static_assert(std::size(kQtParities) == std::size_t(Parity::Space) + 1);
static_assert(std::size(kQtStopBits) == std::size_t(StopBits::Two) + 1);

std::vector<std::string> systemPorts() {
    std::vector<std::string> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        ports.push_back(info.systemLocation().toStdString());
    }
    return ports;
}

OpenRefusal refusalOf(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return OpenRefusal::NotFound;
        case QSerialPort::PermissionError:  // also a lock or an exclusive open by another program
            return OpenRefusal::Denied;
        default:
            return OpenRefusal::Other;
    }
}

#ifdef Q_OS_WIN
// The COM ports as Device Manager shows them: "USB Serial Port" and its name.
std::vector<PortPresent> comPortsPresent() {
    std::vector<PortPresent> present;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        present.push_back({info.portName().toStdString(), info.description().toStdString()});
    }
    std::sort(present.begin(), present.end(), [](const PortPresent& a, const PortPresent& b) {
        return devicePathLess(a.name, b.name);
    });
    return present;
}
#endif

}  // namespace

QtSerialPort::QtSerialPort(std::vector<std::string> linkFolders)
    : m_linkFolders(std::move(linkFolders)) {
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError error) { onError(error); });
    QObject::connect(&m_port, &QSerialPort::readyRead, &m_port, [this] {
        if (m_inputArrived) {
            m_inputArrived();
        }
    });
}

void QtSerialPort::setPortNumber(std::int16_t number) {
    // The device found for the old number would only mislead the next error message.
    if (number != m_portNumber) {
        m_device.clear();
    }
    m_portNumber = number;
}

void QtSerialPort::setLineSettings(std::string_view settings) {
    m_lineSettings = parseLineSettings(settings);
}

std::string QtSerialPort::describePort() const {
    if (!m_devicePath.empty()) {
        return m_devicePath;
    }
    std::string text = "Com " + std::to_string(m_portNumber);
    if (!m_device.empty()) {
        text += " (" + m_device + ")";
    }
    return text;
}

void QtSerialPort::open() {
    if (m_port.isOpen()) {
        throw PortError(describePort() + " is already open");
    }
    m_openFailure.clear();
    m_lostReason.clear();
    m_device = m_devicePath;
    if (m_device.empty()) {
        const std::optional<std::string> device =
            portDevice(m_portNumber, m_linkFolders, systemPorts());
        if (!device) {
            failOpen(OpenRefusal::NotFound, {});
        }
        m_device = *device;
    }

    m_port.setPortName(QString::fromStdString(m_device));
    m_port.setBaudRate(m_lineSettings.baudRate);
    m_port.setParity(kQtParities[std::size_t(m_lineSettings.parity)]);
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(m_lineSettings.dataBits));
    m_port.setStopBits(kQtStopBits[std::size_t(m_lineSettings.stopBits)]);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        failOpen(refusalOf(m_port.error()), m_port.errorString().toStdString());
    }
    lowerControlLines();
}

void QtSerialPort::failOpen(OpenRefusal refusal, std::string systemText) {
    PortObservation seen;
    seen.port = describePort();
    seen.device = m_device;
    seen.refusal = refusal;
    seen.systemText = std::move(systemText);
#ifdef Q_OS_WIN
    seen.present = comPortsPresent();
#else
    if (m_devicePath.empty()) {
        seen.portNumber = m_portNumber;
        const std::optional<std::string> link = comLink(m_portNumber, m_linkFolders);
        seen.linkExists = link.has_value();
        // Without a link, where the operator would make one: the first folder looked in.
        seen.link = link.value_or(m_linkFolders.front() + "/com" + std::to_string(m_portNumber));
    }
#endif
    observeSystem(seen);
    m_openFailure = openFailureText(seen, diagnosePort(seen));
    throw PortError(m_openFailure);
}

void QtSerialPort::lowerControlLines() {
    // The gauge has always seen DTR and RTS off, and some instruments reset on an edge of either,
    // while the driver raises both at open. A pseudo-terminal refuses both: that changes nothing.
    m_port.setDataTerminalReady(false);
    m_port.setRequestToSend(false);
    m_port.clearError();
}

void QtSerialPort::close() {
    m_lostReason.clear();
    if (m_port.isOpen()) {
        m_port.close();
    }
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    if (!m_port.isOpen()) {
        return;
    }
    // QSerialPort's own error text comes from a stale errno when a read meets end of file, so the
    // reason is told here.
    switch (error) {
        case QSerialPort::ReadError:
            m_lostReason = "a read failed: the device was removed or its far end closed";
            break;
        case QSerialPort::ResourceError:
            m_lostReason = "the device became unavailable: removed or its far end closed";
            break;
        case QSerialPort::WriteError:
            m_lostReason = "a write failed";
            break;
        default:
            return;
    }
    // A vanished far end makes QSerialPort raise the error again on every notification, at full
    // CPU: close at once and let the next read or write report it.
    m_port.close();
}

void QtSerialPort::failUnlessOpen(std::string_view action) {
    if (m_port.isOpen()) {
        return;
    }
    std::string message = "Cannot " + std::string(action) + " " + describePort() + ": ";
    if (m_lostReason.empty()) {
        message += "the port is not open";
    } else {
        message += "the line was lost (" + m_lostReason + ") and the port was closed";
        m_lostReason.clear();
    }
    throw PortError(message);
}

void QtSerialPort::writeText(std::string_view text) {
    failUnlessOpen("write to");
    // QSerialPort takes every byte into its buffer once the port is open; a line lost on the way
    // out closes the port, which the check after the push tells.
    m_port.write(text.data(), static_cast<qint64>(text.size()));
    // Push the bytes to the system now rather than when the event loop next runs; stop as soon as
    // a round makes no progress (the system's buffer is full), the event loop sends the rest.
    qint64 waiting = m_port.bytesToWrite();
    while (waiting > 0 && m_port.flush() && m_port.isOpen() && m_port.bytesToWrite() < waiting) {
        waiting = m_port.bytesToWrite();
    }
    failUnlessOpen("write to");
}

std::string QtSerialPort::readAllPending() {
    failUnlessOpen("read from");
#ifndef Q_OS_WIN
    // Each round takes what the system holds now; none of them waits. On Windows the event loop's
    // overlapped reads fill the buffer, and a wait of our own would take their results from them.
    while (m_port.waitForReadyRead(0)) {
    }
    failUnlessOpen("read from");
#endif
    const QByteArray bytes = m_port.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace serial
