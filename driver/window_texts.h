#pragma once

#include <string_view>

namespace driver {

inline constexpr std::string_view kCaption =
    "Harlund Instruments QORB Memory to File (V1.02  02/23/2018)";
inline constexpr std::string_view kApplicationTitle = "QORB Memory to File";

inline constexpr std::string_view kHelpText =
    "********************* Transfer Memory Points to File *********************\r\n\n"
    "1 - Check or uncheck Save File includes to include or not include data in transfer\r\n"
    "2 - If the port shows Invalid port, point the mouse at it (a screen reader reads it as its "
    "description) to see why and what to do\r\n";

inline constexpr std::string_view kProductName = "QORB_MemoryToFile";
inline constexpr std::string_view kCaptionVersion = "V1.02  02/23/2018";
// The texts stand as the system has them; a new product version must be a new caption too.
static_assert(kCaptionVersion.starts_with("V" QORB_VERSION "  "));
static_assert(kCaption.find(kCaptionVersion) != std::string_view::npos);
inline constexpr std::string_view kFileVersion = "1.00";

// How a download's record says it ended when the window was closed during the transfer.
inline constexpr std::string_view kEndedByExit = "Ended by Exit during the transfer";

inline constexpr std::string_view kOpenDialogTitle = "Select File to Open";
inline constexpr std::string_view kOpenDialogFilter = "Text Files (*.txt)|*.txt";

}  // namespace driver
