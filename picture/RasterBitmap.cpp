#include "picture/RasterBitmap.h"
#include "picture/DibImage.h"
#include "picture/Failure.h"
#include "picture/RasterRead.h"

void TRasterBitmap::LoadFromBytes(const QByteArray& bytes)
{
    const std::optional<GraphicKind> content = KindForContent(bytes);
    const GraphicKind kind = content && IsRasterKind(*content) ? *content : m_source;
    ReadyPicture ready = DecodeRasterPicture(kind, bytes, QSize(), Qt::white);
    // A damaged file shows what was decoded before the damage, as a partly decoded JPEG does.
    if (ready.image.isNull())
        throw Failure(ready.error.isEmpty() ? QStringLiteral("Picture is not valid") : ready.error);
    std::shared_ptr<DibImage> dib = DibFromQImage(ready.image);
    ready.image = QImage();
    m_source = kind;
    m_facts = std::move(ready.facts);
    SetDib(std::move(dib));
}
