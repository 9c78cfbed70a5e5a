#include "serial/qt_serial_port.h"

#include <QByteArray>
#include <QSerialPortInfo>
#include <QString>

#include <algorithm>
#include <utility>
#include <vector>

#include "serial/port_device.h"
#include "serial/port_error.h"
#include "serial/port_observation.h"

namespace serial {

namespace {

QSerialPort::Parity toQt(Parity parity) {
    switch (parity) {
        case Parity::None:
            return QSerialPort::NoParity;
        case Parity::Even:
            return QSerialPort::EvenParity;
        case Parity::Odd:
            return QSerialPort::OddParity;
        case Parity::Mark:
            return QSerialPort::MarkParity;
        case Parity::Space:
            return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQt(StopBits stopBits) {
    switch (stopBits) {
        case StopBits::One:
            return QSerialPort::OneStop;
        case StopBits::OneAndHalf:
            return QSerialPort::OneAndHalfStop;
        case StopBits::Two:
            return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

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
    if (number != m_portNumber && !m_port.isOpen()) {
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
    return m_device.empty() ? text : text + " (" + m_device + ")";
}

void QtSerialPort::open() {
    try {
        openDevice();
        m_openFailure.clear();
        m_openDiagnosis = {};
    } catch (const PortError& error) {
        m_openFailure = error.what();
        throw;
    }
}

void QtSerialPort::openDevice() {
    if (m_port.isOpen()) {
        throw PortError(describePort() + " is already open");
    }
    m_lostReason.clear();
    m_device.clear();
    if (!m_devicePath.empty()) {
        m_device = m_devicePath;
    } else if (m_portNumber < kFirstPortNumber || m_portNumber > kLastPortNumber) {
        throw PortError("Cannot open " + describePort() + ": port numbers run from 1 to 16");
    } else {
        const std::optional<std::string> device =
            portDevice(m_portNumber, m_linkFolders, systemPorts());
        if (!device) {
            failOpen(OpenRefusal::NotFound, {});
        }
        m_device = *device;
    }

    m_port.setPortName(QString::fromStdString(m_device));
    m_port.setBaudRate(m_lineSettings.baudRate);
    m_port.setParity(toQt(m_lineSettings.parity));
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(m_lineSettings.dataBits));
    m_port.setStopBits(toQt(m_lineSettings.stopBits));
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
        if (link) {
            seen.link = *link;
        } else if (!m_linkFolders.empty()) {
            seen.link = m_linkFolders.front() + "/com" + std::to_string(m_portNumber);
        }
    }
#endif
    observeSystem(seen);
    m_openDiagnosis = diagnosePort(seen);
    throw PortError(openFailureText(seen, m_openDiagnosis));
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
    const auto size = static_cast<qint64>(text.size());
    if (m_port.write(text.data(), size) != size) {
        failUnlessOpen("write to");
        throw PortError("Cannot write to " + describePort() + ": " +
                        m_port.errorString().toStdString());
    }
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
