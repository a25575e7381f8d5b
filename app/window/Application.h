#pragma once
// Start-up of the window program: the splash window, every window of the
// shell created once in a fixed order, and the message loop.

#include "app/window/ShellWindows.h"

#include <memory>
#include <string>
#include <vector>

// Owns the windows of one run. The main window is created first and becomes
// the parent of the others, so that they live as long as it does; closing an
// auxiliary window only hides it.
class TShell {
public:
    // The first argument, when there is one, is opened as an HTML page when
    // the main window is first shown.
    TShell(const TShellServices& services, std::vector<std::string> arguments);
    ~TShell();
    TShell(const TShell&) = delete;
    TShell& operator=(const TShell&) = delete;

    TShellWindows& Windows() { return windows_; }
    TMainForm& MainForm() const { return *mainForm_; }
    TViewer& Viewer() const { return *windows_.Viewer; }

private:
    TShellWindows windows_;
    std::unique_ptr<TMainForm> mainForm_;
};

// The whole window program: returns the exit code. `arguments` are those
// after the program's name.
int RunWindowProgram(int argc, char* argv[], std::vector<std::string> arguments);
