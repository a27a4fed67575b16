// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The About window: name, purpose, version, two pictures and a user agreement that stays
// folded away until "User Agreement" uncovers it.
#include <QDialog>
#include <QTimer>

class Platform;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    // Outer heights (frame included): as designed, folded at every showing, unfolded.
    static constexpr int kOuterWidth = 324;
    static constexpr int kDesignHeight = 490;
    static constexpr int kFoldedHeight = 265;
    static constexpr int kUnfoldedHeight = 468;

    explicit TAboutForm(Platform& platform, QWidget* parent = nullptr);

    // The agreement, a short disclaimer.
    static QString UserAgreementText();

    void FormActivate();
    void btnUserClick();
    void btnOKClick();

    QLabel* imgLogo = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblPurpose = nullptr;
    QLabel* lblOwner1 = nullptr;
    QLabel* lblOwner2 = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* btnUser = nullptr;
    QPushButton* btnOK = nullptr;
    QPlainTextEdit* mmoUser = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Sets the outer height again; the frame may be known only once the desktop has framed the window.
    void ApplyOuterHeight();

    Platform& m_platform;
    int m_outerHeight = kDesignHeight;
    QSize m_appliedFrame; // the frame the client height was worked out with
    // Looks at the frame for a while after each showing: a window manager may frame the
    // window without any move or resize reaching it.
    QTimer m_frameWatch;
    int m_frameLooks = 0;
};
