#pragma once
// Shows an error message to the user in a box with one OK button. The engine
// and the windows report through this interface so that tests can record the
// messages instead of opening a modal box.

#include <string>

class TErrorBox {
public:
    virtual ~TErrorBox() = default;
    // The message is a Windows-1252 byte string.
    virtual void ShowError(const std::string& message) = 0;
};

// The real box: a critical QMessageBox titled with the application name.
class TQtErrorBox final : public TErrorBox {
public:
    void ShowError(const std::string& message) override;
};
