#pragma once

#include <QMainWindow>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "driver/window_core.h"
#include "history/background_sender.h"
#include "view/view.h"

class QAction;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;

namespace app {

// The program's one window. It places the controls, offers them to the core through view::View
// and forwards every event to the core; it holds no logic of its own.
class Form1 : public QMainWindow, public view::View {
    Q_OBJECT

public:
    // The client area in twips (15 to a pixel at 96 dpi).
    static constexpr int kClientWidthTwips = 12480;
    static constexpr int kClientHeightTwips = 8625;

    Form1(serial::SerialPort& port, pointsfile::FileTable& files, QWidget* parent = nullptr);
    ~Form1() override;

    // The window's load event; runs before the window is first shown.
    void load();

    // The uniform factor on top of 1/15 pixel per twip: the smallest that lets every caption show
    // whole in the window's font.
    double scale() const { return m_scale; }
    int twipsToPixels(int twips) const;

    // Where the settings file lives; the executable's folder unless set.
    void setProgramFolder(std::string folder) { m_programFolder = std::move(folder); }
    bool ended() const { return m_ended; }

    // --- view::View
    void setLabelText(view::Label label, std::string_view text) override;
    void setLabelDetail(view::Label label, std::string_view detail) override;
    std::int16_t checkBoxValue(view::CheckBox checkBox) const override;
    void setCheckBoxValue(view::CheckBox checkBox, std::int16_t value) override;
    void addListEntry(view::List list, std::string_view text) override;
    void selectListEntry(view::List list, std::int16_t index) override;
    std::int16_t selectedListIndex(view::List list) const override;
    void setProgressRange(int upper, int lower) override;
    void setProgressPosition(int position) override;
    void setTimerPeriod(view::Timer timer, int milliseconds) override;
    void setTimerRunning(view::Timer timer, bool running) override;
    void setMenuChecked(view::Menu menu, bool checked) override;
    void showMessageBox(std::string_view text, view::MessageIcon icon) override;
    std::optional<std::string> askSaveFileName(view::SaveDialog dialog,
                                               const view::SaveDialogRequest& request) override;
    std::optional<std::string> askOpenFileName(const view::OpenDialogRequest& request) override;
    std::optional<pointsfile::SummaryChoices> askToleranceLimits(
        const pointsfile::SummaryChoices& current) override;
    std::optional<history::HistoryChoices> askHistoryChoices(
        const history::HistoryChoices& current, view::HistoryDialogActions& actions) override;
    std::string programFolder() const override;
    void unloadWindow() override;
    void endProgram() override;

    // The controls, named as on the window.
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QPushButton* cmdSetNewBaudRate = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdGetVersion = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdGetMemoryPoints = nullptr;
    QLabel* lblPortConfigured = nullptr;
    QLabel* lblDebug = nullptr;
    QLabel* lblPointsToTransfer = nullptr;
    QLabel* lblPointsCollected = nullptr;
    QLabel* lblEndResult = nullptr;
    QCheckBox* chkIncludeStatistics = nullptr;
    QCheckBox* chkIncludeDeletedItem = nullptr;
    QCheckBox* CheckUseSpaceDelimiters = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QMenu* FileMenu = nullptr;
    QAction* OpenMenu = nullptr;
    QAction* SaveMenu = nullptr;
    QAction* ExitMenu = nullptr;
    QMenu* OptionsMenu = nullptr;
    QAction* LineSpeedMenu = nullptr;
    QAction* DateTimeNameMenu = nullptr;
    QAction* ToleranceLimitsMenu = nullptr;
    QAction* DownloadHistoryMenu = nullptr;
    QAction* InfoMenu = nullptr;
    QTimer* timerCheckData = nullptr;
    QTimer* tmrCheckTimeout = nullptr;
    QTimer* tmrVersion = nullptr;
    QTimer* tmrReplyGap = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A control and its place in twips, inside its container.
    struct Placement {
        QWidget* widget;
        int left;
        int top;
        int width;
        int height;
    };

    void createControls();
    void createMenu();
    void chooseFont();
    double fittingScale() const;
    void placeControls();
    void orderTabs();
    void connectEvents(serial::SerialPort& port);

    // Every event reaches the core through here: an exception that no handler caught is shown
    // in a message box and the program goes on. Nothing runs once the program has ended.
    void guarded(const std::function<void()>& handler);

    QLabel* label(view::Label label) const;
    QCheckBox* checkBox(view::CheckBox checkBox) const;
    QComboBox* list(view::List list) const;
    QTimer* timer(view::Timer timer) const;

    // Before the core, which holds it, and after it in destruction: a send under way ends first.
    history::BackgroundSender m_sender;
    driver::WindowCore m_core;
    QWidget* m_client = nullptr;
    std::vector<Placement> m_placements;
    // Controls whose caption must show whole.
    std::vector<QWidget*> m_captioned;
    double m_scale = 1.0;
    std::optional<std::string> m_programFolder;
    bool m_ended = false;
};

}  // namespace app
