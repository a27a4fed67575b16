#include "picture/Picture.h"
#include "picture/Bitmap.h"
#include "picture/PictureFormats.h"

void TPicture::LoadFromFile(const QString& path)
{
    auto graphic = CreateGraphicForFile(path);
    graphic->LoadFromFile(path);
    Take(std::move(graphic));
}

void TPicture::Assign(const TPicture& source)
{
    Assign(source.Graphic());
}

void TPicture::Assign(const TGraphic* graphic)
{
    Take(graphic ? graphic->Clone() : nullptr);
}

TBitmap* TPicture::Bitmap() const
{
    return m_graphic && m_graphic->Kind() == GraphicKind::Bitmap ? static_cast<TBitmap*>(m_graphic.get()) : nullptr;
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
