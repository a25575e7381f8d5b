// The sound module: the Qt Multimedia sound device, built as a library of its
// own that the program loads when the first sound is played.

#include "app/desktop/SoundDevice.h"

#include <QAudioOutput>
#include <QFile>
#include <QMediaPlayer>
#include <QSoundEffect>
#include <QUrl>

#include <gst/gst.h>

#include <array>
#include <memory>

namespace {

// What Qt's GStreamer back end makes for a media player and its audio output.
// It links them without checking, so that a single missing one (a machine
// without the base plugins) ends the program inside the player's constructor.
constexpr std::array kNeededElements = {
    "playbin", "uridecodebin", "audioconvert", "audioresample", "volume", "videoconvert", "videoscale",
    "input-selector", "queue", "identity", "tee", "capsfilter", "fakesink", "autoaudiosink",
};

// Why the players cannot be made safely, in French; empty when they can.
std::string MissingGStreamerPieces()
{
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        std::string why = "GStreamer ne démarre pas";
        if (error) {
            why += std::string(" (") + error->message + ")";
            g_error_free(error);
        }
        return why;
    }
    std::string missing;
    for (const char* element : kNeededElements) {
        if (GstElementFactory* factory = gst_element_factory_find(element)) {
            gst_object_unref(factory);
            continue;
        }
        missing += (missing.empty() ? "" : ", ") + std::string(element);
    }
    if (missing.empty())
        return {};
    return "éléments GStreamer absents : " + missing;
}

QUrl LocalFileUrl(const std::string& fileName)
{
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(fileName)));
}

// Short sounds through QSoundEffect, the media device through QMediaPlayer,
// each made when first asked for. The media device keeps track of the command
// it is running, so that only the end of an open or of a play gives a notice,
// never the state changes that closing or rewinding cause.
class TQtSoundDevice final : public TSoundDevice {
public:
    void PlaySound(const std::string& fileName) override;
    void MediaOpen(const std::string& fileName) override;
    void MediaPlay() override;
    void MediaRewind() override;
    void MediaClose() override;
    bool MediaAtEnd() const override;
    void SetMediaNotify(TMediaNotify notify) override;

private:
    enum class TPending { None, Open, Play };

    QMediaPlayer& MadePlayer();
    void MediaStatusChanged(QMediaPlayer::MediaStatus status);
    void Finish(TMediaNotice notice);

    std::unique_ptr<QSoundEffect> Sound;
    // The player goes before the output it plays through.
    std::unique_ptr<QAudioOutput> AudioOutput;
    std::unique_ptr<QMediaPlayer> Player;
    TPending Pending = TPending::None;
    TMediaNotify NotifyHandler;
};

QMediaPlayer& TQtSoundDevice::MadePlayer()
{
    if (Player)
        return *Player;
    AudioOutput = std::make_unique<QAudioOutput>();
    Player = std::make_unique<QMediaPlayer>();
    Player->setAudioOutput(AudioOutput.get());
    QObject::connect(Player.get(), &QMediaPlayer::mediaStatusChanged, Player.get(),
                     [this](QMediaPlayer::MediaStatus status) { MediaStatusChanged(status); });
    QObject::connect(Player.get(), &QMediaPlayer::errorOccurred, Player.get(),
                     [this](QMediaPlayer::Error, const QString&) { Finish(TMediaNotice::Failed); });
    return *Player;
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
    QMediaPlayer& player = MadePlayer();
    Pending = TPending::None;
    player.setSource(QUrl());
    Pending = TPending::Open;
    player.setSource(LocalFileUrl(fileName));
}

void TQtSoundDevice::MediaPlay()
{
    QMediaPlayer& player = MadePlayer();
    Pending = TPending::Play;
    player.play();
}

void TQtSoundDevice::MediaRewind()
{
    if (Player)
        Player->setPosition(0);
}

void TQtSoundDevice::MediaClose()
{
    Pending = TPending::None;
    if (!Player)
        return;
    Player->stop();
    Player->setSource(QUrl());
}

bool TQtSoundDevice::MediaAtEnd() const
{
    return Player && Player->mediaStatus() == QMediaPlayer::EndOfMedia;
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

extern "C" TSoundDevice* ZefMakeSoundDevice(std::string& refusal)
{
    // The checks below are those of the GStreamer back end; another back end
    // chosen through the environment would escape them.
    qputenv("QT_MEDIA_BACKEND", "gstreamer");
    refusal = MissingGStreamerPieces();
    if (!refusal.empty())
        return nullptr;
    return new TQtSoundDevice();
}
