// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An edit box with up and down arrows. The text may be anything; the arrows step the
// number in it by one, kept within Min and Max.
#include <functional>
#include <QWidget>

class Platform;
class QLineEdit;
class QToolButton;

class TUpDownEdit : public QWidget {
    Q_OBJECT
public:
    explicit TUpDownEdit(Platform& platform, QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);
    int Min() const { return m_min; }
    void SetMin(int min);
    int Max() const { return m_max; }
    void SetMax(int max);
    // The arrows' number: the text's number when the text is one, else the last position.
    int Position() const { return m_position; }
    void SetPosition(int position); // also writes the text
    // What one arrow click adds or takes away (1 unless set).
    int Increment() const { return m_increment; }
    void SetIncrement(int increment) { m_increment = increment; }

    // One step, as a click on an arrow: +1 up, -1 down.
    void Step(int delta);

    QLineEdit* Edit() const { return m_edit; }
    QToolButton* UpButton() const { return m_up; }
    QToolButton* DownButton() const { return m_down; }

    std::function<void(const QString& text)> OnChange; // the text changed (typed or stepped)

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TextEdited(const QString& text);

    Platform& m_platform;
    QLineEdit* m_edit;
    QToolButton* m_up;
    QToolButton* m_down;
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
    int m_increment = 1;
};
