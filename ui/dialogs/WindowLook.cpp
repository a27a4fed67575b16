// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/WindowLook.h"
#include <algorithm>
#include <QPalette>
#include <QWidget>
#include "platform/Platform.h"

QFont DesignFont(const QStringList& families, int pixelHeight, bool bold, int weight)
{
    QFont font;
    QStringList list = families;
    list << QStringLiteral("Liberation Sans") << QStringLiteral("Helvetica") << QStringLiteral("Nimbus Sans")
         << QStringLiteral("DejaVu Sans");
    font.setFamilies(list);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    if (weight > 0)
        font.setWeight(QFont::Weight(weight));
    return font;
}

QFont ArialFont(int pixelHeight, bool bold)
{
    return DesignFont({QStringLiteral("Arial")}, pixelHeight, bold);
}

QFont ArialBlackFont(int pixelHeight)
{
    // Where the heavy face is missing, the heaviest weight of a stand-in comes closest.
    return DesignFont({QStringLiteral("Arial Black")}, pixelHeight, true, QFont::Black);
}

void UseButtonFace(QWidget& window, Platform& platform)
{
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, platform.ButtonFaceColor());
    window.setPalette(pal);
    window.setAutoFillBackground(true);
}

QSize FrameExtra(const QWidget& window)
{
    const QSize outer = window.frameGeometry().size();
    const QSize inner = window.geometry().size();
    return QSize(std::max(0, outer.width() - inner.width()), std::max(0, outer.height() - inner.height()));
}

void SetOuterSize(QWidget& window, QSize outer)
{
    const QSize extra = FrameExtra(window);
    window.setFixedSize(std::max(1, outer.width() - extra.width()), std::max(1, outer.height() - extra.height()));
}
