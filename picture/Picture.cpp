// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/Picture.h"
#include "picture/Bitmap.h"
#include "picture/PictureFormats.h"
#include "picture/PictureThumbnail.h"
#include "picture/RasterBitmap.h"
#include <QFileInfo>
#include "picture/Failure.h"

void TPicture::LoadFromFile(const QString& path)
{
    auto graphic = CreateGraphicForFile(path);
    graphic->LoadFromFile(path);
    Take(std::move(graphic));
}

void TPicture::LoadViewFromFile(const QString& path, QSize view)
{
    auto graphic = CreateGraphicForFile(path);
    if (TRasterBitmap* raster = RasterOf(graphic.get()))
        raster->SetViewSize(view);
    graphic->LoadFromFile(path);
    Take(std::move(graphic));
}

void TPicture::LoadThumbnail(const QString& path)
{
    const std::optional<GraphicKind> kind = KindForExtension(QFileInfo(path).suffix());
    if (!kind ||
        (*kind != GraphicKind::Jpeg && *kind != GraphicKind::Bitmap && *kind != GraphicKind::Icon &&
         !IsOtherKind(*kind))) {
        LoadFromFile(path); // fails as loading such a file does
        return;
    }
    auto thumbnail = std::make_unique<TThumbnail>();
    thumbnail->LoadHeader(path, *kind);
    Take(std::move(thumbnail));
}

void TPicture::SetThumbnailFile(const QString& path, std::function<QSize(QSize picture)> targetFor)
{
    const std::optional<GraphicKind> kind = KindForExtension(QFileInfo(path).suffix());
    if (!kind ||
        (*kind != GraphicKind::Jpeg && *kind != GraphicKind::Bitmap && *kind != GraphicKind::Icon &&
         !IsOtherKind(*kind)))
        throw Failure(QStringLiteral("Unknown picture file extension (%1)").arg(ExtensionOf(path)));
    auto thumbnail = std::make_unique<TThumbnail>();
    thumbnail->SetFile(path, *kind, std::move(targetFor));
    Take(std::move(thumbnail));
}

void TPicture::Assign(const TPicture& source)
{
    Assign(source.Graphic());
}

void TPicture::Assign(const TGraphic* graphic)
{
    Take(graphic ? graphic->Clone() : nullptr);
}

void TPicture::Take(std::unique_ptr<TGraphic> graphic)
{
    m_graphic = std::move(graphic);
    if (m_graphic) {
        m_graphic->OnChange = [this] {
            if (OnChange)
                OnChange();
        };
        m_graphic->OnProgress = [this](const ProgressReport& r) {
            if (OnProgress)
                OnProgress(r);
        };
    }
    if (OnChange)
        OnChange();
}
