// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtPlatform.h"

#include "platform/ClipboardData.h"
#include "platform/DisplayProfile.h"
#include "platform/FileServices.h"
#include "base/FileNames.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QMessageBox>
#include <algorithm>
#include <QPalette>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QTimer>

namespace {

// The save dialog, refusing a name that is only blanks or an extension as it refuses an
// empty one: it stays open and says why.
class SaveDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty() && FileServices::IsBlankFileName(files.constFirst())) {
            QMessageBox::information(this, windowTitle(),
                                     QCoreApplication::translate("QtPlatform", "Invalid file name"));
            return;
        }
        QFileDialog::accept();
    }
};

class QtTimer : public PlatformTimer {
public:
    QtTimer()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            // A handler may destroy this timer; run a copy so the callable outlives it.
            if (auto handler = OnTimeout)
                handler();
        });
    }
    void Start(int intervalMs) override { m_timer.start(intervalMs); }
    void Stop() override { m_timer.stop(); }
    bool Active() const override { return m_timer.isActive(); }
    int Interval() const override { return m_timer.interval(); }

private:
    QTimer m_timer;
};

QStringList SplitPatterns(QStringView text)
{
    static const QRegularExpression separators(QStringLiteral("[; ]+"));
    return text.toString().split(separators, Qt::SkipEmptyParts);
}

// One "description|patterns" pair in Qt's "description (p1 p2)" form.
QString QtFilterEntry(QString description, QStringView patternText)
{
    QStringList patterns = SplitPatterns(patternText);
    if (patterns.isEmpty())
        patterns << QStringLiteral("*");
    QString joined = patterns.join(u' ');
    description = description.trimmed();
    if (description.isEmpty())
        return joined;
    const qsizetype open = description.lastIndexOf(u'(');
    if (description.endsWith(u')') && open >= 0) {
        const QStringView inside = QStringView(description).mid(open + 1, description.size() - open - 2);
        if (SplitPatterns(inside) == patterns)
            return description.left(open) + u'(' + joined + u')';
    }
    return description + QStringLiteral(" (") + joined + u')';
}

} // namespace

QString QtFileDialogFilter(const QString& desktopFilter)
{
    const QStringList parts = desktopFilter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QStringView patterns = i + 1 < parts.size() ? QStringView(parts[i + 1]) : QStringView();
        if (description.trimmed().isEmpty() && patterns.trimmed().isEmpty())
            continue;
        entries << QtFilterEntry(description, patterns);
    }
    return entries.join(QStringLiteral(";;"));
}

QtPlatform::QtPlatform()
{
    m_clock.start();
}

void QtPlatform::ShowMessage(MessageKind kind, const QString& caption, const QString& text)
{
    const QMessageBox::Icon icon = kind == MessageKind::Information ? QMessageBox::Information
        : kind == MessageKind::Error                                ? QMessageBox::Critical
                                                                    : QMessageBox::NoIcon;
    // Parented to the active window so that it is modal over it and centred on it.
    QMessageBox box(icon, DisplayName(caption), DisplayName(text), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void QtPlatform::ShowNotice(const QString& text)
{
    // A borderless label at the foot of the active window (or the screen) that goes by itself.
    auto* note = new QLabel(DisplayName(text), nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    note->setAttribute(Qt::WA_DeleteOnClose);
    note->setAttribute(Qt::WA_ShowWithoutActivating);
    note->setMargin(10);
    note->setFrameStyle(QFrame::Box | QFrame::Plain);
    note->adjustSize();
    const QWidget* over = QApplication::activeWindow();
    const QRect area = over ? over->frameGeometry() : QGuiApplication::primaryScreen()->availableGeometry();
    note->move(area.center().x() - note->width() / 2, area.bottom() - note->height() - 40);
    note->show();
    QTimer::singleShot(4000, note, &QWidget::close);
}

void QtPlatform::Beep()
{
    QApplication::beep();
}

QPoint QtPlatform::CursorPos()
{
    return QCursor::pos();
}

void QtPlatform::SetCursorPos(QPoint pos)
{
    QCursor::setPos(pos);
}

void QtPlatform::MovePointerBy(int dx, int dy)
{
    QCursor::setPos(QCursor::pos() + QPoint(dx, dy));
}

QSize QtPlatform::ScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

QRect QtPlatform::WorkArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), ScreenSize());
}

int QtPlatform::ScreenDepth()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 32;
}

QByteArray QtPlatform::DisplayProfile()
{
    return ReadDisplayProfile();
}

QSize QtPlatform::SystemIconSize()
{
    const QStyle* style = QApplication::style();
    const int side = style ? style->pixelMetric(QStyle::PM_LargeIconSize) : 0;
    return side > 0 ? QSize(side, side) : QSize(32, 32);
}

QColor QtPlatform::ButtonFaceColor()
{
    return QApplication::palette().color(QPalette::Button);
}

QString QtPlatform::ShortDateFormat()
{
    return QLocale::system().dateFormat(QLocale::ShortFormat);
}

uint32_t QtPlatform::TickCount()
{
    // Milliseconds that wrap at 2^32, like the desktop tick.
    return static_cast<uint32_t>(m_clock.elapsed());
}

void QtPlatform::Sleep(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

void QtPlatform::ProcessMessages()
{
    QCoreApplication::processEvents();
}

std::unique_ptr<PlatformTimer> QtPlatform::CreateTimer()
{
    return std::make_unique<QtTimer>();
}

void QtPlatform::SetBusyCursor(bool busy)
{
    // Nested busy spans share one override; an unmatched "not busy" is ignored.
    if (busy) {
        if (m_busyDepth++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}

QAction* QtPlatform::PopupMenu(QMenu& menu, QPoint screenPos)
{
    return menu.exec(screenPos); // exec has already triggered the chosen action
}

int QtPlatform::ShowModal(QDialog& dialog)
{
    return dialog.exec();
}

std::optional<QString> QtPlatform::RunSaveDialog(QWidget* parent, const SaveDialogSetup& setup)
{
    // Qt's dialog knows names only in its own decoding: a folder whose name is not UTF-8 is
    // not found, and the dialog would open in the folder above and save there unasked.
    const QString folder = setup.folder.isEmpty() ? FileServices::CurrentFolder() : setup.folder;
    if (EncodeFileName(folder) != folder.toUtf8()) {
        ShowError(*this,
                  QCoreApplication::translate("QtPlatform",
                                              "Cannot save in the folder \"%1\": its name is not valid UTF-8, which "
                                              "the save dialog needs. Rename the folder, or save from another one.")
                      .arg(folder));
        return std::nullopt;
    }
    QString start = setup.folder;
    if (!setup.fileName.isEmpty())
        start = setup.folder.isEmpty() ? setup.fileName : QDir(setup.folder).filePath(setup.fileName);
    SaveDialog dialog(parent, setup.title, start, QtFileDialogFilter(setup.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog adds the extension before it looks for an existing file, so the question
    // is asked about the name that will be written.
    dialog.setDefaultSuffix(setup.defaultExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

bool QtPlatform::SetClipboardImage(const QImage& image)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    auto* data = new ClipboardData(image);
    clipboard->setMimeData(data); // the clipboard owns it from here
    // Taking the clipboard can fail (on X11, when the selection cannot be owned); then what
    // it offers is not ours.
    const QMimeData* offered = clipboard->mimeData();
    return offered && offered->hasImage();
}

QString QtPlatform::CurrentFolder()
{
    return FileServices::CurrentFolder();
}

bool QtPlatform::SetCurrentFolder(const QString& folder)
{
    return FileServices::SetCurrentFolder(folder);
}

std::optional<FileFacts> QtPlatform::ReadFileFacts(const QString& path)
{
    return FileServices::ReadFileFacts(path);
}

bool QtPlatform::CopyFile(const QString& from, const QString& to, bool failIfExists)
{
    return FileServices::CopyFile(from, to, failIfExists);
}

std::optional<std::vector<DirEntry>> QtPlatform::ListDirectory(const QString& folder, const QString& mask,
                                                               ListFilter filter)
{
    return FileServices::ListDirectory(folder, mask, filter);
}

QStringList QtPlatform::MountedVolumes()
{
    return FileServices::MountedVolumes();
}

std::optional<TrashedFile> QtPlatform::MoveToTrash(const QString& path, QString& why)
{
    return Trash::MoveToTrash(path, why);
}

bool QtPlatform::RestoreFromTrash(const TrashedFile& file, QString& why)
{
    return Trash::Restore(file, why);
}

bool QtPlatform::DeleteFile(const QString& path, QString& why)
{
    return Trash::Delete(path, why);
}

bool QtPlatform::RenameFile(const QString& from, const QString& to, QString& why)
{
    return FileServices::RenameFile(from, to, why);
}

bool QtPlatform::AskYesNo(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, DisplayName(caption), DisplayName(text), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

namespace {
// A file's URI from its bytes: ASCII only, so the shell and D-Bus pass it unchanged.
QString FileUri(const QString& path)
{
    return QString::fromLatin1("file://" + EncodeFileName(path).toPercentEncoding("/"));
}

// Runs a desktop call in a shell of its own, the fallback after "||"; nothing waits for it.
bool StartDesktopCall(const QString& script, const QStringList& arguments)
{
    return QProcess::startDetached(QStringLiteral("/bin/sh"),
                                   QStringList {QStringLiteral("-c"), script, QStringLiteral("sh")} + arguments);
}
} // namespace

bool QtPlatform::OpenWith(const QString& path)
{
    return StartDesktopCall(QStringLiteral("gdbus call --session --dest org.freedesktop.portal.Desktop "
                                           "--object-path /org/freedesktop/portal/desktop "
                                           "--method org.freedesktop.portal.OpenURI.OpenURI '' \"$1\" "
                                           "\"{'ask': <true>}\" >/dev/null 2>&1 || exec xdg-open \"$1\""),
                            {FileUri(path)});
}

bool QtPlatform::ShowInFolder(const QString& path)
{
    const QString folder = path.left(std::max<qsizetype>(1, path.lastIndexOf(QLatin1Char('/'))));
    return StartDesktopCall(QStringLiteral("gdbus call --session --dest org.freedesktop.FileManager1 "
                                           "--object-path /org/freedesktop/FileManager1 "
                                           "--method org.freedesktop.FileManager1.ShowItems \"['$1']\" '' "
                                           ">/dev/null 2>&1 || exec xdg-open \"$2\""),
                            {FileUri(path), FileUri(folder)});
}
