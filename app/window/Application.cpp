#include "app/window/Application.h"

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

bool CheckOwnProgram(QWidget* parent)
{
    if (CheckProgramFile(OwnProgramFile()) == TSelfCheck::Intact)
        return true;
    std::cerr << "zefweb: " << Cp1252ToQString(kSelfCheckWarning).toStdString() << '\n';
    return OwnProgramIsIntact(parent);
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
    windows_.Blocnotes = new TBlocnotes(services.ErrorBox, DefaultPrinter, owner);
    windows_.Horloge = new THorloge(services.ClockSetter, TTimeSource{}, owner);
    windows_.Pocket = new TPocket(services.ErrorBox, owner);
    windows_.FontForm = new TFontForm(services.ImageCache, services.ErrorBox, owner);
    windows_.SubmitForm = new TSubmitForm(owner);
    windows_.Editeur = new TEditeur(services.ErrorBox, services.Dialogs, AskPrinter, owner);
    windows_.ImageForm = new TImageForm(owner);
    windows_.Propriete = new TPropriete(owner);
}

TShell::~TShell() = default;

int RunWindowProgram(int argc, char* argv[], std::vector<std::string> arguments)
{
    TQtErrorBox errorBox;
    TZefApplication application(argc, argv, errorBox);
    const TQtFrench french;
    auto splash = std::make_unique<TSplash>();
    splash->ShowNow();
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(ProgramPicture(kIconSize))));

    const std::unique_ptr<TDesktop> desktop = MakeQtDesktop();
    TQtShellDialogs dialogs;
    TImageCache imageCache;
    TSystemClockSetter clockSetter;
    const TShellServices services{*desktop, errorBox, dialogs, imageCache, clockSetter, CheckOwnProgram};
    TShell shell(services, std::move(arguments));
    splash.reset();

    shell.MainForm().show();
    if (shell.MainForm().EndRequested())
        return 1;
    return application.exec();
}
