// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/FileListBox.h"
#include <QDir>
#include <QMouseEvent>
#include <QStringListModel>
#include "controls/NameDelegate.h"
#include "controls/NameOrder.h"
#include "platform/Guard.h"

namespace {
// With uniform item sizes the view asks only the first entry for its size; widening that
// answer to the extent makes every row, and so the scrollable width, that wide.
class ExtentDelegate : public TNameDelegate {
public:
    ExtentDelegate(const int& extent, QObject* parent) : TNameDelegate(parent), m_extent(extent) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setWidth(std::max(s.width(), m_extent));
        return s;
    }

private:
    const int& m_extent;
};
}

TFileListBox::TFileListBox(Platform& platform, QWidget* parent)
    : QListView(parent), m_platform(platform), m_model(new QStringListModel(this)),
      m_dir(QDir::cleanPath(platform.CurrentFolder()))
{
    setModel(m_model);
    setItemDelegate(new ExtentDelegate(m_extent, this));
    setUniformItemSizes(true); // a folder of thousands of files lays out at once
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { SelectionMoved(); });
    Read();
}

void TFileListBox::SetDirectory(const QString& dir)
{
    m_dir = QDir::cleanPath(QDir(m_platform.CurrentFolder()).absoluteFilePath(dir));
    Read();
}

void TFileListBox::SetMask(const QString& mask)
{
    m_mask = mask;
    Read();
}

void TFileListBox::Update()
{
    Read();
}

int TFileListBox::Count() const
{
    return m_model->rowCount();
}

QString TFileListBox::Item(int i) const
{
    return i >= 0 && i < Count() ? m_model->index(i).data().toString() : QString();
}

QStringList TFileListBox::Items() const
{
    return m_model->stringList();
}

int TFileListBox::ItemIndex() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TFileListBox::SetItemIndex(int i)
{
    if (i >= 0 && i < Count())
        setCurrentIndex(m_model->index(i));
    else
        selectionModel()->clear();
    SelectionMoved(); // clear() alone does not report
}

void TFileListBox::SetHorizontalExtent(int pixels)
{
    m_extent = std::max(0, pixels);
    // The cached uniform size is recomputed on the next layout.
    doItemsLayout();
}

void TFileListBox::Read()
{
    QStringList names;
    if (const auto entries = m_platform.ListDirectory(m_dir, m_mask, ListFilter::Files))
        names = VisibleSortedNames(*entries);
    m_reading = true;
    m_model->setStringList(names);
    selectionModel()->clear();
    m_reading = false;
    m_lastIndex = -1;
    Fire(OnChange);
}

void TFileListBox::SelectionMoved()
{
    if (m_reading)
        return;
    const int index = ItemIndex();
    if (index == m_lastIndex)
        return;
    m_lastIndex = index;
    Fire(OnChange);
}

void TFileListBox::Fire(const std::function<void()>& callback)
{
    const auto handler = callback;
    if (handler)
        Guarded(m_platform, [&] { handler(); });
}

void TFileListBox::mousePressEvent(QMouseEvent* event)
{
    m_leftPressed = event->button() == Qt::LeftButton;
    QListView::mousePressEvent(event);
}

void TFileListBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_leftPressed && event->button() == Qt::LeftButton;
    m_leftPressed = false;
    QListView::mouseReleaseEvent(event);
    if (click)
        Fire(OnClick);
}

void TFileListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    // The release that ends a double-click is not a further click.
    m_leftPressed = false;
    if (event->button() == Qt::LeftButton)
        Fire(OnDblClick);
}
