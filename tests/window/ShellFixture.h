#pragma once
// The whole shell started as the program starts it, with fakes for
// everything that would reach outside: the desktop, message boxes and file
// dialogs, the error box and the clock.

#include "app/window/Application.h"
#include "app/window/MainForm.h"
#include "app/window/ShellDialogs.h"
#include "app/window/Viewer.h"
#include "accessories/ClockSetter.h"
#include "engine/viewer/HtmlPane.h"
#include "engine/images/ImageCache.h"
#include "tests/EngineFakes.h"
#include "tests/desktop/FakeDesktop.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TFakeClockSetter final : public TClockSetter {
public:
    bool SetSystemClock(const QDateTime&) override { return false; }
};

// Records every box and dialog, and answers with what the test set.
class TFakeDialogs final : public TShellDialogs {
public:
    std::vector<std::string> Questions;     // warning boxes asked
    std::vector<std::string> YesNoQuestions;
    std::vector<std::string> Informations;  // information boxes shown
    std::vector<std::string> ShownWindows;  // class names of the windows shown modally
    std::vector<std::string> SavedPages;    // source files handed to the page save
    bool AnswerOk = true;
    bool AnswerYes = false;
    // Runs on the window shown modally; without it the window is cancelled.
    std::function<int(QDialog&)> OnShowModal;
    std::optional<TOpenChoice> OpenAnswer;
    std::optional<std::string> PictureAnswer;

    bool AskOkCancel(QWidget*, const std::string& message) override
    {
        Questions.push_back(message);
        return AnswerOk;
    }
    bool AskYesNo(QWidget*, const std::string& message) override
    {
        YesNoQuestions.push_back(message);
        return AnswerYes;
    }
    void Inform(QWidget*, const std::string& message) override { Informations.push_back(message); }
    int ShowModal(QDialog& dialog) override
    {
        ShownWindows.push_back(dialog.metaObject()->className());
        return OnShowModal ? OnShowModal(dialog) : QDialog::Rejected;
    }
    std::optional<TOpenChoice> AskOpenFileName(QWidget*, const TOpenChoice&) override { return OpenAnswer; }
    std::optional<std::string> AskPictureFileName(QWidget*) override { return PictureAnswer; }
    void SavePage(QWidget*, const std::string& sourceFileName, TErrorBox&) override
    {
        SavedPages.push_back(sourceFileName);
    }
};

// Makes a folder current for one test and goes back afterwards.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const QString& folder) : saved_(QDir::currentPath()) { QDir::setCurrent(folder); }
    ~TCurrentFolder() { QDir::setCurrent(saved_); }

private:
    QString saved_;
};

class ShellTest : public testing::Test {
protected:
    TFakeDesktop Desktop;
    TRecordingErrorBox Errors;
    TFakeDialogs Dialogs;
    TImageCache ImageCache;
    TFakeClockSetter ClockSetter;
    bool SelfCheckPasses = true;
    QTemporaryDir Folder;
    std::unique_ptr<TShell> Shell;

    void TearDown() override { Shell.reset(); }

    // Creates every window and shows the main window, as start-up does.
    void Start(std::vector<std::string> arguments = {}) { StartWith(Desktop, std::move(arguments)); }

    // The same with another desktop, such as the real one.
    void StartWith(TDesktop& desktop, std::vector<std::string> arguments = {})
    {
        const TShellServices services{desktop, Errors, Dialogs, ImageCache, ClockSetter,
                                      [this](QWidget*) { return SelfCheckPasses; }};
        Shell = std::make_unique<TShell>(services, std::move(arguments));
        Shell->MainForm().show();
    }

    TMainForm& Main() const { return Shell->MainForm(); }
    TViewer& Viewer() const { return Shell->Viewer(); }
    THtmlPane& Pane() const { return Shell->Viewer().Pane(); }
    const TMainCommands& Commands() const { return Shell->MainForm().Commands(); }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const std::string path = Folder.path().toStdString() + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // Opens a file through the open dialog, as the user would.
    void OpenThroughDialog(const std::string& fileName, int filterIndex = 1)
    {
        Dialogs.OpenAnswer = TOpenChoice{fileName, filterIndex};
        Commands().Open->trigger();
    }
};
