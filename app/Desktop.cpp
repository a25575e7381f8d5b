#include "app/Desktop.h"

#include <QAudioOutput>
#include <QDesktopServices>
#include <QFile>
#include <QMediaPlayer>
#include <QProcess>
#include <QSoundEffect>
#include <QUrl>

namespace {

QUrl LocalFileUrl(const std::string& fileName)
{
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(fileName)));
}

// The media device keeps track of the command it is running, so that only the
// end of an open or of a play gives a notice, never the state changes that
// closing or rewinding cause.
class TQtDesktop final : public TDesktop {
public:
    TQtDesktop();

    void PlaySound(const std::string& fileName) override;
    bool OpenFile(const std::string& fileName) override;
    bool OpenAddress(const std::string& address) override;
    bool StartProgram(const std::string& program, const std::string& arguments) override;

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

TQtDesktop::TQtDesktop()
{
    Player.setAudioOutput(&AudioOutput);
    QObject::connect(&Player, &QMediaPlayer::mediaStatusChanged, &Player,
                     [this](QMediaPlayer::MediaStatus status) { MediaStatusChanged(status); });
    QObject::connect(&Player, &QMediaPlayer::errorOccurred, &Player,
                     [this](QMediaPlayer::Error, const QString&) { Finish(TMediaNotice::Failed); });
}

void TQtDesktop::PlaySound(const std::string& fileName)
{
    Sound = std::make_unique<QSoundEffect>();
    Sound->setSource(LocalFileUrl(fileName));
    Sound->play();
}

bool TQtDesktop::OpenFile(const std::string& fileName)
{
    return QDesktopServices::openUrl(LocalFileUrl(fileName));
}

bool TQtDesktop::OpenAddress(const std::string& address)
{
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

bool TQtDesktop::StartProgram(const std::string& program, const std::string& arguments)
{
    return QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(program)),
                                   SplitProgramArguments(arguments));
}

void TQtDesktop::MediaOpen(const std::string& fileName)
{
    // Clearing the source first makes a second open of the same file load it
    // again, and so report again.
    Pending = TPending::None;
    Player.setSource(QUrl());
    Pending = TPending::Open;
    Player.setSource(LocalFileUrl(fileName));
}

void TQtDesktop::MediaPlay()
{
    Pending = TPending::Play;
    Player.play();
}

void TQtDesktop::MediaRewind()
{
    Player.setPosition(0);
}

void TQtDesktop::MediaClose()
{
    Pending = TPending::None;
    Player.stop();
    Player.setSource(QUrl());
}

bool TQtDesktop::MediaAtEnd() const
{
    return Player.mediaStatus() == QMediaPlayer::EndOfMedia;
}

void TQtDesktop::SetMediaNotify(TMediaNotify notify)
{
    NotifyHandler = std::move(notify);
}

void TQtDesktop::MediaStatusChanged(QMediaPlayer::MediaStatus status)
{
    if (status == QMediaPlayer::InvalidMedia)
        Finish(TMediaNotice::Failed);
    else if (Pending == TPending::Open && status == QMediaPlayer::LoadedMedia)
        Finish(TMediaNotice::Successful);
    else if (Pending == TPending::Play && status == QMediaPlayer::EndOfMedia)
        Finish(TMediaNotice::Successful);
}

void TQtDesktop::Finish(TMediaNotice notice)
{
    if (Pending == TPending::None)
        return;
    Pending = TPending::None;
    if (NotifyHandler)
        NotifyHandler(notice);
}

} // namespace

QStringList SplitProgramArguments(const std::string& arguments)
{
    return QString::fromStdString(arguments).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

std::unique_ptr<TDesktop> MakeQtDesktop()
{
    return std::make_unique<TQtDesktop>();
}
