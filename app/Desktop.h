#pragma once
// Everything the program hands to the desktop: sounds, files and addresses
// opened with their default application, programs started with arguments, and
// the media device that plays background sounds. The windows use only this
// interface, so that tests put a recording fake in its place.

#include <QStringList>

#include <functional>
#include <memory>
#include <string>

// How a command of the media device finished.
enum class TMediaNotice { Successful, Failed };

class TDesktop {
public:
    using TMediaNotify = std::function<void(TMediaNotice)>;

    virtual ~TDesktop() = default;

    // File names are UTF-8.
    // Plays a sound file and returns at once; a new sound stops the last one.
    virtual void PlaySound(const std::string& fileName) = 0;
    // Opens a local file (a video, a MIDI file) with the default application.
    virtual bool OpenFile(const std::string& fileName) = 0;
    // Opens a mail or web address with the default application.
    virtual bool OpenAddress(const std::string& address) = 0;
    // Starts a program directly, never through a shell; the arguments are
    // split at spaces.
    virtual bool StartProgram(const std::string& program, const std::string& arguments) = 0;

    // The media device for background sounds. Open, and Play once it reaches
    // the end, report through the notice handler when they finish.
    virtual void MediaOpen(const std::string& fileName) = 0;
    virtual void MediaPlay() = 0;
    virtual void MediaRewind() = 0;
    virtual void MediaClose() = 0;
    virtual bool MediaAtEnd() const = 0;
    virtual void SetMediaNotify(TMediaNotify notify) = 0;
};

// The arguments of a program's command line: the pieces between spaces,
// empty pieces dropped.
QStringList SplitProgramArguments(const std::string& arguments);

// The real desktop: QSoundEffect, QDesktopServices, QProcess, QMediaPlayer.
std::unique_ptr<TDesktop> MakeQtDesktop();
