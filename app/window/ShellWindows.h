#pragma once
// The windows of the shell, each created once at start-up, and the services
// they share. The windows call each other directly through these pointers,
// which stay valid from start-up to the end of the program.

#include <QDateTime>
#include <QWidget>

#include <functional>
#include <optional>

class TAboutBox;
class TBlocnotes;
class TCalendrier;
class TClockSetter;
class TDesktop;
class TEditeur;
class TErrorBox;
class TFontForm;
class THorloge;
class TImageCache;
class TImageForm;
class TMainForm;
class TPocket;
class TPropriete;
class TSettings;
class TShellDialogs;
class TSubmitForm;
class TViewer;

// What reaches outside the windows; tests put fakes here.
struct TShellServices {
    TDesktop& Desktop;
    TErrorBox& ErrorBox;
    TShellDialogs& Dialogs;
    TImageCache& ImageCache;
    TClockSetter& ClockSetter;
    // The options remembered between runs.
    TSettings& Settings;
    // Starts the check of the program's own file once the main window is first
    // shown and its page opened; when the file has changed, the check warns
    // the user and then calls `failed`, which ends the program.
    std::function<void(QWidget* parent, std::function<void()> failed)> SelfCheck;
    // The moment include comments give for DATE and TIME (ZEF_DATE); the
    // clock's when empty.
    std::optional<QDateTime> FixedMoment;
};

// In the order of their creation.
struct TShellWindows {
    TMainForm* MainForm = nullptr;
    TAboutBox* AboutBox = nullptr;
    TViewer* Viewer = nullptr;
    TCalendrier* Calendrier = nullptr;
    TBlocnotes* Blocnotes = nullptr;
    THorloge* Horloge = nullptr;
    TPocket* Pocket = nullptr;
    TFontForm* FontForm = nullptr;
    TSubmitForm* SubmitForm = nullptr;
    TEditeur* Editeur = nullptr;
    TImageForm* ImageForm = nullptr;
    TPropriete* Propriete = nullptr;
};
