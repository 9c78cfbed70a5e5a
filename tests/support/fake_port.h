#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "serial/line_settings.h"
#include "serial/serial_port.h"
#include "tools/gauge_model.h"

namespace testsupport {

// A serial port whose far end is the gauge model. Replies become pending as soon as a command is
// written; a piece size makes each read take only that many bytes, as a slow line would deliver
// them. Faults: a missing or busy port, and a line that fails under the program (unplugged).
class FakePort : public serial::SerialPort {
public:
    explicit FakePort(gaugesim::GaugeConfig config = {});

    void setPortNumber(std::int16_t number) override;
    void setLineSettings(std::string_view settings) override;
    void setIntegerOption(std::int32_t value) override { m_integerOption = value; }
    void open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void writeText(std::string_view text) override;
    std::string readAllPending() override;

    gaugesim::GaugeModel& gauge() { return m_gauge; }
    // Text the gauge sends unasked (late answers, noise) joins the pending input.
    void injectInput(std::string_view text) { m_pending += text; }
    // Replies are held back until released, like an answer still on its way.
    void holdReplies(bool hold) { m_holdReplies = hold; }
    void releaseHeldReplies();
    void setPieceSize(std::size_t bytes) { m_pieceSize = bytes; }
    // Port numbers that exist; by default 1 to 16 all do.
    void setPortExists(bool exists) { m_portExists = exists; }
    void setHeldByAnotherProgram(bool held) { m_heldElsewhere = held; }
    // The adapter is pulled out: the next read or write fails and the port closes.
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
    void failIfUnusable(const char* what);
    std::string device() const;

    gaugesim::GaugeModel m_gauge;
    std::string m_written;
    std::string m_pending;
    std::string m_held;
    bool m_holdReplies = false;
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
