#include "app/window/MainForm.h"

#include "app/window/Settings.h"

#include "app/window/AboutBox.h"
#include "app/window/Editeur.h"
#include "app/files/FileNameText.h"
#include "app/search/PageText.h"
#include "app/search/SearchWindow.h"
#include "app/window/ToolPictures.h"
#include "app/window/Viewer.h"
#include "accessories/Blocnotes.h"
#include "accessories/Calendrier.h"
#include "accessories/Horloge.h"
#include "accessories/Pocket.h"
#include "engine/base/Cp1252.h"
#include "engine/viewer/HtmlPane.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTime>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

// Windows-1252. Hints are "short|long": the short part is the tool tip, the
// long part the status bar text; a hint without "|" is both.
constexpr const char* kCaption = "Zef Web";
constexpr const char* kCaptionSeparator = " - ";
constexpr const char* kHelpFile = "/ZefWeb.hlp";
constexpr const char* kTimeFormat = "HH:mm:ss";
constexpr const char* kHistoryTitleSeparator = "--";

struct TMenuText {
    const char* Caption;
    const char* Hint;
};

constexpr TMenuText kOpen{"&Ouvrir...", "Ouvrir un fichier"};
constexpr TMenuText kSave{"&Enregistrer", "Enregistrer le fichier en cours"};
constexpr TMenuText kProperties{"&Propriétés", "Propriétés de la page"};
constexpr TMenuText kQuit{"&Quitter", "Quitter l'application"};
constexpr TMenuText kCopy{"Co&pier", "Copier"};
constexpr TMenuText kSelectAll{"&Tout sélectionner", "Tout sélectionner"};
constexpr TMenuText kFind{"&Rechercher...", "Rechercher"};
constexpr TMenuText kSearchPages{"Rechercher dans les pa&ges...", "Rechercher dans les pages d'un dossier"};
constexpr TMenuText kSource{"&Source", "Voir source"};
constexpr TMenuText kBack{"&Précédente", "Page précédente"};
constexpr TMenuText kForward{"&Suivante", "Page suivante"};
constexpr TMenuText kReload{"&Recharger", "Recharger la page"};
constexpr TMenuText kViewImages{"&Afficher les images", "Afficher les images"};
constexpr TMenuText kViewPngImages{"Afficher les images P&NG", "Afficher les images PNG"};
constexpr TMenuText kFont{"&Police...", "Police et couleurs par défaut"};
constexpr TMenuText kPrint{"&Imprimer...", "Imprimer la page"};
constexpr TMenuText kPrintPreview{"Aperçu a&vant impression", "Voir la page telle qu'elle sera imprimée"};
constexpr TMenuText kExportPdf{"Exporter en P&DF...", "Enregistrer la page imprimée dans un fichier PDF"};
constexpr TMenuText kZoomIn{"A&grandir", "Agrandir la page"};
constexpr TMenuText kZoomOut{"&Réduire", "Réduire la page"};
constexpr TMenuText kZoomNormal{"&Taille normale", "La page à 100 %"};
constexpr TMenuText kPrintBackground{"Imprimer les &fonds", "Imprimer les couleurs et images de fond des pages"};
constexpr TMenuText kCalendar{"&Calendrier", "Calendrier"};
constexpr TMenuText kCalculator{"C&alculatrice", "Calculatrice"};
constexpr TMenuText kClock{"&Horloge", "Horloge"};
constexpr TMenuText kNotepad{"&Bloc-notes", "Bloc-notes"};
constexpr TMenuText kAbout{"&A propos...", ""};

constexpr const char* kFileMenu = "&Fichier";
constexpr const char* kEditMenu = "&Edition";
constexpr const char* kNavigationMenu = "&Navigation";
constexpr const char* kOptionsMenu = "&Options";
constexpr const char* kZoomMenu = "&Zoom";
constexpr const char* kToolsMenu = "&Utilitaires";
constexpr const char* kHelpMenu = "&Aide";

constexpr const char* kOpenButtonHint = "Ouvrir|";
constexpr const char* kSaveButtonHint = "Enregistrer|";
constexpr const char* kBackButtonHint = "Précédente";
constexpr const char* kForwardButtonHint = "Suivante";
constexpr const char* kReloadButtonHint = "Actualiser";

// The tool bar's layout: flat square buttons and one bevel line.
constexpr int kButtonSize = 25;
constexpr int kButtonTop = 4;
constexpr int kOpenButtonX = 5;
constexpr int kSaveButtonX = 30;
constexpr int kBevelX = 56;
constexpr int kBackButtonX = 60;
constexpr int kForwardButtonX = 85;
constexpr int kReloadButtonX = 110;
constexpr int kClockInterval = 1000; // milliseconds

QString ShortHint(const char* hint)
{
    const QString text = QString::fromUtf8(hint);
    const qsizetype bar = text.indexOf(u'|');
    return bar < 0 ? text : text.left(bar);
}

QString LongHint(const char* hint)
{
    const QString text = QString::fromUtf8(hint);
    const qsizetype bar = text.indexOf(u'|');
    return bar < 0 ? text : text.mid(bar + 1);
}

QAction* AddCommand(QMenu* menu, const TMenuText& text)
{
    QAction* action = menu->addAction(QString::fromUtf8(text.Caption));
    action->setToolTip(ShortHint(text.Hint));
    action->setStatusTip(LongHint(text.Hint));
    return action;
}

// A menu caption shows "&" as an accelerator mark unless it is doubled.
QString MenuCaptionText(const QString& text)
{
    QString escaped = text;
    return escaped.replace(u'&', QStringLiteral("&&"));
}

// The first local file the open dialog would offer; none when no filter
// takes it (a folder, a document of another kind).
std::optional<TOpenChoice> DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const std::string name = QFile::encodeName(url.toLocalFile()).toStdString();
        if (const int filter = OpenFilterIndexOf(name); filter > 0 && QFileInfo(url.toLocalFile()).isFile())
            return TOpenChoice{name, filter};
    }
    return std::nullopt;
}

} // namespace

TMainForm::TMainForm(TShellWindows& windows, const TShellServices& services, std::vector<std::string> arguments)
    : windows_(windows)
    , services_(services)
    , arguments_(std::move(arguments))
{
    setWindowTitle(QString::fromUtf8(kCaption));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateToolPanel(central);
    mdiArea_ = new QMdiArea(central);
    mdiArea_->setObjectName("mdiArea");
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(mdiArea_, 1);
    setCentralWidget(central);
    setAcceptDrops(true);
    recentFiles_ = services_.Settings.RecentFiles();
    // The open dialog starts in the folder it showed last time.
    if (const QString folder = services_.Settings.OpenFolder(); !folder.isEmpty())
        lastOpen_.FileName = QFile::encodeName(folder + u'/').toStdString();
    CreateMenus();
    CreateShortcuts();
    CreateStatusBar();

    connect(&clockTimer_, &QTimer::timeout, this, &TMainForm::ShowTime);
    clockTimer_.start(kClockInterval);
    ShowTime();
}

void TMainForm::CreateMenus()
{
    QMenu* fileMenu = menuBar()->addMenu(QString::fromUtf8(kFileMenu));
    commands_.Open = AddCommand(fileMenu, kOpen);
    commands_.Open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(commands_.Open, &QAction::triggered, this, &TMainForm::OpenCommand);
    commands_.Save = AddCommand(fileMenu, kSave);
    connect(commands_.Save, &QAction::triggered, this, &TMainForm::SaveCommand);
    fileMenu->addSeparator();
    commands_.Properties = AddCommand(fileMenu, kProperties);
    connect(commands_.Properties, &QAction::triggered, this, &TMainForm::PropertiesCommand);
    fileMenu->addSeparator();
    CreatePrintCommands(fileMenu);
    fileMenu->addSeparator();
    for (std::size_t entry = 0; entry < commands_.RecentFiles.size(); ++entry) {
        QAction* action = fileMenu->addAction(QString());
        connect(action, &QAction::triggered, this, [this, entry] {
            if (entry < recentFiles_.size())
                OpenFile(TOpenChoice(recentFiles_[entry]));
        });
        commands_.RecentFiles[entry] = action;
    }
    recentSeparator_ = fileMenu->addSeparator();
    ShowRecentFiles();
    commands_.Quit = AddCommand(fileMenu, kQuit);
    commands_.Quit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    connect(commands_.Quit, &QAction::triggered, this, &QWidget::close);

    commands_.EditMenu = menuBar()->addMenu(QString::fromUtf8(kEditMenu));
    commands_.Copy = AddCommand(commands_.EditMenu, kCopy);
    connect(commands_.Copy, &QAction::triggered, this, &TMainForm::CopyCommand);
    commands_.SelectAll = AddCommand(commands_.EditMenu, kSelectAll);
    connect(commands_.SelectAll, &QAction::triggered, this, &TMainForm::SelectAllCommand);
    commands_.EditMenu->addSeparator();
    commands_.Find = AddCommand(commands_.EditMenu, kFind);
    connect(commands_.Find, &QAction::triggered, this, &TMainForm::FindCommand);
    commands_.SearchPages = AddCommand(commands_.EditMenu, kSearchPages);
    connect(commands_.SearchPages, &QAction::triggered, this, &TMainForm::SearchPagesCommand);
    commands_.EditMenu->addSeparator();
    commands_.Source = AddCommand(commands_.EditMenu, kSource);
    connect(commands_.Source, &QAction::triggered, this, &TMainForm::SourceCommand);

    QMenu* navigationMenu = menuBar()->addMenu(QString::fromUtf8(kNavigationMenu));
    commands_.Back = AddCommand(navigationMenu, kBack);
    connect(commands_.Back, &QAction::triggered, this, &TMainForm::BackCommand);
    commands_.Forward = AddCommand(navigationMenu, kForward);
    connect(commands_.Forward, &QAction::triggered, this, &TMainForm::ForwardCommand);
    navigationMenu->addSeparator();
    commands_.Reload = AddCommand(navigationMenu, kReload);
    connect(commands_.Reload, &QAction::triggered, this, &TMainForm::ReloadCommand);
    commands_.HistorySeparator = navigationMenu->addSeparator();
    commands_.HistorySeparator->setVisible(false);
    for (int entry = 0; entry < TMainCommands::kHistoryEntries; ++entry) {
        QAction* action = navigationMenu->addAction(QString::number(entry));
        action->setData(entry);
        action->setCheckable(true);
        action->setVisible(false);
        connect(action, &QAction::triggered, this, [this, entry, action] {
            windows_.Viewer->Historique(entry);
            // The click toggled the mark; only the current entry keeps one.
            action->setChecked(windows_.Viewer->Pane().HistoryIndex() == entry);
        });
        commands_.History[static_cast<std::size_t>(entry)] = action;
    }

    QMenu* optionsMenu = menuBar()->addMenu(QString::fromUtf8(kOptionsMenu));
    commands_.ViewImages = AddCommand(optionsMenu, kViewImages);
    commands_.ViewImages->setCheckable(true);
    commands_.ViewImages->setChecked(true);
    connect(commands_.ViewImages, &QAction::triggered, this, &TMainForm::ViewImagesCommand);
    commands_.ViewPngImages = AddCommand(optionsMenu, kViewPngImages);
    commands_.ViewPngImages->setCheckable(true);
    commands_.ViewPngImages->setChecked(services_.Settings.PngPictures());
    ApplyPngPictures();
    connect(commands_.ViewPngImages, &QAction::triggered, this, &TMainForm::ViewPngImagesCommand);
    commands_.Font = AddCommand(optionsMenu, kFont);
    connect(commands_.Font, &QAction::triggered, this, &TMainForm::FontCommand);
    CreateZoomMenu(optionsMenu);

    QMenu* toolsMenu = menuBar()->addMenu(QString::fromUtf8(kToolsMenu));
    commands_.Calendar = AddCommand(toolsMenu, kCalendar);
    connect(commands_.Calendar, &QAction::triggered, this, [this] { ShowModal(windows_.Calendrier); });
    commands_.Calculator = AddCommand(toolsMenu, kCalculator);
    connect(commands_.Calculator, &QAction::triggered, this, [this] { ShowModal(windows_.Pocket); });
    commands_.Clock = AddCommand(toolsMenu, kClock);
    connect(commands_.Clock, &QAction::triggered, this, [this] { ShowModal(windows_.Horloge); });
    commands_.Notepad = AddCommand(toolsMenu, kNotepad);
    connect(commands_.Notepad, &QAction::triggered, this, [this] { ShowModal(windows_.Blocnotes); });

    QMenu* helpMenu = menuBar()->addMenu(QString::fromUtf8(kHelpMenu));
    commands_.About = AddCommand(helpMenu, kAbout);
    connect(commands_.About, &QAction::triggered, this, [this] { ShowModal(windows_.AboutBox); });
}

// The keys a Linux user tries, beside those of the menus' own design (Ctrl+O,
// Alt+X). A text box that has the focus and wants a key (Ctrl+C, Ctrl+A in
// the address box or a page's field) keeps it: Qt asks the focused widget
// before a window's shortcut acts.
void TMainForm::CreateShortcuts()
{
    commands_.Copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    commands_.SelectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    commands_.Find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    commands_.Reload->setShortcut(QKeySequence(Qt::Key_F5));
    commands_.Back->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    commands_.Forward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    // Ctrl+Q is the desktops' quit key; Ctrl+W, which closes a document
    // there, never ends the program.
    commands_.Quit->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_X), QKeySequence(Qt::CTRL | Qt::Key_Q)});

    commands_.FindNext = new QAction(this);
    commands_.FindNext->setShortcut(QKeySequence(Qt::Key_F3));
    connect(commands_.FindNext, &QAction::triggered, this, &TMainForm::FindNextCommand);
    commands_.FindPrevious = new QAction(this);
    commands_.FindPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    connect(commands_.FindPrevious, &QAction::triggered, this, [this] { windows_.Viewer->RechercherPrecedent(); });
    commands_.GoToAddress = new QAction(this);
    commands_.GoToAddress->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(commands_.GoToAddress, &QAction::triggered, this, [this] { windows_.Viewer->ActiverAdresse(); });
    // Searching the pages of a folder needs no page shown: its key works
    // while the "Edition" menu waits for a first file.
    commands_.SearchPages->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    addActions({commands_.FindNext, commands_.FindPrevious, commands_.GoToAddress, commands_.SearchPages});

    // The page commands wait for a first file.
    for (QAction* action : {commands_.Save, commands_.Properties, commands_.Copy, commands_.SelectAll,
                            commands_.Find, commands_.FindNext, commands_.FindPrevious, commands_.Source,
                            commands_.Back, commands_.Forward, commands_.Reload, commands_.Print,
                            commands_.PrintPreview, commands_.ExportPdf})
        action->setEnabled(false);
    commands_.EditMenu->menuAction()->setEnabled(false);
}

void TMainForm::CreateToolPanel(QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName("toolPanel");
    panel->setFixedHeight(kToolPanelHeight);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    commands_.OpenButton = AddToolButton(panel, kOpenButtonX, kOpenButtonHint, OpenPicture(), &TMainForm::OpenCommand);
    commands_.SaveButton = AddToolButton(panel, kSaveButtonX, kSaveButtonHint, SavePicture(), &TMainForm::SaveCommand);
    auto* bevel = new QFrame(panel);
    bevel->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    bevel->setGeometry(kBevelX, kButtonTop, 2, kButtonSize);
    commands_.BackButton = AddToolButton(panel, kBackButtonX, kBackButtonHint, BackPicture(), &TMainForm::BackCommand);
    commands_.ForwardButton =
        AddToolButton(panel, kForwardButtonX, kForwardButtonHint, ForwardPicture(), &TMainForm::ForwardCommand);
    commands_.ReloadButton =
        AddToolButton(panel, kReloadButtonX, kReloadButtonHint, ReloadPicture(), &TMainForm::ReloadCommand);
    for (QToolButton* button :
         {commands_.SaveButton, commands_.BackButton, commands_.ForwardButton, commands_.ReloadButton})
        button->setEnabled(false);
    parent->layout()->addWidget(panel);
}

QToolButton* TMainForm::AddToolButton(QWidget* panel, int x, const char* hint, const QIcon& picture,
                                      void (TMainForm::*action)())
{
    auto* button = new QToolButton(panel);
    button->setAutoRaise(true);
    button->setGeometry(x, kButtonTop, kButtonSize, kButtonSize);
    button->setIcon(picture);
    button->setToolTip(ShortHint(hint));
    button->setStatusTip(LongHint(hint));
    // The hint handler also hears of buttons whose long hint is empty.
    button->installEventFilter(this);
    connect(button, &QToolButton::clicked, this, action);
    return button;
}

void TMainForm::CreateStatusBar()
{
    hintPanel_ = new QLabel(this);
    hintPanel_->setObjectName("hintPanel");
    hintPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    clockPanel_ = new QLabel(this);
    clockPanel_->setObjectName("clockPanel");
    clockPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    clockPanel_->setAlignment(Qt::AlignCenter);
    // 50 pixels, unless the font needs more for the whole time.
    const int timeWidth = clockPanel_->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00"))
        + 2 * clockPanel_->frameWidth() + 4;
    clockPanel_->setFixedWidth(std::max(kClockPanelWidth, timeWidth));
    zoomPanel_ = new QLabel(this);
    zoomPanel_->setObjectName("zoomPanel");
    zoomPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    zoomPanel_->hide();
    statusBar()->addWidget(hintPanel_);
    statusBar()->addWidget(zoomPanel_);
    statusBar()->addWidget(clockPanel_);
}

void TMainForm::CreatePrintCommands(QMenu* fileMenu)
{
    commands_.Print = AddCommand(fileMenu, kPrint);
    commands_.Print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(commands_.Print, &QAction::triggered, this, [this] { Printing().Print(); });
    commands_.PrintPreview = AddCommand(fileMenu, kPrintPreview);
    connect(commands_.PrintPreview, &QAction::triggered, this, [this] { Printing().Preview(); });
    commands_.ExportPdf = AddCommand(fileMenu, kExportPdf);
    connect(commands_.ExportPdf, &QAction::triggered, this, [this] { Printing().ExportPdf(); });
}

TPagePrinting TMainForm::Printing()
{
    TPrintOptions options;
    options.Background = commands_.PrintBackground->isChecked();
    return {windows_.Viewer->Pane(), services_.Dialogs, services_.ErrorBox, this, options};
}

// Ctrl++ is Ctrl+Shift+= on many layouts: Ctrl+= and the shifted plus zoom
// in as well.
void TMainForm::CreateZoomMenu(QMenu* optionsMenu)
{
    QMenu* zoomMenu = optionsMenu->addMenu(QString::fromUtf8(kZoomMenu));
    commands_.ZoomIn = AddCommand(zoomMenu, kZoomIn);
    commands_.ZoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal),
                                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus)});
    connect(commands_.ZoomIn, &QAction::triggered, this, [this] { windows_.Viewer->Pane().ZoomIn(); });
    commands_.ZoomOut = AddCommand(zoomMenu, kZoomOut);
    commands_.ZoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    connect(commands_.ZoomOut, &QAction::triggered, this, [this] { windows_.Viewer->Pane().ZoomOut(); });
    commands_.ZoomNormal = AddCommand(zoomMenu, kZoomNormal);
    commands_.ZoomNormal->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(commands_.ZoomNormal, &QAction::triggered, this,
            [this] { windows_.Viewer->Pane().SetZoomPercent(TZoom::kNormalPercent); });
    commands_.PrintBackground = AddCommand(optionsMenu, kPrintBackground);
    commands_.PrintBackground->setCheckable(true);
}

void TMainForm::ConnectZoom()
{
    THtmlPane& pane = windows_.Viewer->Pane();
    pane.OnZoomChange = [this](THtmlPane&, int percent) {
        ShowZoom(percent);
        services_.Settings.SetZoomPercent(percent);
    };
    pane.SetZoomPercent(services_.Settings.ZoomPercent());
    ShowZoom(pane.ZoomPercent());
}

void TMainForm::ShowZoom(int percent)
{
    zoomPanel_->setText(QStringLiteral("Zoom : %1 %").arg(percent));
    zoomPanel_->setVisible(percent != TZoom::kNormalPercent);
}

void TMainForm::Valide()
{
    for (QAction* action : {commands_.Save, commands_.EditMenu->menuAction(), commands_.Copy,
                            commands_.SelectAll, commands_.Find, commands_.FindNext, commands_.FindPrevious,
                            commands_.Reload, commands_.Source, commands_.Properties, commands_.Print,
                            commands_.PrintPreview, commands_.ExportPdf})
        action->setEnabled(true);
    commands_.SaveButton->setEnabled(true);
    commands_.ReloadButton->setEnabled(true);
}

void TMainForm::MajHisto(const std::vector<std::string>& history, const std::vector<std::string>& titleHistory,
                         int historyIndex)
{
    commands_.HistorySeparator->setVisible(!history.empty());
    for (std::size_t entry = 0; entry < commands_.History.size(); ++entry) {
        QString caption;
        if (entry < history.size())
            caption = FileNameForDisplay(history[entry]).left(kHistoryCaptionLength);
        if (entry < titleHistory.size() && !titleHistory[entry].empty())
            caption += QString::fromUtf8(kHistoryTitleSeparator) + Cp1252ToQString(titleHistory[entry]);
        QAction* action = commands_.History[entry];
        if (!caption.isEmpty())
            action->setText(MenuCaptionText(caption));
        action->setVisible(!caption.isEmpty());
        action->setChecked(static_cast<int>(entry) == historyIndex);
    }
}

void TMainForm::SetStatusText(const QString& text)
{
    hintPanel_->setText(text);
}

void TMainForm::SetPageCaption(const std::string& title)
{
    QString caption = QString::fromUtf8(kCaption);
    if (!title.empty())
        caption += QString::fromUtf8(kCaptionSeparator) + Cp1252ToQString(title);
    setWindowTitle(caption);
}

void TMainForm::EnableBack(bool enabled)
{
    commands_.Back->setEnabled(enabled);
    commands_.BackButton->setEnabled(enabled);
}

void TMainForm::EnableForward(bool enabled)
{
    commands_.Forward->setEnabled(enabled);
    commands_.ForwardButton->setEnabled(enabled);
}

void TMainForm::EnableLoadCommands(bool enabled)
{
    commands_.Reload->setEnabled(enabled);
    commands_.ReloadButton->setEnabled(enabled);
    commands_.Open->setEnabled(enabled);
    commands_.OpenButton->setEnabled(enabled);
}

bool TMainForm::event(QEvent* event)
{
    // The hint handler: panel 0 shows the long part of every hint, and is
    // emptied when the pointer leaves.
    if (event->type() == QEvent::StatusTip) {
        SetStatusText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (auto* button = qobject_cast<QToolButton*>(watched)) {
        if (event->type() == QEvent::Enter)
            SetStatusText(button->statusTip());
        else if (event->type() == QEvent::Leave)
            SetStatusText(QString());
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shownBefore_) {
        shownBefore_ = true;
        FormShow();
    }
}

void TMainForm::FormShow()
{
    // Where the user left the window, else over the whole screen.
    if (!restoreGeometry(services_.Settings.WindowGeometry()))
        setWindowState(windowState() | Qt::WindowMaximized);
    startupFolder_ = QFile::encodeName(QDir::currentPath()).toStdString();
    helpFileName_ = startupFolder_ + kHelpFile;
    ConnectZoom();
    if (!arguments_.empty())
        OpenFile(TOpenChoice{arguments_.front(), 1});
    commands_.ViewImages->setChecked(windows_.Viewer->Pane().ViewImages());
    // Started after the page, so that the first page never waits for it.
    if (services_.SelfCheck)
        services_.SelfCheck(this, [this] { EndForChangedProgram(); });
}

void TMainForm::EndForChangedProgram()
{
    endRequested_ = true;
    // Without a message loop yet (in tests), nothing runs to end.
    QCoreApplication::exit(1);
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    hintPanel_->setFixedWidth(std::max(0, width() - kStatusPanelMargin));
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // The source editor's unsaved edits are asked about, and may keep the
    // program running.
    if (!windows_.Editeur->CloseQuery()) {
        event->ignore();
        return;
    }
    // The notepad's text is kept for the next run.
    windows_.Blocnotes->SaveNotes();
    services_.Settings.SetWindowGeometry(saveGeometry());
    // The file dialogs may have moved the current folder.
    if (!startupFolder_.empty())
        QDir::setCurrent(QFile::decodeName(QByteArray::fromStdString(startupFolder_)));
    QMainWindow::closeEvent(event);
}

void TMainForm::ShowTime()
{
    clockPanel_->setText(QTime::currentTime().toString(QString::fromLatin1(kTimeFormat)));
}

void TMainForm::OpenCommand()
{
    const std::optional<TOpenChoice> choice = services_.Dialogs.AskOpenFileName(this, lastOpen_);
    if (!choice)
        return;
    const QString folder = QFileInfo(QFile::decodeName(QByteArray::fromStdString(choice->FileName))).absolutePath();
    services_.Settings.SetOpenFolder(folder);
    OpenFile(*choice);
}

void TMainForm::OpenFile(const TOpenChoice& choice)
{
    lastOpen_ = choice;
    const std::string before = windows_.Viewer->Pane().CurrentFile();
    windows_.Viewer->Ouvrir(choice);
    Valide();
    const std::string& shown = windows_.Viewer->Pane().CurrentFile();
    if (!shown.empty() && (shown != before || shown == windows_.Viewer->FileName()))
        RememberRecent({shown, choice.FilterIndex});
}

void TMainForm::RememberRecent(const TOpenChoice& choice)
{
    std::erase_if(recentFiles_, [&choice](const TOpenChoice& file) { return file.FileName == choice.FileName; });
    recentFiles_.insert(recentFiles_.begin(), choice);
    if (recentFiles_.size() > commands_.RecentFiles.size())
        recentFiles_.resize(commands_.RecentFiles.size());
    services_.Settings.SetRecentFiles(recentFiles_);
    ShowRecentFiles();
}

void TMainForm::ShowRecentFiles()
{
    for (std::size_t entry = 0; entry < commands_.RecentFiles.size(); ++entry) {
        QAction* action = commands_.RecentFiles[entry];
        const bool used = entry < recentFiles_.size();
        if (used)
            action->setText(QStringLiteral("&%1 ").arg(entry + 1) +
                            MenuCaptionText(FileNameForDisplay(recentFiles_[entry].FileName).left(kHistoryCaptionLength)));
        action->setVisible(used);
    }
    recentSeparator_->setVisible(!recentFiles_.empty());
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (commands_.Open->isEnabled() && DroppedFile(event->mimeData()))
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const std::optional<TOpenChoice> choice = DroppedFile(event->mimeData());
    if (!choice || !commands_.Open->isEnabled())
        return;
    event->acceptProposedAction();
    OpenFile(*choice);
}

void TMainForm::SaveCommand() { windows_.Viewer->Sauver(); }
void TMainForm::PropertiesCommand() { windows_.Viewer->Attributs(); }
void TMainForm::CopyCommand() { windows_.Viewer->Copier(); }
void TMainForm::SelectAllCommand() { windows_.Viewer->Toutsel(); }
void TMainForm::FindCommand() { windows_.Viewer->Rechercher(); }
void TMainForm::FindNextCommand() { windows_.Viewer->RechercherSuivant(); }
void TMainForm::SourceCommand() { windows_.Viewer->Source(); }

// The folder of the page shown, else the one the program started in.
void TMainForm::SearchPagesCommand()
{
    if (!searchWindow_)
        searchWindow_ = new TSearchWindow(this, TSearchIndex::DefaultFile(),
                                          [this](const std::string& path, const std::string& found, int line) {
                                              OpenFoundPage(path, found, line);
                                          });
    const std::string& shown = windows_.Viewer->Pane().CurrentFile();
    searchWindow_->Start(shown.empty() ? startupFolder_ : QFileInfo(QString::fromStdString(shown)).absolutePath().toStdString());
}

// The page of a result or a broken link, its match or link text marked as
// the find command marks it.
void TMainForm::OpenFoundPage(const std::string& path, const std::string& found, int line)
{
    windows_.Viewer->Ouvrir({path, IsPlainTextPage(path) ? 3 : 1});
    Valide();
    if (!found.empty())
        windows_.Viewer->Pane().Find(QStringToEngineText(QString::fromStdString(found)), false);
    if (line > 0)
        SetStatusText(QStringLiteral("%1, ligne %2").arg(FileNameForDisplay(path)).arg(line));
    activateWindow();
}
void TMainForm::BackCommand() { windows_.Viewer->Precedent(); }
void TMainForm::ForwardCommand() { windows_.Viewer->Suivant(); }
void TMainForm::ReloadCommand() { windows_.Viewer->Recharger(); }
void TMainForm::FontCommand() { windows_.Viewer->Polices(); }

void TMainForm::ViewImagesCommand()
{
    // The action has already inverted its check mark.
    windows_.Viewer->Pane().SetViewImages(commands_.ViewImages->isChecked());
}

// The pictures of the page shown were decoded (or refused) when it was
// loaded: it is loaded again, at the same place.
void TMainForm::ViewPngImagesCommand()
{
    services_.Settings.SetPngPictures(commands_.ViewPngImages->isChecked());
    ApplyPngPictures();
    windows_.Viewer->Recharger();
}

void TMainForm::ApplyPngPictures()
{
    services_.ImageCache.SetPngPictures(commands_.ViewPngImages->isChecked() ? TPngPictures::Decoded
                                                                              : TPngPictures::Refused);
}

void TMainForm::ShowModal(QDialog* window)
{
    services_.Dialogs.ShowModal(*window);
}
