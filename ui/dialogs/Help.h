// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Help window: the program's help text, standing at the top right of the screen.
#include <QDialog>

class Platform;
class QPlainTextEdit;

class THelpForm : public QDialog {
    Q_OBJECT
public:
    // Outer size (frame included) and the distance kept from the screen's top and right edges.
    static constexpr int kOuterWidth = 395;
    static constexpr int kOuterHeight = 550;
    static constexpr int kScreenMargin = 10;

    explicit THelpForm(Platform& platform, QWidget* parent = nullptr);

    // The help text as shipped with the program (empty if the resource is missing).
    static QString HelpText();

    void FormActivate();

    QPlainTextEdit* Memo1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    Platform& m_platform;
};
