#include "app/desktop/SelfCheck.h"

#include "engine/base/Cp1252.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QPromise>
#include <QThreadPool>

#include <algorithm>
#include <memory>

const char* const kSelfCheckWarning =
    "Le fichier du programme a été modifié depuis sa création : "
    "le programme est peut-être infecté par un virus. Il va s'arrêter.";

namespace {

constexpr std::string_view kMagic = ZEF_DIGEST_MAGIC;
constexpr qint64 kDigestDigits = 64;
constexpr qint64 kTrailerSize = static_cast<qint64>(kMagic.size()) + kDigestDigits;
constexpr qint64 kChunkSize = 1 << 20;

// The digest of the first `length` bytes of the open file, or an empty array
// when the file cannot be read that far.
QByteArray HexDigestOfPrefix(QFile& file, qint64 length)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 remaining = length;
    while (remaining > 0) {
        const QByteArray chunk = file.read(std::min(remaining, kChunkSize));
        if (chunk.isEmpty())
            return {};
        hash.addData(chunk);
        remaining -= chunk.size();
    }
    return hash.result().toHex();
}

} // namespace

std::string_view DigestMagic()
{
    return kMagic;
}

TSelfCheck CheckProgramFile(const std::filesystem::path& program)
{
    QFile file(QString::fromStdString(program.string()));
    if (!file.open(QIODevice::ReadOnly))
        return TSelfCheck::Unreadable;
    const qint64 bodySize = file.size() - kTrailerSize;
    if (bodySize < 0 || !file.seek(bodySize))
        return TSelfCheck::NoTrailer;
    const QByteArray trailer = file.read(kTrailerSize);
    if (trailer.size() != kTrailerSize || !trailer.startsWith(QByteArrayView(kMagic.data(), kMagic.size())))
        return TSelfCheck::NoTrailer;
    if (!file.seek(0))
        return TSelfCheck::Unreadable;
    const QByteArray digest = HexDigestOfPrefix(file, bodySize);
    if (digest.isEmpty())
        return TSelfCheck::Unreadable;
    return trailer.mid(kMagic.size()).toLower() == digest ? TSelfCheck::Intact : TSelfCheck::WrongDigest;
}

std::filesystem::path OwnProgramFile()
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
}

void CheckProgramFileInBackground(const std::filesystem::path& program, QObject* context,
                                  std::function<void(TSelfCheck)> done)
{
    // The watcher belongs to the context: if the context goes first, so does
    // the watcher, and `done` never runs.
    auto* watcher = new QFutureWatcher<TSelfCheck>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(watcher->result());
    });
    auto promise = std::make_shared<QPromise<TSelfCheck>>();
    watcher->setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, program] {
        promise->start();
        promise->addResult(CheckProgramFile(program));
        promise->finish();
    });
}

void WarnProgramChanged(QWidget* parent)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), QString::fromUtf8(kSelfCheckWarning),
                    QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}
