#pragma once

#include <string_view>

namespace view {

// The controls that the window offers to the core; each keeps the name it has on the window.
enum class Label {
    lblPortConfigured,
    lblDebug,
    lblPointsToTransfer,
    lblPointsCollected,
    lblEndResult
};
enum class CheckBox { chkIncludeStatistics, chkIncludeDeletedItem, CheckUseSpaceDelimiters };
enum class List { Combo1, Combo2 };
// tmrReplyGap keeps the line pace's gap between a reply and the next command.
enum class Timer { timerCheckData, tmrCheckTimeout, tmrVersion, tmrReplyGap };
enum class Menu { LineSpeedMenu, DateTimeNameMenu };
enum class SaveDialog { CD, BrowseDialog };
enum class MessageIcon { None, Exclamation };

std::string_view controlName(CheckBox checkBox);
std::string_view controlName(List list);
std::string_view controlName(Timer timer);
std::string_view controlName(SaveDialog dialog);

}  // namespace view
