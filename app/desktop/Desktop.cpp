#include "app/desktop/Desktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QUrl>

#include <iostream>

namespace {

QUrl LocalFileUrl(const std::string& fileName)
{
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(fileName)));
}

// The sound device when the module is missing or refused: sounds play nothing
// and every media command fails. The failure is posted to the event loop, as
// a real one arrives, so that a caller is never re-entered from inside its own
// request; only the notice of the last command is delivered, and Close
// cancels it, as with the real device.
class TSilentSoundDevice final : public TSoundDevice {
public:
    void PlaySound(const std::string&) override {}
    void MediaOpen(const std::string&) override { PostFailure(); }
    void MediaPlay() override { PostFailure(); }
    void MediaRewind() override {}
    void MediaClose() override { ++LastCommand; }
    bool MediaAtEnd() const override { return false; }
    void SetMediaNotify(TMediaNotify notify) override { NotifyHandler = std::move(notify); }

private:
    void PostFailure()
    {
        const unsigned command = ++LastCommand;
        QMetaObject::invokeMethod(
            &NoticeContext,
            [this, command] {
                if (command == LastCommand && NotifyHandler)
                    NotifyHandler(TMediaNotice::Failed);
            },
            Qt::QueuedConnection);
    }

    // Notices still posted when the device goes are dropped with it.
    QObject NoticeContext;
    unsigned LastCommand = 0;
    TMediaNotify NotifyHandler;
};

// The device of the first place that holds our module, or why none did. A
// library once loaded stays mapped: Qt Multimedia leaves threads and plugins
// behind that must not lose their code.
struct TSoundModule {
    std::unique_ptr<TSoundDevice> Device;
    std::string Refusal;
};

TSoundModule LoadSoundModule(const QStringList& places)
{
    TSoundModule module;
    for (const QString& place : places) {
        if (!QFile::exists(place))
            continue;
        const std::string where = QFile::encodeName(place).toStdString();
        QLibrary library(place);
        if (!library.load()) {
            module.Refusal = where + " : " + library.errorString().toStdString();
            continue;
        }
        const auto version = reinterpret_cast<TSoundVersionFunction>(library.resolve(kSoundVersionFunction));
        const auto factory = reinterpret_cast<TSoundFactoryFunction>(library.resolve(kSoundFactoryFunction));
        if (!version || !factory) {
            module.Refusal = where + " n'est pas un module de son";
            continue;
        }
        if (const int found = version(); found != kSoundDeviceVersion) {
            module.Refusal = where + " est de version " + std::to_string(found) + " au lieu de " +
                             std::to_string(kSoundDeviceVersion);
            continue;
        }
        std::string refusal;
        module.Device.reset(factory(refusal));
        if (module.Device)
            return module;
        module.Refusal = where + (refusal.empty() ? " n'a pas pu ouvrir le son" : " : " + refusal);
    }
    return module;
}

std::string SoundModuleMissing(const QStringList& places, const std::string& refusal)
{
    if (!refusal.empty())
        return "zefweb: module de son refusé (" + refusal + ") : les sons sont coupés";
    return "zefweb: module de son introuvable (" + places.join(QStringLiteral(", ")).toStdString() +
           ") : les sons sont coupés";
}

// Sounds go to the sound module, loaded by the first sound or media open; the
// commands that only act on what is playing never load it.
class TQtDesktop final : public TDesktop {
public:
    TQtDesktop(QStringList soundModules, std::ostream& err)
        : SoundModules(std::move(soundModules))
        , Err(err)
    {
    }

    void PlaySound(const std::string& fileName) override { LoadedSound().PlaySound(fileName); }
    bool OpenFile(const std::string& fileName) override;
    bool OpenAddress(const std::string& address) override;
    bool StartProgram(const std::string& program, const std::string& arguments) override;

    void MediaOpen(const std::string& fileName) override { LoadedSound().MediaOpen(fileName); }
    void MediaPlay() override { LoadedSound().MediaPlay(); }
    void MediaRewind() override
    {
        if (Sound)
            Sound->MediaRewind();
    }
    void MediaClose() override
    {
        if (Sound)
            Sound->MediaClose();
    }
    bool MediaAtEnd() const override { return Sound && Sound->MediaAtEnd(); }
    void SetMediaNotify(TMediaNotify notify) override { NotifyHandler = std::move(notify); }

private:
    TSoundDevice& LoadedSound();

    QStringList SoundModules;
    std::ostream& Err;
    TMediaNotify NotifyHandler;
    std::unique_ptr<TSoundDevice> Sound;
};

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

TSoundDevice& TQtDesktop::LoadedSound()
{
    if (Sound)
        return *Sound;
    TSoundModule module = LoadSoundModule(SoundModules);
    if (module.Device) {
        Sound = std::move(module.Device);
    } else {
        Err << SoundModuleMissing(SoundModules, module.Refusal) << std::endl;
        Sound = std::make_unique<TSilentSoundDevice>();
    }
    // The windows may change their handler at any time; the device keeps
    // calling the current one.
    Sound->SetMediaNotify([this](TMediaNotice notice) {
        if (NotifyHandler)
            NotifyHandler(notice);
    });
    return *Sound;
}

} // namespace

QStringList SplitProgramArguments(const std::string& arguments)
{
    return QString::fromStdString(arguments).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QStringList SoundModulePlaces()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString fileName = QStringLiteral(ZEF_SOUND_MODULE);
    return {programFolder + QLatin1Char('/') + fileName,
            QDir::cleanPath(programFolder + QStringLiteral("/../lib/zefweb/") + fileName)};
}

std::unique_ptr<TDesktop> MakeQtDesktop(QStringList soundModules, std::ostream& err)
{
    return std::make_unique<TQtDesktop>(std::move(soundModules), err);
}

std::unique_ptr<TDesktop> MakeQtDesktop()
{
    return MakeQtDesktop(SoundModulePlaces(), std::cerr);
}
