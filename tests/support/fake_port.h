#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "serial/line_settings.h"
#include "serial/serial_port.h"
#include "tools/gauge_model.h"

namespace testsupport {

// A serial port whose far end is the gauge model: replies are pending as soon as a command is
// written. A piece size makes each read take only that many bytes, as a slow line delivers them.
// Faults: a missing or busy port, and an adapter pulled out under the program.
class FakePort : public serial::SerialPort {
public:
    explicit FakePort(gaugesim::GaugeConfig config = {}) : m_gauge(std::move(config)) {}

    void setPortNumber(std::int16_t number) override;
    void setLineSettings(std::string_view settings) override;
    void setIntegerOption(std::int32_t value) override { m_integerOption = value; }
    void open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void writeText(std::string_view text) override;
    std::string readAllPending() override;

    gaugesim::GaugeModel& gauge() { return m_gauge; }
    // Text the gauge sends unasked (late answers, noise).
    void injectInput(std::string_view text) { m_pending += text; }
    void setPieceSize(std::size_t bytes) { m_pieceSize = bytes; }
    void setPortExists(bool exists) { m_portExists = exists; }
    void setHeldByAnotherProgram(bool held) { m_heldElsewhere = held; }
    // The next read or write fails and the port closes.
    void unplug() { m_unplugged = true; }

    const std::string& written() const { return m_written; }
    const std::string& pending() const { return m_pending; }
    std::int16_t portNumber() const { return m_portNumber; }
    const std::optional<serial::LineSettings>& lineSettings() const { return m_lineSettings; }
    std::int32_t integerOption() const { return m_integerOption; }
    int openCount() const { return m_openCount; }
    int closeCount() const { return m_closeCount; }
    int readCount() const { return m_readCount; }

private:
    void failIfUnusable(const std::string& action);

    gaugesim::GaugeModel m_gauge;
    std::string m_written;
    std::string m_pending;
    std::size_t m_pieceSize = 0;
    bool m_open = false;
    bool m_portExists = true;
    bool m_heldElsewhere = false;
    bool m_unplugged = false;
    std::int16_t m_portNumber = 1;
    std::optional<serial::LineSettings> m_lineSettings;
    std::int32_t m_integerOption = -1;
    int m_openCount = 0;
    int m_closeCount = 0;
    int m_readCount = 0;
};

}  // namespace testsupport
