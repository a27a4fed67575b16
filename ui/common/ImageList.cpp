// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/ImageList.h"
#include <QListWidget>
#include "controls/FileListBox.h"

ImageList::ImageList(Source source, const TFileListBox* files, const QListWidget* results, QString folder)
    : m_source(source), m_files(files), m_results(results), m_folder(std::move(folder))
{}

ImageList ImageList::WithSource(Source source) const
{
    ImageList other = *this;
    other.m_source = source;
    return other;
}

int ImageList::Count() const
{
    if (m_source == Source::Search)
        return m_results ? m_results->count() : 0;
    return m_files ? m_files->Count() : 0;
}

QString ImageList::Entry(int index) const
{
    if (index < 0 || index >= Count())
        return QString();
    if (m_source == Source::Search)
        return m_results->item(index)->text();
    return m_files->Item(index);
}

QString ImageList::FullPath(const QString& entry) const
{
    return m_source == Source::Search ? entry : m_folder + QLatin1Char('/') + entry;
}

int ImageList::IndexOf(const QString& entry) const
{
    const int count = Count();
    for (int i = 0; i < count; ++i)
        if (Entry(i).compare(entry, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}
