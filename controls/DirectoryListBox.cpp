// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/DirectoryListBox.h"
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include "controls/NameDelegate.h"
#include "controls/NameOrder.h"
#include "picture/Failure.h"
#include "platform/Guard.h"

namespace {
constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndent = 10; // pixels per level

// Shifts each entry right by its level.
class IndentDelegate : public TNameDelegate {
public:
    using TNameDelegate::TNameDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted(option);
        shifted.rect.adjust(index.data(kLevelRole).toInt() * kIndent, 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(index.data(kLevelRole).toInt() * kIndent, 0);
    }
};

// "/a/b" -> "/", "/a", "/a/b".
QStringList PathChain(const QString& dir)
{
    QStringList chain {QStringLiteral("/")};
    const QStringList parts = dir.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path;
    for (const QString& part : parts) {
        path += QLatin1Char('/') + part;
        chain.append(path);
    }
    return chain;
}
}

TDirectoryListBox::TDirectoryListBox(Platform& platform, QWidget* parent)
    : QListWidget(parent), m_platform(platform), m_dir(QDir::cleanPath(platform.CurrentFolder()))
{
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    if (m_dir.isEmpty() || !m_dir.startsWith(QLatin1Char('/')))
        m_dir = QStringLiteral("/");
    Read();
}

void TDirectoryListBox::SetDirectory(const QString& path)
{
    const QString dir = QDir::cleanPath(QDir(m_platform.CurrentFolder()).absoluteFilePath(path));
    // A folder that may be entered but not read would show as empty: it is refused as well.
    auto entries = m_platform.ListDirectory(dir, QStringLiteral("*"), ListFilter::Directories);
    if (!entries || !m_platform.SetCurrentFolder(dir))
        throw Failure(tr("Cannot open folder \"%1\"").arg(dir));
    m_dir = dir;
    Fill(entries);
    const auto handler = OnChange;
    if (handler)
        Guarded(m_platform, [&] { handler(dir); });
}

void TDirectoryListBox::Update()
{
    Read();
}

QString TDirectoryListBox::EntryPath(int i) const
{
    return i >= 0 && i < count() ? item(i)->data(kPathRole).toString() : QString();
}

QString TDirectoryListBox::EntryName(int i) const
{
    return i >= 0 && i < count() ? item(i)->text() : QString();
}

int TDirectoryListBox::EntryLevel(int i) const
{
    return i >= 0 && i < count() ? item(i)->data(kLevelRole).toInt() : -1;
}

void TDirectoryListBox::Read()
{
    Fill(m_platform.ListDirectory(m_dir, QStringLiteral("*"), ListFilter::Directories));
}

void TDirectoryListBox::Fill(const std::optional<std::vector<DirEntry>>& entries)
{
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto add = [this](const QString& path, const QString& name, int level, const QIcon& icon) {
        auto* entry = new QListWidgetItem(icon, name, this);
        entry->setData(kPathRole, path);
        entry->setData(kLevelRole, level);
    };

    clear();
    const QStringList chain = PathChain(m_dir);
    for (int level = 0; level < chain.size(); ++level) {
        const QString& path = chain[level];
        add(path, level == 0 ? path : path.section(QLatin1Char('/'), -1), level, open);
    }
    m_dirRow = int(chain.size()) - 1;

    if (entries) {
        const QString base = m_dir == QLatin1String("/") ? m_dir : m_dir + QLatin1Char('/');
        for (const QString& name : VisibleSortedNames(*entries))
            add(base + name, name, int(chain.size()), closed);
    }
    setCurrentRow(m_dirRow);
}

void TDirectoryListBox::Open(int row)
{
    const QString path = EntryPath(row);
    if (!path.isEmpty())
        Guarded(m_platform, [&] { SetDirectory(path); });
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        Open(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Handled here rather than through the view's signals: opening rebuilds the list.
    event->accept();
    if (event->button() == Qt::LeftButton)
        Open(indexAt(event->position().toPoint()).row());
}
