// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/DriveComboBox.h"
#include <algorithm>
#include <QDir>
#include "controls/NameOrder.h"
#include "platform/Guard.h"

namespace {
const QString kRoot = QStringLiteral("/");

bool Holds(const QString& volume, const QString& path)
{
    if (volume == kRoot)
        return path.startsWith(kRoot);
    return path == volume || path.startsWith(volume + QLatin1Char('/'));
}
}

TDriveComboBox::TDriveComboBox(Platform& platform, QWidget* parent) : QComboBox(parent), m_platform(platform)
{
    Refresh();
    connect(this, &QComboBox::activated, this, &TDriveComboBox::UserChose);
}

void TDriveComboBox::Refresh()
{
    const QString chosen = count() > 0 ? Drive() : kRoot;
    QStringList volumes;
    for (const QString& v : m_platform.MountedVolumes()) {
        const QString clean = QDir::cleanPath(v);
        if (!clean.isEmpty() && clean != kRoot && !volumes.contains(clean))
            volumes.append(clean);
    }
    std::sort(volumes.begin(), volumes.end(), NameLess);
    volumes.prepend(kRoot);
    const QSignalBlocker block(this);
    clear();
    addItems(volumes);
    const int i = findText(chosen, Qt::MatchExactly | Qt::MatchCaseSensitive);
    setCurrentIndex(i >= 0 ? i : 0);
}

QString TDriveComboBox::Drive() const
{
    return currentIndex() >= 0 ? currentText() : kRoot;
}

void TDriveComboBox::SetDrive(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    int best = 0;
    for (int i = 1; i < count(); ++i)
        if (Holds(itemText(i), clean) && itemText(i).size() > itemText(best).size())
            best = i;
    const QSignalBlocker block(this);
    setCurrentIndex(best);
}

QStringList TDriveComboBox::Drives() const
{
    QStringList all;
    for (int i = 0; i < count(); ++i)
        all.append(itemText(i));
    return all;
}

void TDriveComboBox::UserChose(int index)
{
    const auto handler = OnChange;
    if (index < 0 || !handler)
        return;
    const QString drive = itemText(index);
    Guarded(m_platform, [&] { handler(drive); });
}
