#pragma once
// Everything the program hands to the desktop: sounds, files and addresses
// opened with their default application, programs started with arguments, and
// the media device that plays background sounds. The windows use only this
// interface, so that tests put a recording fake in its place.

#include "app/desktop/SoundDevice.h"

#include <QStringList>

#include <iosfwd>
#include <memory>
#include <string>

// The sounds and the media device are those of TSoundDevice.
class TDesktop : public TSoundDevice {
public:
    // File names are UTF-8.
    // Opens a local file (a video, a MIDI file) with the default application.
    virtual bool OpenFile(const std::string& fileName) = 0;
    // Opens a mail or web address with the default application.
    virtual bool OpenAddress(const std::string& address) = 0;
    // Starts a program directly, never through a shell; the arguments are
    // split at spaces.
    virtual bool StartProgram(const std::string& program, const std::string& arguments) = 0;
};

// The arguments of a program's command line: the pieces between spaces,
// empty pieces dropped.
QStringList SplitProgramArguments(const std::string& arguments);

// Where the program looks for the sound module, in order: beside the
// program (in the build folder), then where it is installed
// (<prefix>/lib/zefweb beside <prefix>/bin).
QStringList SoundModulePlaces();

// The real desktop: QDesktopServices and QProcess, and for sounds the first of
// soundModules that is ours, loaded when a sound is first played or the media
// device first opened. Without one, a single line on err says so, sounds play
// nothing and the media device reports failure.
std::unique_ptr<TDesktop> MakeQtDesktop(QStringList soundModules, std::ostream& err);
// The same with the sound module's usual places and standard error.
std::unique_ptr<TDesktop> MakeQtDesktop();
