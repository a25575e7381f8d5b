#pragma once
// The whole shell started as the program starts it, with fakes for
// everything that would reach outside: the desktop, message boxes and file
// dialogs, the error box and the clock.

#include "app/window/Application.h"
#include "app/window/MainForm.h"
#include "app/window/Settings.h"
#include "app/window/ShellDialogs.h"
#include "app/window/Viewer.h"
#include "accessories/ClockSetter.h"
#include "engine/viewer/HtmlPane.h"
#include "engine/images/ImageCache.h"
#include "tests/EngineFakes.h"
#include "tests/TestSupport.h"
#include "tests/desktop/FakeDesktop.h"
#include "tests/window/FakeDialogs.h"

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
    // Each test has settings of its own, never the user's.
    QTemporaryDir SettingsFolder;
    TSettings Settings{SettingsFolder.filePath("zefweb.conf")};
    bool SelfCheckPasses = true;
    QTemporaryDir Folder;
    std::unique_ptr<TShell> Shell;
    std::optional<QDateTime> FixedMoment;

    void TearDown() override { Shell.reset(); }

    // Creates every window and shows the main window, as start-up does.
    void Start(std::vector<std::string> arguments = {}) { StartWith(Desktop, std::move(arguments)); }

    // The same with another desktop, such as the real one.
    void StartWith(TDesktop& desktop, std::vector<std::string> arguments = {})
    {
        const TShellServices services{desktop, Errors, Dialogs, ImageCache, ClockSetter, Settings,
                                      [this](QWidget*, const std::function<void()>& failed) {
                                          if (!SelfCheckPasses)
                                              failed();
                                      }, FixedMoment};
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
