// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file list: the files of one folder whose names match a ";"-separated wildcard mask,
// hidden files left out, sorted by name without regard to case. The folder is read once,
// synchronously, each time the folder or the mask is set; OnChange follows every re-read
// (no entry is selected then) and every change of the selected entry.
#include <functional>
#include <QListView>

class Platform;
class QStringListModel;

class TFileListBox : public QListView {
    Q_OBJECT
public:
    // Starts at the process's working folder with the mask "*".
    explicit TFileListBox(Platform& platform, QWidget* parent = nullptr);

    QString Directory() const { return m_dir; }
    void SetDirectory(const QString& dir);
    QString Mask() const { return m_mask; }
    void SetMask(const QString& mask);
    // Reads the folder again.
    void Update();

    int Count() const;
    // The bare file name at i; empty outside the list.
    QString Item(int i) const;
    QStringList Items() const;
    // The selected entry, -1 when none.
    int ItemIndex() const;
    // Selects entry i (none when i is outside the list); OnChange when the selection changes.
    void SetItemIndex(int i);

    // Width in pixels over which the list scrolls sideways (0: the list's own width).
    void SetHorizontalExtent(int pixels);
    int HorizontalExtent() const { return m_extent; }

    std::function<void()> OnChange;
    std::function<void()> OnClick; // mouse click (also on an empty part of the list)
    std::function<void()> OnDblClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Read();
    void SelectionMoved();
    void Fire(const std::function<void()>& callback);

    Platform& m_platform;
    QStringListModel* m_model;
    QString m_dir;
    QString m_mask = QStringLiteral("*");
    int m_extent = 0;
    int m_lastIndex = -1;
    bool m_reading = false;
    bool m_leftPressed = false;
};
