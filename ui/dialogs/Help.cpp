// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/Help.h"
#include <QEvent>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include "platform/Guard.h"
#include "platform/Platform.h"
#include "ui/dialogs/WindowLook.h"

// The text lives in the ui library's resources; a static library must register them itself.
static void LoadDialogResources()
{
    Q_INIT_RESOURCE(dialogs);
}

THelpForm::THelpForm(Platform& platform, QWidget* parent) : QDialog(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(tr(" Lumivue Help"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    UseButtonFace(*this, platform);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setPlainText(HelpText());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);

    SetOuterSize(*this, QSize(kOuterWidth, kOuterHeight));
}

QString THelpForm::HelpText()
{
    LoadDialogResources();
    QFile file(QStringLiteral(":/lumivue/help.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

void THelpForm::FormActivate()
{
    // Ten pixels from the screen's top and right edges, measured on the window's outer frame.
    SetOuterSize(*this, QSize(kOuterWidth, kOuterHeight));
    const int outerWidth = frameGeometry().width();
    move(m_platform.ScreenSize().width() - outerWidth - kScreenMargin, kScreenMargin);
}

void THelpForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Memo1->verticalScrollBar()->setValue(0);
    Guarded(m_platform, [this] { FormActivate(); });
}

bool THelpForm::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    // Once active the window has its frame from the desktop; the outer measures hold again.
    if (event->type() == QEvent::WindowActivate)
        Guarded(m_platform, [this] { FormActivate(); });
    return handled;
}
