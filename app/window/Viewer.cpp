#include "app/window/Viewer.h"

#include "app/desktop/Desktop.h"
#include "app/window/Editeur.h"
#include "app/files/FileNameText.h"
#include "app/window/FindDialog.h"
#include "app/window/FontForm.h"
#include "app/window/ImageForm.h"
#include "app/window/MainForm.h"
#include "app/window/Propriete.h"
#include "app/window/SaveDialog.h"
#include "app/window/Settings.h"
#include "app/window/SubmitForm.h"
#include "app/files/WholeFile.h"
#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"
#include "engine/base/RegularFile.h"
#include "engine/canvas/Canvas.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/viewer/HtmlPane.h"
#include "engine/text/ImageObj.h"
#include "engine/lexer/LinkNames.h"
#include "engine/viewer/PageLoader.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QCursor>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <filesystem>

#include <unistd.h>

namespace {

// Windows-1252.
constexpr const char* kAddressCaption = "Adresse";
constexpr const char* kDefFontName = "Times New Roman";
constexpr const char* kDefPreFontName = "Courier New";
constexpr const char* kNotFound = "Pas d'autres occurences de ";
constexpr TCp1252Text kWrappedToTop("Recherche reprise au début de la page");
constexpr TCp1252Text kWrappedToBottom("Recherche reprise à la fin de la page");
constexpr TCp1252Text kBack("&Précédente");
constexpr const char* kForward = "&Suivante";
constexpr const char* kReload = "&Recharger";
constexpr const char* kCopy = "Co&pier";
constexpr TCp1252Text kSelectAll("&Tout sélectionner");
constexpr const char* kOpenLink = "&Ouvrir le lien";
constexpr const char* kCopyLink = "Copier l'&adresse du lien";
constexpr const char* kViewImage = "&Voir l'image";
constexpr const char* kViewImageHint = "Voir l'image";
constexpr const char* kCopyImage = "Copier l'&image";
constexpr const char* kCopyImageHint = "Copier l'image dans le presse-papiers";
constexpr const char* kSaveImage = "&Enregistrer l'image...";
constexpr const char* kSaveImageHint = "Enregistrer l'image";
constexpr const char* kCannotSaveImage = "Impossible d'enregistrer l'image dans ";
constexpr TCp1252Text kRunProgramStart("Exécuter le programme « ");
constexpr TCp1252Text kRunProgramEnd(" » ?");
constexpr TCp1252Text kInvalidAddress("Adresse non valide : %1");
constexpr TCp1252Text kOpenOtherScheme("Ouvrir l'adresse « %1 » avec le programme du bureau ?");
constexpr TCp1252Text kNoDesktopProgram("Aucun programme du bureau n'ouvre « %1 »");
constexpr TCp1252Text kNotExecutable("Le programme « %1 » n'est pas exécutable");
constexpr TCp1252Text kProgramNotStarted("Le programme « %1 » n'a pas pu être lancé");
constexpr TCp1252Text kTypedFileMissing("Fichier introuvable : %1");
constexpr const char* kPictureFilter = "Bitmaps (*.bmp)";
constexpr const char* kPictureExtension = ".bmp";

constexpr int kAddressLabelX = 8;
constexpr int kAddressBoxTop = 5;
constexpr int kMillisecondsPerSecond = 1000;

std::string UpperCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });
    return text;
}

// The schemes of network addresses, which the desktop opens in a browser, a
// mail or news reader or a file transfer program. Any other scheme may start
// a program of the user's desktop: it is asked about first.
constexpr std::array<std::string_view, 8> kNetworkSchemes = {"HTTP", "HTTPS", "FTP", "FTPS",
                                                             "SFTP", "MAILTO", "NEWS", "NNTP"};

// The scheme before the first colon, upper-cased; empty when it is no scheme
// (a letter, then letters, digits, "+", "-" or ".").
std::string SchemeOf(const std::string& address)
{
    const std::size_t colon = address.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(address[0])))
        return {};
    const std::string scheme = UpperCase(address.substr(0, colon));
    const bool valid = std::all_of(scheme.begin(), scheme.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '+' || c == '-' || c == '.';
    });
    return valid ? scheme : std::string();
}

bool IsNetworkScheme(const std::string& scheme)
{
    return std::find(kNetworkSchemes.begin(), kNetworkSchemes.end(), scheme) != kNetworkSchemes.end();
}

// From the last "." of the last path element, upper-cased; empty when none.
std::string ExtensionOf(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of("/\\");
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return UpperCase(fileName.substr(dot));
}

// A name whose last element has no extension gets the default one.
std::string WithDefaultExtension(const std::string& fileName, const char* extension)
{
    const std::size_t slash = fileName.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return fileName.find('.', nameStart) == std::string::npos ? fileName + extension : fileName;
}

bool IsFolder(const std::string& fileName)
{
    std::error_code error;
    return !fileName.empty() && !HasControlCharacter(fileName) && std::filesystem::is_directory(fileName, error);
}

// A BMP file keeps no transparency: what was transparent takes the page's
// background colour, as it looked on the page.
QImage OnBackground(const QImage& picture, const QImage& mask, const QColor& background)
{
    QImage opaque = picture.convertToFormat(QImage::Format_RGB32);
    if (picture.hasAlphaChannel()) {
        opaque.fill(background);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, picture);
    }
    if (mask.size() == opaque.size())
        for (int y = 0; y < opaque.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(opaque.scanLine(y));
            for (int x = 0; x < opaque.width(); ++x)
                if (qGray(mask.pixel(x, y)) > 127)
                    line[x] = background.rgb();
        }
    return opaque;
}

// Without "." and ".." steps, nor a last "/".
std::string FolderName(const std::string& folder)
{
    std::string normal = std::filesystem::path(folder).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

bool IsExistingFile(const std::string& fileName)
{
    std::error_code error;
    return !fileName.empty() && !HasControlCharacter(fileName) &&
           std::filesystem::is_regular_file(ResolveFileNameCase(fileName), error);
}

// Only regular files go to the sound player: a device or a FIFO would never
// end or would block it.
bool IsSoundFile(const std::string& fileName)
{
    return RegularFileRefusal(fileName, UINT64_MAX) == TFileRefusal::None;
}

} // namespace

TViewer::TViewer(TShellWindows& windows, const TShellServices& services)
    : windows_(windows)
    , services_(services)
    , includes_(services.FixedMoment)
{
    auto* addressPanel = new QWidget(this);
    addressPanel->setObjectName("addressPanel");
    addressPanel->setFixedHeight(kAddressPanelHeight);
    addressLabel_ = new QLabel(Cp1252ToQString(kAddressCaption), addressPanel);
    addressLabel_->setGeometry(kAddressLabelX, 0, kAddressBoxX - kAddressLabelX, kAddressPanelHeight);
    addressBox_ = new QLineEdit(addressPanel);
    addressBox_->setObjectName("addressBox");
    addressBox_->move(kAddressBoxX, kAddressBoxTop);
    connect(addressBox_, &QLineEdit::returnPressed, this, &TViewer::AddressBoxEnter);
    addressBox_->installEventFilter(this);

    htmlPane1_ = new THtmlPane(services_.ImageCache, services_.ErrorBox, this);
    htmlPane1_->setObjectName("htmlPane1");
    htmlPane1_->SetViewImages(true);
    htmlPane1_->SetDefFontName(kDefFontName);
    htmlPane1_->SetDefPreFontName(kDefPreFontName);
    htmlPane1_->SetNoSelect(false);
    htmlPane1_->SetBorderStyle(THTMLBorderStyle::Focused);
    htmlPane1_->SetHistoryMaxCount(kHistoryMaxCount);
    ConnectPane();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(addressPanel);
    layout->addWidget(htmlPane1_, 1);

    if (const std::optional<TPageLook> look = services_.Settings.PageLook())
        ApplyPageLook(*look);

    findDialog_ = new TFindDialog(this);
    findDialog_->OnFind = [this](const std::string& text, const TFindOptions& options) { FindNext(text, options); };
    findDialog_->OnChange = [this] { MarkFound(); };
    findDialog_->OnClose = [this] { htmlPane1_->UnmarkFound(); };
    pageMenu_ = new QMenu(this);
    pageMenu_->setObjectName("pageMenu");
    // A pop-up menu is a window of its own: its hints are passed on by hand.
    connect(pageMenu_, &QMenu::hovered, this,
            [this](QAction* item) { windows_.MainForm->SetStatusText(item->statusTip()); });
    connect(pageMenu_, &QMenu::aboutToHide, this, [this] { windows_.MainForm->SetStatusText(QString()); });
    refreshTimer_.setSingleShot(true);
    connect(&refreshTimer_, &QTimer::timeout, this, &TViewer::RefreshTimerTimer);
    services_.Desktop.SetMediaNotify([this](TMediaNotice notice) { MediaNotify(notice); });

    QMdiSubWindow* frame = windows_.MainForm->MdiArea().addSubWindow(this, Qt::FramelessWindowHint);
    frame->showMaximized();
}

TViewer::~TViewer()
{
    services_.Desktop.SetMediaNotify({});
}

void TViewer::ConnectPane()
{
    THtmlPane& pane = *htmlPane1_;
    pane.OnHotSpotCovered = [this](THtmlPane&, const std::string& url) { htmlPane1HotSpotCovered(url); };
    pane.OnHotSpotClick = [this](THtmlPane&, const std::string& url, bool& handled) {
        htmlPane1HotSpotClick(url, handled);
    };
    pane.OnHistoryChange = [this](THtmlPane&) { htmlPane1HistoryChange(); };
    pane.OnProcessing = [this](THtmlPane&, bool processingOn) {
        if (processingOn)
            includes_.StartPage();
        htmlPane1Processing(processingOn);
    };
    pane.OnInclude = includes_.Handler();
    pane.OnSoundRequest = [this](THtmlPane* sender, const std::string& url, int loop, bool terminate) {
        htmlPane1SoundRequest(sender ? *sender : *htmlPane1_, url, loop, terminate);
    };
    pane.OnMetaRefresh = [this](THtmlPane&, int delay, const std::string& url) { htmlPane1MetaRefresh(delay, url); };
    pane.OnRightClick = [this](THtmlPane&, const TRightClickParameters& parameters) {
        htmlPane1RightClick(parameters);
    };
    pane.SetOnFormSubmit([this](THtmlPane&, const std::string& action, const std::string&, const std::string&,
                                const std::string& method, std::vector<std::string> results) {
        htmlPane1FormSubmit(action, method, results);
    });
}

void TViewer::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    setWindowTitle(QString());
}

void TViewer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    addressBox_->resize(std::max(0, width() - kAddressBoxMargin), addressBox_->sizeHint().height());
}

template <typename TLoad> void TViewer::ReportingErrors(TLoad load)
{
    try {
        load();
    } catch (const std::exception& error) {
        services_.ErrorBox.ShowError(error.what());
    }
}

// ---- Page commands -------------------------------------------------------

void TViewer::Ouvrir(const TOpenChoice& choice)
{
    fileName_ = LinkToPath(choice.FileName);
    if (fileName_.empty())
        return;
    // A page that cannot be loaded leaves the window as it was, without a word.
    try {
        switch (choice.FilterIndex) {
        case 2:
            htmlPane1_->LoadImageFile(fileName_);
            break;
        case 3:
            htmlPane1_->LoadTextFile(fileName_);
            break;
        default:
            htmlPane1_->LoadHtmlFile(fileName_);
            break;
        }
    } catch (const std::exception&) {
    }
    addressBox_->setText(FileNameForDisplay(htmlPane1_->CurrentFile()));
    ShowPageCaption();
}

void TViewer::Copier()
{
    if (fileName_.empty())
        return;
    htmlPane1_->CopyToClipboard();
}

void TViewer::Toutsel()
{
    htmlPane1_->SelectAll();
}

void TViewer::Recharger()
{
    ReportingErrors([this] { htmlPane1_->Reload(); });
    // The page may have a new title since.
    ShowPageCaption();
    htmlPane1_->setFocus();
}

TPageLook TViewer::CurrentPageLook() const
{
    const THtmlPane& pane = *htmlPane1_;
    return {pane.DefFontName(), pane.DefFontSize(), pane.DefFontColor(), pane.DefHotSpotColor(),
            pane.DefBackground()};
}

void TViewer::ApplyPageLook(const TPageLook& look)
{
    THtmlPane& pane = *htmlPane1_;
    if (!look.FontName.empty())
        pane.SetDefFontName(look.FontName);
    pane.SetDefFontColor(look.FontColor);
    if (look.FontSize > 0)
        pane.SetDefFontSize(look.FontSize);
    pane.SetDefHotSpotColor(look.LinkColor);
    pane.SetDefBackground(look.Background);
}

void TViewer::Polices()
{
    TFontForm& form = *windows_.FontForm;
    const TPageLook current = CurrentPageLook();
    form.SetFontName(current.FontName);
    form.SetFontColor(current.FontColor);
    form.SetFontSize(current.FontSize);
    form.SetLinkColor(current.LinkColor);
    form.SetBackgroundColor(current.Background);
    if (services_.Dialogs.ShowModal(form) != QDialog::Accepted)
        return;
    // The page is read again in the new look, at the paragraph it showed.
    const int position = htmlPane1_->Position();
    ApplyPageLook({form.FontName(), form.FontSize(), form.FontColor(), form.LinkColor(), form.BackgroundColor()});
    services_.Settings.SetPageLook(CurrentPageLook());
    ReportingErrors([this] { htmlPane1_->Reload(); });
    htmlPane1_->SetPosition(position);
}

void TViewer::Rechercher()
{
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
}

void TViewer::RechercherSuivant()
{
    TFindOptions options = findDialog_->Options();
    options.Backward = false;
    if (findDialog_->TextBox()->text().isEmpty())
        Rechercher();
    else
        FindNext(findDialog_->Text(), options);
}

void TViewer::RechercherPrecedent()
{
    TFindOptions options = findDialog_->Options();
    options.Backward = true;
    if (findDialog_->TextBox()->text().isEmpty())
        Rechercher();
    else
        FindNext(findDialog_->Text(), options);
}

void TViewer::ActiverAdresse()
{
    addressBox_->setFocus(Qt::ShortcutFocusReason);
    addressBox_->selectAll();
}

void TViewer::FindNext(const std::string& text, const TFindOptions& options)
{
    switch (htmlPane1_->FindText(text, options)) {
    case TFindOutcome::NotFound:
        services_.Dialogs.Inform(findDialog_, kNotFound + ('"' + text + '"'));
        break;
    case TFindOutcome::Wrapped:
        windows_.MainForm->SetStatusText(
            Cp1252ToQString(std::string(options.Backward ? kWrappedToBottom : kWrappedToTop)));
        break;
    case TFindOutcome::Found:
        windows_.MainForm->SetStatusText(QString());
        break;
    }
}

void TViewer::MarkFound()
{
    if (findDialog_->TextBox()->text().isEmpty())
        htmlPane1_->UnmarkFound();
    else
        htmlPane1_->MarkFound(findDialog_->Text(), findDialog_->Options());
}

void TViewer::Precedent()
{
    Historique(htmlPane1_->HistoryIndex() + 1);
}

void TViewer::Suivant()
{
    Historique(htmlPane1_->HistoryIndex() - 1);
}

void TViewer::Historique(int index)
{
    ReportingErrors([this, index] { htmlPane1_->SetHistoryIndex(index); });
}

void TViewer::Source()
{
    fileName_ = htmlPane1_->CurrentFile();
    windows_.Editeur->Init(fileName_);
    services_.Dialogs.ShowModal(*windows_.Editeur);
}

void TViewer::PageFileSaved(const std::string& fileName)
{
    std::error_code error;
    if (!htmlPane1_->CurrentFile().empty() && std::filesystem::equivalent(fileName, htmlPane1_->CurrentFile(), error))
        Recharger();
}

void TViewer::Attributs()
{
    windows_.Propriete->Init(htmlPane1_->CurrentFile());
    services_.Dialogs.ShowModal(*windows_.Propriete);
}

void TViewer::Sauver()
{
    // The page shown is saved: after a move through the history, or a click
    // on a sound or program link, the last name opened is another file.
    const std::string& source = htmlPane1_->CurrentFile().empty() ? fileName_ : htmlPane1_->CurrentFile();
    SavePageWithDialog(services_.Dialogs, this, source, services_.ErrorBox);
}

// ---- The control's events ------------------------------------------------

void TViewer::htmlPane1HotSpotCovered(const std::string& url)
{
    windows_.MainForm->SetStatusText(FileNameForDisplay(url));
}

void TViewer::htmlPane1HotSpotClick(const std::string& url, bool& handled)
{
    // Whatever the link does, the address box names the page shown.
    addressBox_->setText(FileNameForDisplay(htmlPane1_->CurrentFile()));
    handled = false;
    if (!IsLocalLink(url)) {
        handled = true;
        OpenAddressOnDesktop(TrimName(url));
        return;
    }
    // An anchor of the page shown is the control's to follow.
    if (url.starts_with('#'))
        return;

    // A program may be followed by its arguments, a page by a query.
    std::string name = url;
    std::string arguments;
    std::size_t split = name.find(' ');
    if (split == std::string::npos)
        split = name.find('?');
    if (split != std::string::npos) {
        arguments = TrimName(std::string_view(name).substr(split + 1, kMaxNameLength));
        name.resize(split);
    }
    name = htmlPane1_->ExpandLinkName(name);
    // The system would stop at a decoded NUL and open a shorter name than the
    // one whose extension is tested below: such a link names no file.
    if (HasControlCharacter(name) || HasControlCharacter(arguments))
        throw EFileError(name);
    fileName_ = LinkToPath(url);
    // The desktop gets exactly the name whose extension is tested, its letter
    // case resolved by the expansion.
    const std::string extension = ExtensionOf(name);
    if (extension == ".WAV") {
        handled = true;
        if (IsSoundFile(name))
            services_.Desktop.PlaySound(name);
    } else if (extension == ".EXE") {
        handled = true;
        RunProgram(name, arguments);
    } else if (extension == ".MID" || extension == ".AVI") {
        handled = true;
        if (!services_.Desktop.OpenFile(name))
            TellNoDesktopProgram(name);
    } else if (name.find('#') == std::string::npos && IsFolder(name)) {
        // A folder opens in the desktop's file manager.
        handled = true;
        const std::string folder = FolderName(name);
        if (!services_.Desktop.OpenFile(folder))
            TellNoDesktopProgram(folder);
    } else if (extension == ".TXT") {
        handled = true;
        htmlPane1_->LoadTextFile(name);
    }
}

// Every scheme but a local file's is the desktop's: web, mail, FTP, news
// at once, any other once the user agrees.
void TViewer::OpenAddressOnDesktop(const std::string& link)
{
    const std::string address = Cp1252ToUtf8IfNeeded(link);
    const QString shown = QString::fromUtf8(address);
    const std::string scheme = SchemeOf(link);
    if (scheme.empty() || !QUrl(shown, QUrl::StrictMode).isValid()) {
        services_.ErrorBox.ShowError(QStringToEngineText(Cp1252ToQString(kInvalidAddress).arg(shown)));
        return;
    }
    if (!IsNetworkScheme(scheme) &&
        !services_.Dialogs.AskYesNo(this, QStringToEngineText(Cp1252ToQString(kOpenOtherScheme).arg(shown))))
        return;
    if (!services_.Desktop.OpenAddress(address))
        TellNoDesktopProgram(address);
}

void TViewer::TellNoDesktopProgram(const std::string& target)
{
    services_.ErrorBox.ShowError(
        QStringToEngineText(Cp1252ToQString(kNoDesktopProgram).arg(QString::fromUtf8(target))));
}

void TViewer::RunProgram(const std::string& program, const std::string& arguments)
{
    // A relative name would be looked for along the PATH.
    const std::string fullName = std::filesystem::absolute(program).lexically_normal().string();
    std::error_code error;
    if (!std::filesystem::is_regular_file(fullName, error))
        throw EFileError(fullName);
    const QString shownName = FileNameForDisplay(fullName);
    if (access(fullName.c_str(), X_OK) != 0) {
        services_.ErrorBox.ShowError(QStringToEngineText(Cp1252ToQString(kNotExecutable).arg(shownName)));
        return;
    }
    std::string commandLine = FileNameForMessage(fullName);
    if (!arguments.empty())
        commandLine += " " + FileNameForMessage(arguments);
    if (services_.Dialogs.AskYesNo(this, std::string(kRunProgramStart) + commandLine + std::string(kRunProgramEnd)) &&
        !services_.Desktop.StartProgram(fullName, Cp1252ToUtf8IfNeeded(arguments)))
        services_.ErrorBox.ShowError(QStringToEngineText(Cp1252ToQString(kProgramNotStarted).arg(shownName)));
}

void TViewer::htmlPane1HistoryChange()
{
    addressBox_->setText(FileNameForDisplay(htmlPane1_->CurrentFile()));
    UpdateNavigation();
    windows_.MainForm->MajHisto(htmlPane1_->History(), htmlPane1_->TitleHistory(), htmlPane1_->HistoryIndex());
    ShowPageCaption();
    htmlPane1_->setFocus();
}

void TViewer::htmlPane1Processing(bool processingOn)
{
    // However the page came (the address box, a link, the history), once
    // one is shown the page commands serve it.
    if (!processingOn && !htmlPane1_->CurrentFile().empty())
        windows_.MainForm->Valide();
    // The link last pointed at belongs to the page that goes.
    if (processingOn)
        windows_.MainForm->SetStatusText(QString());
    else
        ShowPageCaption();
    if (fileName_.empty())
        return;
    if (processingOn) {
        windows_.MainForm->EnableBack(false);
        windows_.MainForm->EnableForward(false);
    } else {
        UpdateNavigation();
    }
    windows_.MainForm->EnableLoadCommands(!processingOn);
}

void TViewer::htmlPane1SoundRequest(THtmlPane& sender, const std::string& url, int loop, bool terminate)
{
    if (terminate) {
        // Notices still on their way must not start the sound again.
        repeatCount_ = 0;
        services_.Desktop.MediaClose();
        return;
    }
    const std::string fileName = sender.ExpandLinkName(url);
    // A name with a control character, or a device, a FIFO or a folder, is no
    // sound file: nothing plays, as for a missing file. The last page's sound
    // was closed before this page was built.
    if (HasControlCharacter(fileName) || !IsSoundFile(fileName))
        return;
    repeatCount_ = loop < 0 ? kEndlessRepeats : std::max(loop, 1);
    // Opening gives the first notice, which starts the first play.
    services_.Desktop.MediaOpen(fileName);
}

void TViewer::MediaNotify(TMediaNotice notice)
{
    if (notice != TMediaNotice::Successful)
        return;
    if (repeatCount_ <= 0) {
        services_.Desktop.MediaClose();
        return;
    }
    if (services_.Desktop.MediaAtEnd())
        services_.Desktop.MediaRewind();
    services_.Desktop.MediaPlay();
    --repeatCount_;
}

void TViewer::htmlPane1MetaRefresh(int delay, const std::string& url)
{
    const std::string target = LocateFileNamedByPage(LinkToPath(url), htmlPane1_->CurrentFile());
    if (!IsExistingFile(target))
        return;
    refreshTarget_ = target;
    refreshOrigin_ = htmlPane1_->CurrentFile();
    const long long interval = static_cast<long long>(delay) * kMillisecondsPerSecond;
    refreshTimer_.start(static_cast<int>(std::clamp<long long>(interval, 0, INT_MAX)));
}

void TViewer::RefreshTimerTimer()
{
    refreshTimer_.stop();
    // The user has moved to another page meanwhile: the refresh is stale.
    if (htmlPane1_->CurrentFile() != refreshOrigin_)
        return;
    try {
        htmlPane1_->LoadHtmlFile(refreshTarget_);
    } catch (const std::exception&) {
    }
    // The document window keeps no caption of its own: the frame would merge
    // it into its own caption and bring it back, stale, whenever the focus
    // returns.
    ShowPageCaption();
}

void TViewer::TakeClickedImage(TImageObj* image)
{
    clickedImage_ = image ? image->PaletteCopy() : QImage();
    // A still picture keeps its transparency apart; an animation's first
    // frame comes on its transparent colour already.
    const bool transparentStill =
        image && image->Kind == TPictureKind::Bitmap && image->Transparent != TTransparency::None;
    clickedMask_ = transparentStill ? image->Mask : QImage();
    clickedBackground_ = ToQColor(htmlPane1_->Document().Background);
}

void TViewer::htmlPane1RightClick(const TRightClickParameters& parameters)
{
    TakeClickedImage(parameters.Image);
    FillPageMenu({parameters.Url, parameters.Target});
    pageMenu_->popup(parameters.ScreenPoint);
}

void TViewer::FillPageMenu(const TUrlTarget& link)
{
    pageMenu_->clear();
    const auto addItem = [this](const QString& caption, const QString& hint, const char* name, bool enabled,
                                auto action) {
        QAction* item = pageMenu_->addAction(caption);
        item->setObjectName(name);
        item->setStatusTip(hint);
        item->setEnabled(enabled);
        connect(item, &QAction::triggered, this, action);
    };
    const TMainCommands& commands = windows_.MainForm->Commands();
    addItem(Cp1252ToQString(std::string(kBack)), commands.Back->statusTip(), "back", commands.Back->isEnabled(),
            [this] { Precedent(); });
    addItem(Cp1252ToQString(kForward), commands.Forward->statusTip(), "forward", commands.Forward->isEnabled(),
            [this] { Suivant(); });
    addItem(Cp1252ToQString(kReload), commands.Reload->statusTip(), "reload",
            !htmlPane1_->CurrentFile().empty(), [this] { Recharger(); });
    pageMenu_->addSeparator();
    addItem(Cp1252ToQString(kCopy), commands.Copy->statusTip(), "copy", htmlPane1_->SelLength() > 0,
            [this] { Copier(); });
    addItem(Cp1252ToQString(std::string(kSelectAll)), commands.SelectAll->statusTip(), "selectAll",
            !htmlPane1_->Document().Items.empty(), [this] { Toutsel(); });
    if (!link.Url.empty()) {
        pageMenu_->addSeparator();
        addItem(Cp1252ToQString(kOpenLink), FileNameForDisplay(link.Url), "openLink", true, [this, link] {
            ReportingErrors([this, &link] { htmlPane1_->FollowLink(link); });
            ShowPageCaption();
        });
        addItem(Cp1252ToQString(kCopyLink), FileNameForDisplay(link.Url), "copyLink", true,
                [this, url = link.Url] { CopyLinkAddress(url); });
    }
    if (!clickedImage_.isNull()) {
        pageMenu_->addSeparator();
        addItem(Cp1252ToQString(kViewImage), Cp1252ToQString(kViewImageHint), "viewImage", true,
                [this] { ViewImage(); });
        addItem(Cp1252ToQString(kCopyImage), Cp1252ToQString(kCopyImageHint), "copyImage", true,
                [this] { CopyImage(); });
        addItem(Cp1252ToQString(kSaveImage), Cp1252ToQString(kSaveImageHint), "saveImage", true,
                [this] { SaveImage(); });
    }
}

// A local link is copied as the full name of the file it leads to, anchor
// kept; any other address as it is written.
void TViewer::CopyLinkAddress(const std::string& url)
{
    QString address = Cp1252ToQString(url);
    if (IsLocalLink(url)) {
        const std::size_t hash = url.find('#');
        const std::string file = hash == 0 ? htmlPane1_->CurrentFile() : htmlPane1_->ExpandLinkName(url.substr(0, hash));
        address = FileNameForDisplay(file);
        if (hash != std::string::npos)
            address += Cp1252ToQString(url.substr(hash));
    }
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(address);
}

void TViewer::htmlPane1FormSubmit(const std::string& action, const std::string& method,
                                  const std::vector<std::string>& results)
{
    windows_.SubmitForm->SetResults(action, method, results);
    services_.Dialogs.ShowModal(*windows_.SubmitForm);
}

void TViewer::AddressBoxEnter()
{
    const QString text = addressBox_->text().trimmed();
    if (text.isEmpty() || text == FileNameForDisplay(htmlPane1_->CurrentFile())) {
        ShowPageAddress();
        return;
    }
    const std::string name = TypedFileName(LinkToPath(QFile::encodeName(text).toStdString()));
    if (!IsExistingFile(name)) {
        // Left as typed, selected, for the user to correct.
        windows_.MainForm->SetStatusText(Cp1252ToQString(kTypedFileMissing).arg(text));
        addressBox_->selectAll();
        return;
    }
    fileName_ = name;
    ReportingErrors([this] { LoadByExtension(fileName_); });
    ShowPageAddress();
}

std::string TViewer::TypedFileName(const std::string& typed) const
{
    const std::filesystem::path path(typed);
    if (path.is_absolute() || htmlPane1_->CurrentFile().empty())
        return typed;
    const std::string besidePage =
        (std::filesystem::path(htmlPane1_->CurrentFile()).parent_path() / path).lexically_normal().string();
    return IsExistingFile(besidePage) ? besidePage : typed;
}

// As links decide: a picture shows as one, a ".txt" file as text, anything
// else as a page.
void TViewer::LoadByExtension(const std::string& fileName)
{
    if (TPageLoader::LinkedFileKind(fileName) == TLinkedFile::Image)
        htmlPane1_->LoadImageFile(fileName);
    else if (ExtensionOf(fileName) == ".TXT")
        htmlPane1_->LoadTextFile(fileName);
    else
        htmlPane1_->LoadHtmlFile(fileName);
}

void TViewer::ShowPageAddress()
{
    addressBox_->setText(FileNameForDisplay(htmlPane1_->CurrentFile()));
}

bool TViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == addressBox_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        ShowPageAddress();
        addressBox_->selectAll();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Image menu ----------------------------------------------------------

void TViewer::ViewImage()
{
    windows_.ImageForm->SetBitmap(clickedImage_, clickedMask_);
    windows_.ImageForm->setWindowTitle(QString());
    services_.Dialogs.ShowModal(*windows_.ImageForm);
}

void TViewer::CopyImage()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setImage(clickedImage_);
}

void TViewer::SaveImage()
{
    const TSaveRequest request{Cp1252ToQString(kSaveImageHint), {Cp1252ToQString(kPictureFilter)}, QString(),
                               QString()};
    const std::optional<TSaveChoice> choice =
        AskSaveTarget(services_.Dialogs, this, request, [](const TSaveChoice& chosen) {
            return WithDefaultExtension(chosen.FileName, kPictureExtension);
        });
    if (!choice)
        return;
    // Written whole or not at all, like every other file the program saves.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!OnBackground(clickedImage_, clickedMask_, clickedBackground_).save(&buffer, "BMP")) {
        services_.ErrorBox.ShowError(kCannotSaveImage + FileNameForMessage(choice->FileName));
        return;
    }
    if (const std::optional<std::string> failure =
            WriteFileAtomically(choice->FileName, std::string_view(bytes.constData(), bytes.size())))
        services_.ErrorBox.ShowError(*failure);
}

// ---- Main window state ---------------------------------------------------

void TViewer::ShowPageCaption()
{
    windows_.MainForm->SetPageCaption(htmlPane1_->DocumentTitle());
}

void TViewer::UpdateNavigation()
{
    const int index = htmlPane1_->HistoryIndex();
    const int count = static_cast<int>(htmlPane1_->HistoryEntries().size());
    windows_.MainForm->EnableBack(index < count - 1);
    windows_.MainForm->EnableForward(index > 0);
}
