#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "history/history_choices.h"
#include "pointsfile/summary_choices.h"
#include "view/controls.h"

namespace view {

// What a save dialog is prepared with before it is shown.
struct SaveDialogRequest {
    std::string title;
    std::string defaultName;
    std::string defaultExtension;
    // Description and pattern pairs separated by '|': "Text Files (*.txt)|*.txt".
    std::string filter;
    bool askBeforeReplacing = false;
};

// What an open dialog is prepared with.
struct OpenDialogRequest {
    std::string title;
    std::string filter;
};

class DownloadsBrowser;

// What the Download History dialog asks of the core while it is open.
class HistoryDialogActions {
public:
    virtual ~HistoryDialogActions() = default;
    // The history the choices name, in words: its downloads and what waits to be sent, or why it
    // cannot serve.
    virtual std::string stateOf(const history::HistoryChoices& choices) = 0;
    // Why the choices cannot be taken (a password in the connection string); empty when they can.
    virtual std::string refusalOf(const history::HistoryChoices& choices) = 0;
    // Connects to the plant database and says what it found, in one line. It may take seconds, so
    // the dialog calls it off the window's thread; it touches nothing but the connection.
    virtual std::string testConnection(const std::string& database) = 0;
    // What its Downloads window reads: the plant database when the choices name one, else their
    // history file.
    virtual std::unique_ptr<DownloadsBrowser> browseDownloads(
        const history::HistoryChoices& choices) = 0;
};

// The window as the core sees it. Every operation either does what is asked or throws (a
// RefusedValue for a value a control does not take); none shows a message of its own. Only
// the message box and the dialogs return to the event loop before they return, so timer ticks
// may reach the core while they are open.
class View {
public:
    virtual ~View() = default;

    // CR and LF in the text start new lines; a text longer than the label shows its beginning.
    virtual void setLabelText(Label label, std::string_view text) = 0;
    // What lies behind a label's text and what to do about it, shown on hover and read by a screen
    // reader after the text; empty clears it. A front end with neither may leave it out.
    virtual void setLabelDetail(Label /*label*/, std::string_view /*detail*/) {}

    // 0 clear, 1 ticked, 2 greyed; any other value is refused.
    virtual std::int16_t checkBoxValue(CheckBox checkBox) const = 0;
    virtual void setCheckBoxValue(CheckBox checkBox, std::int16_t value) = 0;

    virtual void addListEntry(List list, std::string_view text) = 0;
    // -1 selects nothing; an index that names no entry is refused.
    virtual void selectListEntry(List list, std::int16_t index) = 0;
    virtual std::int16_t selectedListIndex(List list) const = 0;

    // A new upper bound below the current position is taken; the position moves inside.
    virtual void setProgressRange(int upper, int lower) = 0;
    virtual void setProgressPosition(int position) = 0;

    virtual void setTimerPeriod(Timer timer, int milliseconds) = 0;
    // First tick one period after the start, then once a period; a start counts afresh.
    virtual void setTimerRunning(Timer timer, bool running) = 0;

    // A checkable menu entry's tick.
    virtual void setMenuChecked(Menu menu, bool checked) = 0;

    // Modal, OK only, the application's title.
    virtual void showMessageBox(std::string_view text, MessageIcon icon) = 0;
    // Modal save form; the full path chosen, or nothing when the operator cancels.
    virtual std::optional<std::string> askSaveFileName(SaveDialog dialog,
                                                       const SaveDialogRequest& request) = 0;

    // Modal open form; the full path chosen, or nothing when the operator cancels.
    virtual std::optional<std::string> askOpenFileName(const OpenDialogRequest& request) = 0;

    // Modal Tolerance Limits dialog, filled with the current limits; the limits taken, or nothing
    // when the operator cancels. Only the window has one.
    virtual std::optional<pointsfile::SummaryChoices> askToleranceLimits(
        const pointsfile::SummaryChoices& /*current*/) {
        return std::nullopt;
    }

    // Modal Download History dialog, filled with the current choices; the choices taken (those
    // `actions` refuses are not), or nothing when the operator cancels. Only the window has one.
    virtual std::optional<history::HistoryChoices> askHistoryChoices(
        const history::HistoryChoices& /*current*/, HistoryDialogActions& /*actions*/) {
        return std::nullopt;
    }

    // The folder that holds the program's executable, without a trailing separator.
    virtual std::string programFolder() const = 0;
    virtual void unloadWindow() = 0;
    virtual void endProgram() = 0;
};

}  // namespace view
