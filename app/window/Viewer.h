#pragma once
// TViewer, the one document window: the address box over the viewer control,
// maximised and frameless in the main window. It answers the control's
// events (links, history, includes, background sounds, timed refreshes,
// images, form submissions) and carries out the main window's page commands.

#include "app/files/PageIncludes.h"
#include "app/window/ShellDialogs.h"
#include "app/window/ShellWindows.h"

#include <QColor>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class TFindDialog;
class THtmlPane;
class TImageObj;
struct TFindOptions;
struct TPageLook;
struct TRightClickParameters;
struct TUrlTarget;
enum class TMediaNotice;

class TViewer : public QWidget {
    Q_OBJECT

public:
    static constexpr int kAddressPanelHeight = 33;
    static constexpr int kAddressBoxX = 60;
    // The address box leaves this much of the window's width.
    static constexpr int kAddressBoxMargin = 80;
    static constexpr int kHistoryMaxCount = 10;
    // A negative LOOP plays a background sound this many times.
    static constexpr int kEndlessRepeats = 9999;
    // Link arguments are cut to this many characters.
    static constexpr std::size_t kMaxNameLength = 255;

    // Becomes the only child of the main window's document area.
    TViewer(TShellWindows& windows, const TShellServices& services);
    ~TViewer() override;

    // The main window's page commands.
    void Ouvrir(const TOpenChoice& choice);
    void Copier();
    void Toutsel();
    void Recharger();
    void Polices();
    void Rechercher();
    // The last search again, downwards (F3) or upwards (Shift+F3), from where
    // it stopped; the find dialog when nothing has been searched yet.
    void RechercherSuivant();
    void RechercherPrecedent();
    // The keyboard focus to the address box, its text selected.
    void ActiverAdresse();
    void Precedent();
    void Suivant();
    void Historique(int index);
    void Source();
    // A file the source editor wrote: the page shown from it is shown again,
    // at the same place.
    void PageFileSaved(const std::string& fileName);
    void Attributs();
    void Sauver();

    // The refresh timer's tick.
    void RefreshTimerTimer();

    THtmlPane& Pane() const { return *htmlPane1_; }
    QLineEdit& AddressBox() const { return *addressBox_; }
    TFindDialog& FindDialog() const { return *findDialog_; }
    // The page's menu (right click, Menu key), made anew each time.
    QMenu& PageMenu() const { return *pageMenu_; }
    const QTimer& RefreshTimer() const { return refreshTimer_; }
    // The file the window last opened or was sent to (UTF-8).
    const std::string& FileName() const { return fileName_; }
    int RepeatCount() const { return repeatCount_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Escape in the address box puts back the name of the page shown.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyPageLook(const TPageLook& look);
    TPageLook CurrentPageLook() const;
    void ConnectPane();
    void ShowPageCaption();
    void UpdateNavigation();
    // Runs a loader and shows its error, as the message loop would.
    template <typename TLoad> void ReportingErrors(TLoad load);

    // The control's events.
    void htmlPane1HotSpotCovered(const std::string& url);
    void htmlPane1HotSpotClick(const std::string& url, bool& handled);
    // Asks first; a program that is no file is refused as a missing page is,
    // one that may not be run is refused with its cause.
    void RunProgram(const std::string& program, const std::string& arguments);
    void OpenAddressOnDesktop(const std::string& link);
    void TellNoDesktopProgram(const std::string& target);
    void htmlPane1HistoryChange();
    void htmlPane1Processing(bool processingOn);
    void htmlPane1SoundRequest(THtmlPane& sender, const std::string& url, int loop, bool terminate);
    void htmlPane1MetaRefresh(int delay, const std::string& url);
    void htmlPane1RightClick(const TRightClickParameters& parameters);
    // Keeps the picture under the pointer for the menu's picture items.
    void TakeClickedImage(TImageObj* image);
    void FillPageMenu(const TUrlTarget& link);
    void CopyLinkAddress(const std::string& url);
    void htmlPane1FormSubmit(const std::string& action, const std::string& method,
                             const std::vector<std::string>& results);
    void MediaNotify(TMediaNotice notice);
    void AddressBoxEnter();
    // A relative name typed is looked for in the shown page's folder first.
    std::string TypedFileName(const std::string& typed) const;
    void LoadByExtension(const std::string& fileName);
    void ShowPageAddress();
    void FindNext(const std::string& text, const TFindOptions& options);
    void MarkFound();

    // The image menu.
    void ViewImage();
    void CopyImage();
    void SaveImage();

    TShellWindows& windows_;
    TShellServices services_;
    QLabel* addressLabel_;
    QLineEdit* addressBox_;
    THtmlPane* htmlPane1_;
    TFindDialog* findDialog_;
    QMenu* pageMenu_;
    QTimer refreshTimer_;
    std::string fileName_;
    int repeatCount_ = 0;
    // The picture of the image last right-clicked, taken at the click so that
    // the menu never reaches into a page that has been replaced since.
    QImage clickedImage_;
    QImage clickedMask_;  // white where a still picture is transparent
    QColor clickedBackground_;
    std::string refreshTarget_;
    std::string refreshOrigin_;
    TPageIncludes includes_;
};
