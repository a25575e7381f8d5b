#pragma once
// "Rechercher dans les pages": a window that searches the pages of a folder
// as words are typed, and lists the broken links of the same folder. The
// index is brought up to date each time a search starts (the window is
// shown, or another folder is chosen) on a background thread, with its
// progress and a cancel button in the status bar; meanwhile the window
// keeps searching what is already indexed. Enter or a double click on a
// result asks for the page with the first match marked; a double click on a
// broken link asks for its page at its line.

#include "app/search/LinkCheck.h"
#include "app/search/SearchIndex.h"

#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

class TSearchWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kResultLimit = 100;

    // Opens the page (full path, UTF-8) and marks `found` (the page's text,
    // UTF-8) as the find command does; `found` is empty for a broken link,
    // whose line is given instead.
    using TOpenPage = std::function<void(const std::string& path, const std::string& found, int line)>;
    // Asks for a folder, starting at the current one; nothing when cancelled.
    using TAskFolder = std::function<std::optional<std::string>(QWidget* parent, const std::string& current)>;

    TSearchWindow(QWidget* parent, std::string indexFile, TOpenPage openPage);
    ~TSearchWindow() override;

    // Shows the window on the folder and brings its index up to date.
    void Start(const std::string& folder);
    void SetAskFolder(TAskFolder askFolder) { askFolder_ = std::move(askFolder); }

    const std::string& Folder() const { return folder_; }
    QLineEdit& QueryBox() const { return *queryBox_; }
    QTreeWidget& Results() const { return *results_; }
    QTreeWidget& BrokenLinks() const { return *brokenLinks_; }
    QPushButton& BrowseButton() const { return *browseButton_; }
    QPushButton& CheckButton() const { return *checkButton_; }
    QPushButton& CancelButton() const { return *cancelButton_; }
    QStatusBar& StatusBar() const { return *statusBar_; }
    // Whether an update or a link check runs in the background.
    bool Busy() const { return worker_.joinable(); }
    // Waits for the background work to end and takes its result (tests).
    void WaitForWork();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowResults();
    void ShowSnippetsInView();
    // Makes the result's snippet, once.
    void ShowSnippet(QTreeWidgetItem* item);
    void OpenResult(QTreeWidgetItem* item);
    void OpenBrokenLink(QTreeWidgetItem* item);
    void Browse();
    void CheckLinks();
    void StartUpdate();
    void UpdateEnded(const TIndexReport& report, const std::string& notice);
    void LinksChecked(const TLinkReport& report);
    template <typename TWork> void RunInBackground(TWork work);
    void EndWork();
    void ShowProgress(int done, int total);
    TSearchIndex* Index();

    std::string indexFile_;
    TOpenPage openPage_;
    TAskFolder askFolder_;
    std::string folder_;
    // The query whose results are listed.
    std::string shownQuery_;
    std::unique_ptr<TSearchIndex> index_;
    // What opening the index had to say (a damaged file set aside).
    std::string notice_;
    std::thread worker_;
    std::atomic<bool> cancel_ = false;
    // Numbers each background work: the reports of one stopped for a newer
    // one (another folder chosen) are dropped when they arrive.
    int workNumber_ = 0;

    QLineEdit* queryBox_;
    QLabel* folderLabel_;
    QPushButton* browseButton_;
    QPushButton* checkButton_;
    QTabWidget* tabs_;
    QTreeWidget* results_;
    QTreeWidget* brokenLinks_;
    QStatusBar* statusBar_;
    QProgressBar* progress_;
    QPushButton* cancelButton_;
};

// The first words marked in a snippet, else nothing.
std::string FirstMarkedText(const std::string& snippet);
