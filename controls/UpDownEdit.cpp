// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/UpDownEdit.h"
#include <algorithm>
#include <cstdint>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include "platform/Guard.h"

TUpDownEdit::TUpDownEdit(Platform& platform, QWidget* parent)
    : QWidget(parent), m_platform(platform), m_edit(new QLineEdit(this)), m_up(new QToolButton(this)),
      m_down(new QToolButton(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_edit);
    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    for (QToolButton* b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
        b->setFixedWidth(16);
        arrows->addWidget(b);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    row->addLayout(arrows);
    setFocusProxy(m_edit);
    m_edit->setText(QString::number(m_position));
    m_edit->installEventFilter(this);
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
    connect(m_edit, &QLineEdit::textChanged, this, &TUpDownEdit::TextEdited);
}

QString TUpDownEdit::Text() const
{
    return m_edit->text();
}

void TUpDownEdit::SetText(const QString& text)
{
    m_edit->setText(text);
}

void TUpDownEdit::SetMin(int min)
{
    m_min = min;
    m_max = std::max(m_max, m_min);
    m_position = std::clamp(m_position, m_min, m_max);
}

void TUpDownEdit::SetMax(int max)
{
    m_max = max;
    m_min = std::min(m_min, m_max);
    m_position = std::clamp(m_position, m_min, m_max);
}

void TUpDownEdit::SetPosition(int position)
{
    m_position = std::clamp(position, m_min, m_max);
    m_edit->setText(QString::number(m_position));
}

void TUpDownEdit::Step(int delta)
{
    // Start from the number typed, as the arrows of an edit box read their buddy's text.
    bool ok = false;
    const int typed = m_edit->text().trimmed().toInt(&ok);
    const int64_t from = ok ? std::clamp(typed, m_min, m_max) : m_position;
    SetPosition(int(std::clamp<int64_t>(from + int64_t(delta) * m_increment, m_min, m_max)));
}

void TUpDownEdit::TextEdited(const QString& text)
{
    bool ok = false;
    const int typed = text.trimmed().toInt(&ok);
    if (ok)
        m_position = std::clamp(typed, m_min, m_max);
    const auto handler = OnChange;
    if (handler)
        Guarded(m_platform, [&] { handler(text); });
}

bool TUpDownEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
