// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/GoodBye.h"
#include <QLabel>
#include <QRegion>
#include <QWindow>
#include "platform/Platform.h"
#include "ui/dialogs/WindowLook.h"

namespace {
constexpr int kPlateRight = 234; // the plate's region ends here (exclusive)
constexpr int kCorner = 12;      // corner ellipses, width and height
// A desktop maps a new window a moment after show(); the plate waits this long at most
// (in steps of kExposeStepMs) for it before the pause.
constexpr int kExposeSteps = 25;
constexpr int kExposeStepMs = 10;
}

TGBForm::TGBForm(Platform& platform, const QWidget* over) : QWidget(nullptr), m_platform(platform)
{
    setObjectName(QStringLiteral("GBForm"));
    FormCreate();
    if (over) {
        const QRect main = over->frameGeometry();
        move(main.x() + (main.width() - kWidth) / 2, main.y() + (main.height() - kHeight) / 2);
    }
}

void TGBForm::FormCreate()
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    // The plate comes and goes inside the program's end; it never decides when the program quits.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(kWidth, kHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 0, 32));
    setPalette(pal);
    setAutoFillBackground(true);

    lblGB = new QLabel(tr("Goodbye"), this);
    lblGB->setObjectName(QStringLiteral("lblGB"));
    lblGB->setGeometry(0, 0, kWidth, kHeight);
    lblGB->setAlignment(Qt::AlignCenter);
    lblGB->setFont(ArialBlackFont(32));
    // The label paints only its letters; the red of the window shows behind them.
    lblGB->setAutoFillBackground(false);
    QPalette text = lblGB->palette();
    text.setColor(QPalette::WindowText, Qt::white);
    lblGB->setPalette(text);

    setMask(PlateRegion());
}

QRegion TGBForm::PlateRegion()
{
    const int r = kCorner / 2;
    QRegion plate(r, 0, kPlateRight - kCorner, kHeight);
    plate += QRegion(0, r, kPlateRight, kHeight - kCorner);
    for (const QPoint corner : {QPoint(0, 0), QPoint(kPlateRight - kCorner, 0), QPoint(0, kHeight - kCorner),
                                QPoint(kPlateRight - kCorner, kHeight - kCorner)})
        plate += QRegion(corner.x(), corner.y(), kCorner, kCorner, QRegion::Ellipse);
    return plate;
}

void TGBForm::FormActivate()
{
    for (int step = 0; step < kExposeSteps; ++step) {
        const QWindow* handle = windowHandle();
        if (!handle || handle->isExposed())
            break;
        m_platform.ProcessMessages();
        if (handle->isExposed())
            break;
        m_platform.Sleep(kExposeStepMs);
    }
    // Painted now: nothing repaints during the pause.
    repaint();
    m_platform.Sleep(kPauseMs);
}
