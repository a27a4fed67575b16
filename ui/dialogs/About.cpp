// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/About.h"
#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include "ui/dialogs/AboutArt.h"
#include "platform/Guard.h"
#include "platform/Platform.h"
#include "ui/dialogs/WindowLook.h"

namespace {
QLabel* MakeLabel(QWidget* parent, const QString& text, const QFont& font, QPoint at, QColor colour = QColor())
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    if (colour.isValid()) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, colour);
        label->setPalette(pal);
    }
    label->move(at);
    label->adjustSize();
    return label;
}

QLabel* MakePicture(QWidget* parent, const QImage& picture, QRect place)
{
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap::fromImage(picture));
    label->setGeometry(place);
    return label;
}
}

TAboutForm::TAboutForm(Platform& platform, QWidget* parent) : QDialog(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(tr("About"));
    // Only a close box in the title bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    UseButtonFace(*this, platform);

    imgLogo = MakePicture(this, MakeAboutLogo(), QRect(6, 7, 32, 32));
    lblName = MakeLabel(this, QStringLiteral("Lumivue"), ArialFont(16, true), QPoint(81, 8), QColor(192, 0, 32));
    lblVersion =
        MakeLabel(this, QStringLiteral("Version 1.3"), ArialFont(13, true), QPoint(114, 31), QColor(0, 0, 128));
    lblPurpose = MakeLabel(this, tr("Image file search and display"), ArialFont(13, false), QPoint(74, 53));
    lblOwner1 = MakeLabel(this, QStringLiteral("\u00A9 The Lumivue developers"), ArialFont(11, false), QPoint(93, 78));
    lblOwner2 = MakeLabel(this, QStringLiteral("Contact: developers@lumivue.example.org"), ArialFont(11, false),
                          QPoint(38, 103));
    Image1 = MakePicture(this, MakeAboutDecoration(), QRect(98, 131, 114, 41));

    btnUser = new QPushButton(tr("User Agreement"), this);
    btnUser->setGeometry(30, 186, 100, 30);
    btnUser->setAutoDefault(false);
    btnOK = new QPushButton(MakeCheckMarkPicture(), tr("OK"), this);
    btnOK->setGeometry(184, 186, 100, 30);
    btnOK->setDefault(true);
    ConnectGuarded(m_platform, btnUser, &QPushButton::clicked, this, [this] { btnUserClick(); });
    ConnectGuarded(m_platform, btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });

    mmoUser = new QPlainTextEdit(this);
    mmoUser->setGeometry(28, 239, 258, 178);
    mmoUser->setReadOnly(true);
    mmoUser->setPlainText(UserAgreementText());

    SetOuterSize(*this, QSize(kOuterWidth, kDesignHeight));
    m_frameWatch.setInterval(50);
    connect(&m_frameWatch, &QTimer::timeout, this, [this] {
        if (!isVisible() || ++m_frameLooks >= 40)
            m_frameWatch.stop();
        else if (FrameExtra(*this) != m_appliedFrame)
            Guarded(m_platform, [this] { ApplyOuterHeight(); });
    });
}

QString TAboutForm::UserAgreementText()
{
    return tr("Lumivue is free of charge.\n"
              "\n"
              "It is provided as it is, without\n"
              "warranty of any kind, express or\n"
              "implied.\n"
              "\n"
              "You use it entirely at your own risk:\n"
              "the whole risk of any damage its use\n"
              "may cause lies with you.\n"
              "\n"
              "Its author is not liable for any damage,\n"
              "loss of data, loss of profit, business\n"
              "interruption or other financial loss,\n"
              "direct or indirect, that comes from\n"
              "using it or from being unable to use it.");
}

void TAboutForm::FormActivate()
{
    // Every showing starts folded: the window ends just below the two buttons.
    m_outerHeight = kFoldedHeight;
    ApplyOuterHeight();
}

void TAboutForm::btnUserClick()
{
    // Uncovers the agreement; a second press leaves it uncovered.
    m_outerHeight = kUnfoldedHeight;
    ApplyOuterHeight();
}

void TAboutForm::btnOKClick()
{
    accept();
}

void TAboutForm::ApplyOuterHeight()
{
    m_appliedFrame = FrameExtra(*this);
    SetOuterSize(*this, QSize(kOuterWidth, m_outerHeight));
}

void TAboutForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Guarded(m_platform, [this] { FormActivate(); });
    m_frameLooks = 0;
    m_frameWatch.start();
}

bool TAboutForm::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    // The desktop frames the window some time after it is shown, before or after activating
    // it; the frame becomes known with the move or resize that framing brings. Whenever the
    // frame is not the one the height was worked out with, the outer height is set again.
    switch (event->type()) {
    case QEvent::WindowActivate:
    case QEvent::Move:
    case QEvent::Resize:
        if (isVisible() && FrameExtra(*this) != m_appliedFrame)
            Guarded(m_platform, [this] { ApplyOuterHeight(); });
        break;
    default: break;
    }
    return handled;
}
