#include "cli/port_actions.h"

#include <QEventLoop>
#include <QSerialPortInfo>
#include <QStringList>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "cli/session.h"
#include "gauge/version_query.h"
#include "serial/port_device.h"
#include "serial/port_diagnosis.h"
#include "serial/port_observation.h"
#include "serial/port_selection.h"
#include "settings/settings_folders.h"

namespace cli {

namespace {

struct PortFound {
    std::int16_t number = 0;  // 0: no "Com N" reaches it
    std::string device;
    std::string how;
};

// A port the system lists, under the name it is opened by: on Windows "COM3", which Qt's system
// location prefixes with \\.\.
struct SystemPort {
    std::string location;
    QSerialPortInfo info;
};

std::vector<SystemPort> systemPortList() {
    std::vector<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef _WIN32
        ports.push_back({info.portName().toStdString(), info});
#else
        ports.push_back({info.systemLocation().toStdString(), info});
#endif
    }
    std::sort(ports.begin(), ports.end(), [](const SystemPort& a, const SystemPort& b) {
        return serial::devicePathLess(a.location, b.location);
    });
    return ports;
}

// The link's full path tells which folder it came from: the per-user folder or the program's.
std::string howFound([[maybe_unused]] std::int16_t number,
                     [[maybe_unused]] const std::vector<std::string>& linkFolders) {
#ifdef _WIN32
    return "the system's name";
#else
    const std::optional<std::string> link = serial::comLink(number, linkFolders);
    if (link) {
        return "link " + *link;
    }
    return "number " + std::to_string(number) + " in the system's list";
#endif
}

// Every port the numbers reach, then the system's ports that none of them reaches.
std::vector<PortFound> listedPorts(const std::vector<std::string>& linkFolders,
                                   const std::vector<SystemPort>& systemPorts) {
    std::vector<std::string> locations;
    locations.reserve(systemPorts.size());
    for (const SystemPort& port : systemPorts) {
        locations.push_back(port.location);
    }
    std::vector<PortFound> ports;
    for (std::int16_t number = serial::kFirstPortNumber; number <= serial::kLastPortNumber;
         ++number) {
        if (const auto device = serial::portDevice(number, linkFolders, locations)) {
            ports.push_back({number, *device, howFound(number, linkFolders)});
        }
    }
    for (const std::string& location : locations) {
        const bool reached = std::any_of(ports.begin(), ports.end(), [&](const PortFound& port) {
            return port.device == location;
        });
        if (!reached) {
            ports.push_back({0, location, {}});
        }
    }
    return ports;
}

// What the system tells of a port: for a USB adapter its maker's description, serial number and
// identifiers, by which the gauge's adapter is told from others.
std::string described(const std::string& device, const std::vector<SystemPort>& systemPorts) {
    const auto port = std::find_if(systemPorts.begin(), systemPorts.end(),
                                   [&](const SystemPort& p) { return p.location == device; });
    if (port == systemPorts.end()) {
        return "not among the system's serial ports";
    }
    const QSerialPortInfo& info = port->info;
    QStringList known;
    const auto add = [&known](const QString& name, const QString& value) {
        if (!value.isEmpty()) {
            known << name + value;
        }
    };
    add({}, info.description());
    add(QStringLiteral("manufacturer "), info.manufacturer());
    add(QStringLiteral("serial number "), info.serialNumber());
    if (info.hasVendorIdentifier()) {  // a USB device, which has both identifiers
        known << QStringLiteral("USB %1:%2")
                     .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                     .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
    }
    if (known.isEmpty()) {
        return "nothing more known";
    }
    return known.join(QStringLiteral(", ")).toStdString();
}

#ifndef _WIN32
// Free, or why not, without opening the port: an open would change the line settings under a
// program that has the port, and some ports (a Bluetooth link) block an open for seconds. Windows
// tells nothing of a port's holders without opening it: nothing is said there.
std::string portState(const std::string& device) {
    serial::PortObservation seen;
    seen.device = device;
    seen.refusal = serial::OpenRefusal::NotTried;
    serial::observeSystem(seen);
    return serial::diagnosePort(seen).state;
}
#endif

std::string portName(const PortFound& port) {
    if (port.number == 0) {
        return port.device;
    }
    return port.device + " (Com " + std::to_string(port.number) + ")";
}

// The raw answer the version query shows after its second; nothing when the port would not open.
std::optional<std::string> askVersion(Session& session, std::string& failure) {
    if (!session.connect(failure)) {
        return std::nullopt;
    }
    QEventLoop loop;
    session.view().onLabelText([&loop](view::Label label, const std::string& text) {
        if (label == view::Label::lblDebug && text != gauge::kGettingVersion) {
            loop.quit();
        }
    });
    session.pressGetVersion();
    loop.exec();
    session.closePort();
    return session.view().labelText(view::Label::lblDebug);
}

}  // namespace

ExitStatus runVersionQuery(const Options& options, const std::string& programFolder) {
    Session session(options, programFolder);
    std::string failure;
    const std::optional<std::string> answer = askVersion(session, failure);
    if (!answer) {
        std::fprintf(stderr, "%s: %s\n", std::string(serial::kInvalidPort).c_str(),
                     failure.c_str());
        return ExitStatus::PortUnavailable;
    }
    if (answer->empty()) {
        std::string port = std::string(serial::kPortEntryPrefix) +
                           std::to_string(session.view().selectedListIndex(view::List::Combo1) + 1);
        if (options.port && !options.port->device.empty()) {
            port = options.port->device;
        }
        std::fprintf(stderr, "No answer from the gauge on %s within one second\n", port.c_str());
        return ExitStatus::ReplyTimeout;
    }
#ifdef _WIN32
    // The gauge's bytes as they came: a text-mode stream would turn its LF into CR LF.
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::fwrite(answer->data(), 1, answer->size(), stdout);
    return ExitStatus::Complete;
}

ExitStatus runListPorts(const std::string& programFolder) {
    const std::vector<SystemPort> systemPorts = systemPortList();
    bool othersHeaded = false;
    const settings::SettingsFolders folders = settings::settingsFoldersFor(programFolder);
#ifndef _WIN32
    std::string searched;
    for (const std::string& folder : folders.linkFolders) {
        searched += (searched.empty() ? "" : ", then ") + folder;
    }
    std::printf("comN links are looked for in %s\n", searched.c_str());
#endif
    for (const PortFound& port : listedPorts(folders.linkFolders, systemPorts)) {
        std::string name;  // none for a port no number reaches
        std::string details = described(port.device, systemPorts);
        if (port.number != 0) {
            name = "Com " + std::to_string(port.number);
            details.insert(0, "; ").insert(0, port.how);
        } else if (!othersHeaded) {
            std::printf("Other ports, for --port PATH:\n");
            othersHeaded = true;
        }
        std::printf("%-7s %s  (%s)\n", name.c_str(), port.device.c_str(), details.c_str());
#ifndef _WIN32
        std::printf("        state: %s\n", portState(port.device).c_str());
#endif
    }
    return ExitStatus::Complete;
}

ExitStatus runFindGauge(const Options& options, const std::string& programFolder) {
    bool found = false;
    const settings::SettingsFolders folders = settings::settingsFoldersFor(programFolder);
    for (const PortFound& port : listedPorts(folders.linkFolders, systemPortList())) {
        Options choice = options;
        choice.port = PortChoice{std::nullopt, port.device};
        Session session(choice, programFolder);
        std::string failure;
        const std::optional<std::string> answer = askVersion(session, failure);
        if (!answer) {
            std::string why = failure;  // its fix on a line of its own, indented under the port
            for (std::size_t at = why.find('\n'); at != std::string::npos;
                 at = why.find('\n', at + 1)) {
                why.insert(at + 1, "    ");
            }
            std::printf("%s: skipped: %s\n", portName(port).c_str(), why.c_str());
        } else if (answer->empty()) {
            std::printf("%s: no answer\n", portName(port).c_str());
        } else {
            std::printf("%s: answers %s\n", portName(port).c_str(),
                        gauge::withoutLineEnd(*answer).c_str());
            found = true;
        }
        std::fflush(stdout);
    }
    return found ? ExitStatus::Complete : ExitStatus::PortUnavailable;
}

}  // namespace cli
