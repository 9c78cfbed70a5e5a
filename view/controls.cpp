#include "view/controls.h"

namespace view {

std::string_view controlName(CheckBox checkBox) {
    switch (checkBox) {
        case CheckBox::chkIncludeStatistics:
            return "chkIncludeStatistics";
        case CheckBox::chkIncludeDeletedItem:
            return "chkIncludeDeletedItem";
        case CheckBox::CheckUseSpaceDelimiters:
            return "CheckUseSpaceDelimiters";
    }
    return "check box";
}

std::string_view controlName(List list) {
    switch (list) {
        case List::Combo1:
            return "Combo1";
        case List::Combo2:
            return "Combo2";
    }
    return "list";
}

std::string_view controlName(Timer timer) {
    switch (timer) {
        case Timer::timerCheckData:
            return "timerCheckData";
        case Timer::tmrCheckTimeout:
            return "tmrCheckTimeout";
        case Timer::tmrVersion:
            return "tmrVersion";
        case Timer::tmrReplyGap:
            return "tmrReplyGap";
    }
    return "timer";
}

std::string_view controlName(SaveDialog dialog) {
    switch (dialog) {
        case SaveDialog::CD:
            return "CD";
        case SaveDialog::BrowseDialog:
            return "BrowseDialog";
    }
    return "dialog";
}

}  // namespace view
