// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The slide panel over the top left of the thumbnails: the seconds per slide and whether
// the show takes the whole folder tree; OK starts the show, Cancel (or Esc) closes it.
#include <functional>
#include <QFrame>
#include <QString>

class Platform;
class QCheckBox;
class QLabel;
class QPushButton;
class TUpDownEdit;

class TSlidePanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int kDefaultSeconds = 5;

    TSlidePanel(Platform& platform, QWidget* parent);

    // Opens at `at` (in the parent) with the seconds and the tree choice as they start;
    // the tree choice is offered only when `offerSubs`.
    void Open(QPoint at, bool offerSubs);

    // The entries as the user left them.
    QString SecondsText() const;
    void SetSecondsText(const QString& text);
    void StepSeconds(int steps); // as the arrows do
    bool IncludeSubs() const;
    void SetIncludeSubs(bool include);
    bool SubsOffered() const;

    // OK and Cancel as their buttons (and Enter, Esc) press them; both close the panel,
    // OK first runs OnOK.
    void PressOK();
    void PressCancel();
    std::function<void()> OnOK;

    // While the folder tree is searched: the wait plate covers OK and Cancel, whose keys do
    // nothing meanwhile. Searching: the plate shows and both are disabled; Ready: neither.
    void SetSearching(bool searching);
    bool Searching() const;
    bool Ready() const;

private:
    void Build();

    Platform& m_platform;
    QLabel* lblSShow = nullptr;
    TUpDownEdit* edtShowTime = nullptr; // with its arrows (UpDown1): 3..3600, starts at 5
    QCheckBox* chkSubs = nullptr;
    QPushButton* btnSOK = nullptr;     // default: Enter
    QPushButton* btnSCancel = nullptr; // cancel: Esc
    QLabel* pnlWait = nullptr;         // "Searching for Images", over OK and Cancel
};
