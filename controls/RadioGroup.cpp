// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/RadioGroup.h"
#include <algorithm>
#include <QButtonGroup>
#include <QRadioButton>
#include <QGridLayout>
#include "platform/Guard.h"

TRadioGroup::TRadioGroup(Platform& platform, const QString& title, QWidget* parent)
    : QGroupBox(title, parent), m_platform(platform), m_group(new QButtonGroup(this))
{
    // Close rows, as a desktop radio group has them: the group's size hint is then what its
    // title and buttons need in the font in use.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(0);
    grid->setHorizontalSpacing(6);
    connect(m_group, &QButtonGroup::idClicked, this, &TRadioGroup::UserClicked);
}

void TRadioGroup::SetItems(const QStringList& items)
{
    for (QAbstractButton* b : m_group->buttons()) {
        m_group->removeButton(b);
        delete b;
    }
    m_items = items;
    m_index = -1;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        m_group->addButton(button, i);
    }
    PlaceButtons();
}

void TRadioGroup::SetColumns(int n)
{
    m_columns = std::max(1, n);
    PlaceButtons();
}

void TRadioGroup::PlaceButtons()
{
    auto* grid = static_cast<QGridLayout*>(layout());
    const int count = static_cast<int>(m_items.size());
    const int rows = (count + m_columns - 1) / m_columns;
    for (QAbstractButton* b : m_group->buttons())
        grid->removeWidget(b);
    for (int i = 0; i < count; ++i)
        grid->addWidget(m_group->button(i), i % rows, i / rows);
}

void TRadioGroup::SetItemIndex(int i)
{
    if (i >= 0 && i < m_items.size()) {
        m_group->button(i)->setChecked(true);
        m_index = i;
        return;
    }
    // An exclusive group cannot uncheck its checked button; lift exclusivity for the moment.
    m_index = -1;
    if (QAbstractButton* checked = m_group->checkedButton()) {
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
}

QRadioButton* TRadioGroup::Button(int i) const
{
    return qobject_cast<QRadioButton*>(m_group->button(i));
}

void TRadioGroup::UserClicked(int id)
{
    // Clicking the item already chosen is no choice.
    if (id == m_index)
        return;
    m_index = id;
    const auto handler = OnClick;
    if (handler)
        Guarded(m_platform, [&] { handler(); });
}
