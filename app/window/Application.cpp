#include "app/window/Application.h"

#include "app/files/PageIncludes.h"
#include "app/window/AboutBox.h"
#include "app/desktop/Desktop.h"
#include "app/window/Editeur.h"
#include "app/window/FontForm.h"
#include "app/window/ImageForm.h"
#include "app/window/MainForm.h"
#include "app/window/ProgramPicture.h"
#include "app/window/Propriete.h"
#include "app/window/QtFrench.h"
#include "app/desktop/SelfCheck.h"
#include "app/window/Settings.h"
#include "app/window/ShellDialogs.h"
#include "app/window/Splash.h"
#include "app/window/SubmitForm.h"
#include "app/window/Viewer.h"
#include "accessories/Blocnotes.h"
#include "accessories/Calendrier.h"
#include "accessories/ClockSetter.h"
#include "accessories/Horloge.h"
#include "accessories/Pocket.h"
#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"
#include "engine/images/ImageCache.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdlib>
#include <iostream>

namespace {

constexpr const char* kApplicationTitle = "Zef Web";
constexpr int kIconSize = 48;

// Errors that reach the message loop are shown in the error box with their
// message, and the program goes on.
class TZefApplication final : public QApplication {
public:
    TZefApplication(int& argc, char** argv, TErrorBox& errorBox)
        : QApplication(argc, argv)
        , errorBox_(errorBox)
    {
    }

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            errorBox_.ShowError(error.what());
        }
        return false;
    }

private:
    TErrorBox& errorBox_;
};

// Qt ends the program (a fatal message, then abort) when its platform
// plugin cannot start, as where no display can be opened. While the
// application object is made, such an end becomes one French line and exit
// code 1; Qt's own lines about the platform, which would only repeat it in
// English, are left out meanwhile.
class TNoDisplayGuard {
public:
    TNoDisplayGuard() : previous_(qInstallMessageHandler(&TNoDisplayGuard::Handle)) {}
    ~TNoDisplayGuard() { qInstallMessageHandler(previous_); }
    TNoDisplayGuard(const TNoDisplayGuard&) = delete;
    TNoDisplayGuard& operator=(const TNoDisplayGuard&) = delete;

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtFatalMsg) {
            const QByteArray display = qgetenv("DISPLAY");
            std::cerr << "zefweb: aucun écran ne peut être ouvert"
                      << (display.isEmpty() ? std::string() : " (DISPLAY=" + display.toStdString() + ")")
                      << " ; sans écran, zefweb --render PAGE --output IMAGE.png dessine la page et "
                         "zefweb --text PAGE en donne le texte"
                      << std::endl;
            std::_Exit(1);
        }
        if (context.category && QByteArrayView(context.category).startsWith("qt.qpa"))
            return;
        std::cerr << qFormatLogMessage(type, context, message).toStdString() << std::endl;
    }

    QtMessageHandler previous_;
};

// The moment ZEF_DATE fixes for include comments; a value that is no such
// moment is reported and the clock is used.
std::optional<QDateTime> FixedMomentFromEnvironment()
{
    if (!qEnvironmentVariableIsSet(kFixedMomentVariable))
        return std::nullopt;
    const std::string value = qEnvironmentVariable(kFixedMomentVariable).toStdString();
    const std::optional<QDateTime> moment = ParseFixedMoment(value);
    if (!moment)
        std::cerr << "zefweb: " << kFixedMomentVariable << " ignorée, elle attend « jj/mm/aaaa hh:mm:ss » : "
                  << value << std::endl;
    return moment;
}

// The program's file is hashed off the interface thread: a large program
// would otherwise hold the first page up for as long as it takes to read.
void CheckOwnProgram(QWidget* parent, std::function<void()> failed)
{
    CheckProgramFileInBackground(OwnProgramFile(), parent, [parent, failed = std::move(failed)](TSelfCheck result) {
        if (result == TSelfCheck::Intact)
            return;
        std::cerr << "zefweb: " << kSelfCheckWarning << std::endl;
        WarnProgramChanged(parent);
        failed();
    });
}

} // namespace

TShell::TShell(const TShellServices& services, std::vector<std::string> arguments)
{
    mainForm_ = std::make_unique<TMainForm>(windows_, services, std::move(arguments));
    windows_.MainForm = mainForm_.get();
    QWidget* owner = mainForm_.get();
    windows_.AboutBox = new TAboutBox(owner);
    windows_.Viewer = new TViewer(windows_, services);
    windows_.Calendrier = new TCalendrier(QDate::currentDate(), owner);
    windows_.Blocnotes = new TBlocnotes(services.ErrorBox, services.Settings.NotesFile(), DefaultPrinter, owner);
    windows_.Horloge = new THorloge(services.ClockSetter, services.ErrorBox, TTimeSource{}, owner);
    windows_.Pocket = new TPocket(services.ErrorBox, owner);
    windows_.FontForm = new TFontForm(services.ImageCache, services.ErrorBox, owner);
    windows_.SubmitForm = new TSubmitForm(owner);
    windows_.Editeur = new TEditeur(services.ErrorBox, services.Dialogs, AskPrinter, owner);
    windows_.Editeur->OnSaved = [viewer = windows_.Viewer](const std::string& fileName) {
        viewer->PageFileSaved(fileName);
    };
    windows_.ImageForm = new TImageForm(owner);
    windows_.Propriete = new TPropriete(owner);
}

TShell::~TShell() = default;

int RunWindowProgram(int argc, char* argv[], std::vector<std::string> arguments)
{
    TQtErrorBox errorBox;
    auto noDisplay = std::make_unique<TNoDisplayGuard>();
    TZefApplication application(argc, argv, errorBox);
    noDisplay.reset();
    const TQtFrench french;
    auto splash = std::make_unique<TSplash>();
    splash->ShowNow();
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(ProgramPicture(kIconSize))));

    const std::unique_ptr<TDesktop> desktop = MakeQtDesktop();
    TQtShellDialogs dialogs;
    TImageCache imageCache;
    TSystemClockSetter clockSetter;
    TSettings settings;
    const TShellServices services{*desktop, errorBox, dialogs, imageCache, clockSetter, settings, CheckOwnProgram,
                                  FixedMomentFromEnvironment()};
    TShell shell(services, std::move(arguments));
    splash.reset();

    shell.MainForm().show();
    return application.exec();
}
