// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A titled group of radio buttons in one or more columns, chosen by index.
#include <functional>
#include <QGroupBox>
#include <QStringList>

class Platform;
class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(Platform& platform, const QString& title, QWidget* parent = nullptr);

    QStringList Items() const { return m_items; }
    // Replaces the buttons; no item is chosen afterwards.
    void SetItems(const QStringList& items);
    int ItemIndex() const { return m_index; }
    // Chooses item i (none when i is outside the list) without calling OnClick.
    void SetItemIndex(int i);
    QRadioButton* Button(int i) const;
    // Lays the buttons out in n columns, filled top to bottom and then left to right.
    void SetColumns(int n);
    int Columns() const { return m_columns; }

    // The user chose another item; ItemIndex already tells which.
    std::function<void()> OnClick;

private:
    void UserClicked(int id);
    void PlaceButtons();

    Platform& m_platform;
    QButtonGroup* m_group;
    QStringList m_items;
    int m_index = -1;
    int m_columns = 1;
};
