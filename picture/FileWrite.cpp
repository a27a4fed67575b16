#include "picture/FileWrite.h"
#include <QFileInfo>
#include <QSaveFile>
#include "picture/Failure.h"

void WriteWholeFile(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    QSaveFile file(info.isSymLink() ? info.symLinkTarget() : path);
    // In place is safe enough here: the content is complete before the file is touched.
    file.setDirectWriteFallback(true);
    const auto fail = [&path](const QString& reason) {
        throw Failure(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
    };
    // Unbuffered, so a write that fails reports the system's reason at once, not at commit.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(file.errorString());
    // A short write (a full disk) sets no error; the next attempt fails with the reason.
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            fail(reason);
        }
        done += n;
    }
    if (!file.commit())
        fail(file.errorString());
}
