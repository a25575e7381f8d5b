#pragma once
// TMainForm, the main window "Zef Web": a multiple-document frame around the
// one document window, with the menus, the tool bar of five buttons, the
// two-panel status bar and the page history menu. It owns no page state:
// every page command calls the document window.

#include "app/window/ShellDialogs.h"
#include "app/window/PagePrinting.h"
#include "app/window/ShellWindows.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <string>
#include <vector>

class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMdiArea;
class QMenu;
class QToolButton;
class TSearchWindow;

// The commands of the menus and the tool bar, for the document window and tests.
struct TMainCommands {
    static constexpr int kHistoryEntries = 10;

    QAction* Open = nullptr;
    QAction* Save = nullptr;
    QAction* Properties = nullptr;
    QAction* Print = nullptr;         // Ctrl+P
    QAction* PrintPreview = nullptr;
    QAction* ExportPdf = nullptr;
    // The pages opened last, newest first; hidden while unused.
    static constexpr int kRecentFiles = 8;
    std::array<QAction*, kRecentFiles> RecentFiles{};
    QAction* Quit = nullptr;
    QMenu* EditMenu = nullptr;
    QAction* Copy = nullptr;
    QAction* SelectAll = nullptr;
    QAction* Find = nullptr;
    QAction* FindNext = nullptr;     // F3, in no menu
    QAction* SearchPages = nullptr;
    QAction* FindPrevious = nullptr; // Shift+F3, in no menu
    QAction* GoToAddress = nullptr;  // Ctrl+L, in no menu
    QAction* Source = nullptr;
    QAction* Back = nullptr;
    QAction* Forward = nullptr;
    QAction* Reload = nullptr;
    QAction* HistorySeparator = nullptr;
    std::array<QAction*, kHistoryEntries> History{};
    QAction* ViewImages = nullptr;
    QAction* ViewPngImages = nullptr;
    QAction* Font = nullptr;
    QAction* ZoomIn = nullptr;        // Ctrl++ and Ctrl+=
    QAction* ZoomOut = nullptr;       // Ctrl+-
    QAction* ZoomNormal = nullptr;    // Ctrl+0
    QAction* PrintBackground = nullptr;
    QAction* Calendar = nullptr;
    QAction* Calculator = nullptr;
    QAction* Clock = nullptr;
    QAction* Notepad = nullptr;
    QAction* About = nullptr;
    QToolButton* OpenButton = nullptr;
    QToolButton* SaveButton = nullptr;
    QToolButton* BackButton = nullptr;
    QToolButton* ForwardButton = nullptr;
    QToolButton* ReloadButton = nullptr;
};

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kToolPanelHeight = 33;
    static constexpr int kClockPanelWidth = 50;
    // Panel 0 of the status bar leaves this much of the window's width.
    static constexpr int kStatusPanelMargin = 100;
    static constexpr int kHistoryCaptionLength = 80;

    // The first command-line argument, when there is one, is opened as an
    // HTML page when the window is first shown.
    TMainForm(TShellWindows& windows, const TShellServices& services, std::vector<std::string> arguments);

    // Enables the page commands after a file has been opened; never disables.
    void Valide();
    // Rebuilds the ten history entries of the "&Navigation" menu.
    void MajHisto(const std::vector<std::string>& history, const std::vector<std::string>& titleHistory,
                  int historyIndex);

    // Set by the document window.
    void SetStatusText(const QString& text);
    // "Zef Web", or "Zef Web - " and the title (Windows-1252) when there is one.
    void SetPageCaption(const std::string& title);
    void EnableBack(bool enabled);
    void EnableForward(bool enabled);
    // "&Recharger", "Actualiser", "&Ouvrir..." and the open button.
    void EnableLoadCommands(bool enabled);

    QMdiArea& MdiArea() const { return *mdiArea_; }
    const TMainCommands& Commands() const { return commands_; }
    QLabel& StatusPanel(int index) const { return index == 0 ? *hintPanel_ : *clockPanel_; }
    // Shows the zoom while it is not 100 %.
    QLabel& ZoomPanel() const { return *zoomPanel_; }
    const std::string& StartupFolder() const { return startupFolder_; }
    const std::string& HelpFileName() const { return helpFileName_; }
    // "Rechercher dans les pages", made when first asked for; null before.
    TSearchWindow* SearchWindow() const { return searchWindow_; }
    // The program's own file failed its check: the message loop is told to
    // end, with exit code 1.
    bool EndRequested() const { return endRequested_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A file dropped on the window opens as the open dialog's filters say.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    void CreateShortcuts();
    void CreateToolPanel(QWidget* parent);
    void CreateStatusBar();
    void CreatePrintCommands(QMenu* fileMenu);
    void CreateZoomMenu(QMenu* optionsMenu);
    // The page's zoom from the settings, and the page telling its changes.
    void ConnectZoom();
    void ShowZoom(int percent);
    TPagePrinting Printing();
    QToolButton* AddToolButton(QWidget* panel, int x, const char* hint, const QIcon& picture,
                               void (TMainForm::*action)());
    void FormShow();
    void EndForChangedProgram();
    void ShowTime();

    // Menu and button actions.
    void OpenCommand();
    void SaveCommand();
    void PropertiesCommand();
    void CopyCommand();
    void SelectAllCommand();
    void FindCommand();
    void FindNextCommand();
    void SearchPagesCommand();
    void OpenFoundPage(const std::string& path, const std::string& found, int line);
    void SourceCommand();
    void BackCommand();
    void ForwardCommand();
    void ReloadCommand();
    void ViewImagesCommand();
    void ViewPngImagesCommand();
    void ApplyPngPictures();
    void FontCommand();
    // Opens the file as the open dialog would, and lists it among the recent files.
    void OpenFile(const TOpenChoice& choice);
    void RememberRecent(const TOpenChoice& choice);
    void ShowRecentFiles();
    void ShowModal(QDialog* window);

    TShellWindows& windows_;
    TShellServices services_;
    std::vector<std::string> arguments_;
    TMainCommands commands_;
    QMdiArea* mdiArea_ = nullptr;
    QLabel* hintPanel_ = nullptr;
    QLabel* clockPanel_ = nullptr;
    QLabel* zoomPanel_ = nullptr;
    QTimer clockTimer_;
    TOpenChoice lastOpen_;
    TSearchWindow* searchWindow_ = nullptr;
    std::vector<TOpenChoice> recentFiles_;
    QAction* recentSeparator_ = nullptr;
    std::string startupFolder_;
    std::string helpFileName_;
    bool shownBefore_ = false;
    bool endRequested_ = false;
};
