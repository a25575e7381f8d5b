#pragma once
// A desktop that starts nothing: it records every request as one line of
// text, and lets the test deliver the media device's notices by hand.

#include "app/desktop/Desktop.h"

#include <string>
#include <vector>

class TFakeDesktop final : public TDesktop {
public:
    std::vector<std::string> Requests;
    bool AtEnd = false;
    bool Succeeds = true;   // what OpenFile, OpenAddress and StartProgram answer

    void PlaySound(const std::string& fileName) override { Requests.push_back("sound " + fileName); }
    bool OpenFile(const std::string& fileName) override
    {
        Requests.push_back("open file " + fileName);
        return Succeeds;
    }
    bool OpenAddress(const std::string& address) override
    {
        Requests.push_back("open address " + address);
        return Succeeds;
    }
    bool StartProgram(const std::string& program, const std::string& arguments) override
    {
        std::string request = "start " + program;
        for (const QString& argument : SplitProgramArguments(arguments))
            request += " [" + argument.toStdString() + "]";
        Requests.push_back(request);
        return Succeeds;
    }

    void MediaOpen(const std::string& fileName) override { Requests.push_back("media open " + fileName); }
    void MediaPlay() override { Requests.push_back("media play"); }
    void MediaRewind() override
    {
        Requests.push_back("media rewind");
        AtEnd = false;
    }
    void MediaClose() override { Requests.push_back("media close"); }
    bool MediaAtEnd() const override { return AtEnd; }
    void SetMediaNotify(TMediaNotify notify) override { NotifyHandler = std::move(notify); }

    // Delivers a notice as the device would when a command finishes.
    void Notify(TMediaNotice notice)
    {
        if (NotifyHandler)
            NotifyHandler(notice);
    }

private:
    TMediaNotify NotifyHandler;
};
