// The sound module: the Qt Multimedia sound device, built as a library of its
// own that the program loads when the first sound is played.

#include "app/desktop/SoundDevice.h"

#include <QAudioOutput>
#include <QFile>
#include <QMediaPlayer>
#include <QSoundEffect>
#include <QUrl>

#include <memory>

namespace {

QUrl LocalFileUrl(const std::string& fileName)
{
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(fileName)));
}

// Short sounds through QSoundEffect, the media device through QMediaPlayer.
// The media device keeps track of the command it is running, so that only the
// end of an open or of a play gives a notice, never the state changes that
// closing or rewinding cause.
class TQtSoundDevice final : public TSoundDevice {
public:
    TQtSoundDevice();

    void PlaySound(const std::string& fileName) override;
    void MediaOpen(const std::string& fileName) override;
    void MediaPlay() override;
    void MediaRewind() override;
    void MediaClose() override;
    bool MediaAtEnd() const override;
    void SetMediaNotify(TMediaNotify notify) override;

private:
    enum class TPending { None, Open, Play };

    void MediaStatusChanged(QMediaPlayer::MediaStatus status);
    void Finish(TMediaNotice notice);

    std::unique_ptr<QSoundEffect> Sound;
    QAudioOutput AudioOutput;
    QMediaPlayer Player;
    TPending Pending = TPending::None;
    TMediaNotify NotifyHandler;
};

TQtSoundDevice::TQtSoundDevice()
{
    Player.setAudioOutput(&AudioOutput);
    QObject::connect(&Player, &QMediaPlayer::mediaStatusChanged, &Player,
                     [this](QMediaPlayer::MediaStatus status) { MediaStatusChanged(status); });
    QObject::connect(&Player, &QMediaPlayer::errorOccurred, &Player,
                     [this](QMediaPlayer::Error, const QString&) { Finish(TMediaNotice::Failed); });
}

void TQtSoundDevice::PlaySound(const std::string& fileName)
{
    Sound = std::make_unique<QSoundEffect>();
    Sound->setSource(LocalFileUrl(fileName));
    Sound->play();
}

void TQtSoundDevice::MediaOpen(const std::string& fileName)
{
    // Clearing the source first makes a second open of the same file load it
    // again, and so report again.
    Pending = TPending::None;
    Player.setSource(QUrl());
    Pending = TPending::Open;
    Player.setSource(LocalFileUrl(fileName));
}

void TQtSoundDevice::MediaPlay()
{
    Pending = TPending::Play;
    Player.play();
}

void TQtSoundDevice::MediaRewind()
{
    Player.setPosition(0);
}

void TQtSoundDevice::MediaClose()
{
    Pending = TPending::None;
    Player.stop();
    Player.setSource(QUrl());
}

bool TQtSoundDevice::MediaAtEnd() const
{
    return Player.mediaStatus() == QMediaPlayer::EndOfMedia;
}

void TQtSoundDevice::SetMediaNotify(TMediaNotify notify)
{
    NotifyHandler = std::move(notify);
}

void TQtSoundDevice::MediaStatusChanged(QMediaPlayer::MediaStatus status)
{
    if (status == QMediaPlayer::InvalidMedia)
        Finish(TMediaNotice::Failed);
    else if (Pending == TPending::Open && status == QMediaPlayer::LoadedMedia)
        Finish(TMediaNotice::Successful);
    else if (Pending == TPending::Play && status == QMediaPlayer::EndOfMedia)
        Finish(TMediaNotice::Successful);
}

void TQtSoundDevice::Finish(TMediaNotice notice)
{
    if (Pending == TPending::None)
        return;
    Pending = TPending::None;
    if (NotifyHandler)
        NotifyHandler(notice);
}

} // namespace

extern "C" int ZefSoundDeviceVersion()
{
    return kSoundDeviceVersion;
}

extern "C" TSoundDevice* ZefMakeSoundDevice()
{
    return new TQtSoundDevice();
}
