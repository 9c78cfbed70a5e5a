#pragma once

#include <functional>
#include <optional>
#include <utility>

#include "serial/line_settings.h"
#include "serial/port_error.h"
#include "serial/serial_port.h"
#include "tools/gauge_model.h"

namespace testsupport {

// A serial port whose far end is the gauge model: replies are pending once a command is written,
// read whole or in pieces as a slow line delivers them. Faults: a busy port, a pull-out.
class FakePort : public serial::SerialPort {
public:
    explicit FakePort(gaugesim::GaugeConfig config = {}) : m_gauge(std::move(config)) {}

    void setPortNumber(std::int16_t number) override {
        refuseIf(number < 1 || number > 16 || m_open,
                 "give number " + std::to_string(number) + " to");
        m_portNumber = number;
    }
    void setLineSettings(std::string_view settings) override {
        refuseIf(m_open, "change the line settings of");
        m_lineSettings = serial::parseLineSettings(settings);
    }
    void setIntegerOption(std::int32_t /*value*/) override {}
    void open() override {
        refuseIf(m_open || m_heldElsewhere, "open");
        m_open = true;
        m_unplugged = false;
        ++m_openCount;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    std::string device() const override { return "fake COM" + std::to_string(m_portNumber); }
    void writeText(std::string_view text) override {
        m_open = m_open && !m_unplugged;
        refuseIf(!m_open, "write to");
        m_written += text;
        m_pending += m_gauge.receive(text);
    }
    std::string readAllPending() override {
        m_open = m_open && !m_unplugged;
        refuseIf(!m_open, "read from");
        std::string piece = m_pending.substr(0, m_pieceSize == 0 ? m_pending.size() : m_pieceSize);
        m_pending.erase(0, piece.size());
        return piece;
    }
    void onInputArrived(std::function<void()> /*handler*/) override {}

    gaugesim::GaugeModel& gauge() { return m_gauge; }
    void injectInput(std::string_view text) { m_pending += text; }
    void setPieceSize(std::size_t bytes) { m_pieceSize = bytes; }
    void setHeldByAnotherProgram(bool held) { m_heldElsewhere = held; }
    // The next read or write fails and the port closes.
    void unplug() { m_unplugged = true; }

    const std::string& written() const { return m_written; }
    const std::string& pending() const { return m_pending; }
    std::int16_t portNumber() const { return m_portNumber; }
    const std::optional<serial::LineSettings>& lineSettings() const { return m_lineSettings; }
    int openCount() const { return m_openCount; }

private:
    void refuseIf(bool refused, const std::string& action) const {
        if (refused) {
            throw serial::PortError("Cannot " + action + " fake COM" +
                                    std::to_string(m_portNumber));
        }
    }

    gaugesim::GaugeModel m_gauge;
    std::string m_written;
    std::string m_pending;
    std::size_t m_pieceSize = 0;
    bool m_open = false, m_heldElsewhere = false, m_unplugged = false;
    std::int16_t m_portNumber = 1;
    std::optional<serial::LineSettings> m_lineSettings;
    int m_openCount = 0;
};

}  // namespace testsupport
