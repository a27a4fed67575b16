// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The drive list: the mounted volumes, the root "/" always among them.
#include <functional>
#include <QComboBox>

class Platform;

class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(Platform& platform, QWidget* parent = nullptr);

    // Reads the mounted volumes again, keeping the chosen one when it is still there.
    void Refresh();
    // The chosen volume's root ("/" when nothing else is chosen).
    QString Drive() const;
    // Chooses the volume that holds `path` (the longest volume root above it). No OnChange.
    void SetDrive(const QString& path);
    QStringList Drives() const;

    // The user chose a volume; the argument is its root.
    std::function<void(const QString& drive)> OnChange;

private:
    void UserChose(int index);

    Platform& m_platform;
};
