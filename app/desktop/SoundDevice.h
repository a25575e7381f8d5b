#pragma once
// What plays sounds: short sounds fired and forgotten, and the media device
// for background sounds. The Qt Multimedia implementation lives in a module
// loaded when the first sound is played, so that a program that only shows
// pages never maps the audio libraries.

#include <functional>
#include <string>

// How a command of the media device finished.
enum class TMediaNotice { Successful, Failed };

class TSoundDevice {
public:
    using TMediaNotify = std::function<void(TMediaNotice)>;

    virtual ~TSoundDevice() = default;

    // File names are UTF-8.
    // Plays a sound file and returns at once; a new sound stops the last one.
    virtual void PlaySound(const std::string& fileName) = 0;

    // Open, and Play once it reaches the end, report through the notice
    // handler when they finish; Close (or a new Open) cancels the notice of
    // a command under way.
    virtual void MediaOpen(const std::string& fileName) = 0;
    virtual void MediaPlay() = 0;
    virtual void MediaRewind() = 0;
    virtual void MediaClose() = 0;
    virtual bool MediaAtEnd() const = 0;
    virtual void SetMediaNotify(TMediaNotify notify) = 0;
};

// The sound module exports these two functions with C linkage. The program
// calls the factory only when the version matches its own, so that a module
// left by another build, whose interface may be laid out differently, is
// refused rather than called. Raise the version at every change of
// TSoundDevice or of the types it passes.
constexpr int kSoundDeviceVersion = 2;
constexpr const char* kSoundVersionFunction = "ZefSoundDeviceVersion";
constexpr const char* kSoundFactoryFunction = "ZefMakeSoundDevice";
using TSoundVersionFunction = int (*)();
// The device is made with new; the caller deletes it. Without one (the sound
// system lacks a piece the players need), refusal says why, in French.
using TSoundFactoryFunction = TSoundDevice* (*)(std::string& refusal);
