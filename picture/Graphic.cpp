#include "picture/Graphic.h"
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include "picture/Failure.h"

void TGraphic::LoadFromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(file.errorString());
    LoadFromBytes(bytes);
}

void TGraphic::SaveToFile(const QString& path)
{
    const QByteArray bytes = SaveToBytes();
    // A symbolic link is followed so the file it points to is replaced, not the link.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Failure(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
}

namespace {
void RefuseResize(const TGraphic& g)
{
    if (g.Kind() == GraphicKind::Jpeg)
        throw Failure("Cannot change the size of a JPEG image");
    if (g.Kind() == GraphicKind::Icon && !g.Empty())
        throw Failure("Cannot change the size of an icon");
}
}

void TGraphic::SetWidth(int32_t)
{
    RefuseResize(*this);
}

void TGraphic::SetHeight(int32_t)
{
    RefuseResize(*this);
}
