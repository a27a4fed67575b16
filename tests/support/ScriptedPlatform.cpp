// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedPlatform.h"

#include "platform/FileServices.h"
#include "base/FileNames.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QtGlobal>
#include <stdexcept>

// Shared by the platform and its timers, so either may be destroyed first.
struct ScriptedTimer::Registry {
    std::vector<ScriptedTimer*> timers; // by creation order; nullptr once destroyed
};

ScriptedTimer::~ScriptedTimer()
{
    for (ScriptedTimer*& t : m_registry->timers)
        if (t == this)
            t = nullptr;
}

void ScriptedTimer::Start(int intervalMs)
{
    m_interval = intervalMs;
    m_active = true;
}

void ScriptedTimer::Stop()
{
    m_active = false;
}

QString MenuEntryText(const QString& actionText)
{
    const QString shown = actionText.section(u'\t', 0, 0);
    QString text;
    text.reserve(shown.size());
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (shown[i] == u'&' && ++i == shown.size()) // '&' marks the next character; "&&" is one '&'
            break;
        text += shown[i];
    }
    return text;
}

namespace {

bool Selectable(const QAction* action)
{
    return !action->isSeparator() && action->isVisible() && action->isEnabled();
}

// Finds the entry a user could pick: the menu's own entries first, then its open-able
// submenus.
QAction* FindEntry(QMenu& menu, const QString& text, int depth)
{
    if (depth > 16) // a menu that contains itself must not recurse forever
        return nullptr;
    const QList<QAction*> actions = menu.actions();
    for (QAction* action : actions)
        if (Selectable(action) && !action->menu() && MenuEntryText(action->text()) == text)
            return action;
    for (QAction* action : actions) {
        QMenu* sub = action->menu();
        if (sub && Selectable(action))
            if (QAction* found = FindEntry(*sub, text, depth + 1))
                return found;
    }
    return nullptr;
}

} // namespace

ScriptedPlatform::ScriptedPlatform() : m_timers(std::make_shared<ScriptedTimer::Registry>()) {}

ScriptedPlatform::~ScriptedPlatform() = default;

int ScriptedPlatform::TimerCount() const
{
    return static_cast<int>(m_timers->timers.size());
}

ScriptedTimer* ScriptedPlatform::Timer(int index) const
{
    if (index < 0 || index >= TimerCount())
        return nullptr;
    return m_timers->timers[static_cast<size_t>(index)];
}

bool ScriptedPlatform::FireTimer(int index)
{
    ScriptedTimer* timer = Timer(index);
    if (!timer || !timer->Active())
        return false;
    // The handler may destroy the timer; run a copy so the callable outlives it.
    if (auto handler = timer->OnTimeout)
        handler();
    return true;
}

int ScriptedPlatform::FireAll()
{
    std::vector<int> due;
    for (int i = 0; i < TimerCount(); ++i)
        if (Timer(i) && Timer(i)->Active())
            due.push_back(i);
    int fired = 0;
    for (int i : due) // a handler may stop or destroy a later timer; FireTimer checks again
        fired += FireTimer(i) ? 1 : 0;
    return fired;
}

void ScriptedPlatform::ShowMessage(MessageKind kind, const QString& caption, const QString& text)
{
    messages.push_back({kind, DisplayName(caption), DisplayName(text)}); // as the real box shows them
}

void ScriptedPlatform::Beep()
{
    ++beeps;
}

QPoint ScriptedPlatform::CursorPos()
{
    return cursor;
}

void ScriptedPlatform::SetCursorPos(QPoint pos)
{
    cursor = pos;
    cursorSets.push_back(pos);
}

void ScriptedPlatform::MovePointerBy(int dx, int dy)
{
    cursor += QPoint(dx, dy);
    pointerMoves.emplace_back(dx, dy);
}

QSize ScriptedPlatform::ScreenSize()
{
    return screenSize;
}

QRect ScriptedPlatform::WorkArea()
{
    return workArea.isValid() ? workArea : QRect(QPoint(0, 0), screenSize);
}

int ScriptedPlatform::ScreenDepth()
{
    return screenDepth;
}

QByteArray ScriptedPlatform::DisplayProfile()
{
    return displayProfile ? displayProfile() : QByteArray();
}

QSize ScriptedPlatform::SystemIconSize()
{
    return iconSize;
}

QColor ScriptedPlatform::ButtonFaceColor()
{
    return buttonFace;
}

QString ScriptedPlatform::ShortDateFormat()
{
    return dateFormat;
}

uint32_t ScriptedPlatform::TickCount()
{
    return tick;
}

void ScriptedPlatform::Sleep(int ms)
{
    sleeps.push_back(ms);
    if (ms > 0)
        tick += static_cast<uint32_t>(ms);
}

void ScriptedPlatform::ProcessMessages()
{
    ++processCalls;
    QCoreApplication::processEvents();
}

std::unique_ptr<PlatformTimer> ScriptedPlatform::CreateTimer()
{
    std::unique_ptr<ScriptedTimer> timer(new ScriptedTimer(m_timers));
    m_timers->timers.push_back(timer.get());
    return timer;
}

void ScriptedPlatform::SetBusyCursor(bool busy)
{
    if (busy)
        ++busyDepth;
    else if (busyDepth > 0)
        --busyDepth;
}

QAction* ScriptedPlatform::PopupMenu(QMenu& menu, QPoint screenPos)
{
    QPointer<QMenu> guard(&menu);
    emit menu.aboutToShow(); // owners often set entries' states here
    if (!guard)
        return nullptr;

    MenuRecord record;
    record.pos = screenPos;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        record.texts << MenuEntryText(action->text());
        record.enabled.push_back(action->isEnabled());
    }
    if (!menuChoices.empty()) {
        record.choice = menuChoices.front();
        menuChoices.pop_front();
    }

    QPointer<QAction> chosen = record.choice.isEmpty() ? nullptr : FindEntry(menu, record.choice, 0);
    record.chosen = !chosen.isNull();
    if (!record.choice.isEmpty() && !record.chosen)
        qWarning("ScriptedPlatform: no enabled menu entry \"%s\"", qPrintable(record.choice));
    menus.push_back(record);

    if (guard)
        emit menu.aboutToHide();
    if (!chosen)
        return nullptr;
    chosen->trigger(); // the menus holding it report QMenu::triggered themselves
    return chosen;
}

int ScriptedPlatform::ShowModal(QDialog& dialog)
{
    modals.push_back(QString::fromLatin1(dialog.metaObject()->className()));
    if (!onModal)
        return QDialog::Rejected;
    QPointer<QDialog> guard(&dialog);
    dialog.show(); // so that the window's show handlers run, as they would in a real loop
    const int result = onModal(dialog);
    if (guard && guard->isVisible())
        guard->hide();
    return result;
}

std::optional<QString> ScriptedPlatform::RunSaveDialog(QWidget*, const SaveDialogSetup& setup)
{
    saveSetups.push_back(setup);
    const std::optional<QString> answer = NextSaveAnswer();
    if (!answer)
        return std::nullopt;
    return WithDefaultExtension(*answer, setup.defaultExtension);
}

std::optional<QString> ScriptedPlatform::NextSaveAnswer()
{
    if (saveAnswers.empty())
        return std::nullopt;
    // Taken apart by hand: copying the optional trips a false "maybe uninitialized" in GCC 12.
    const bool chosen = saveAnswers.front().has_value();
    const QString name = chosen ? *saveAnswers.front() : QString();
    saveAnswers.pop_front();
    if (!chosen)
        return std::nullopt;
    if (FileServices::IsBlankFileName(name)) {
        // The real dialog refuses it and stays open for the next answer.
        ShowMessage(MessageKind::Information, QString(), QStringLiteral("Invalid file name"));
        return NextSaveAnswer();
    }
    return name;
}

bool ScriptedPlatform::SetClipboardImage(const QImage& image)
{
    if (!clipboardAvailable)
        return false;
    clipboard.push_back(image);
    return true;
}

QString ScriptedPlatform::CurrentFolder()
{
    return FileServices::CurrentFolder();
}

bool ScriptedPlatform::SetCurrentFolder(const QString& folder)
{
    return FileServices::SetCurrentFolder(folder);
}

std::optional<FileFacts> ScriptedPlatform::ReadFileFacts(const QString& path)
{
    return FileServices::ReadFileFacts(path);
}

bool ScriptedPlatform::CopyFile(const QString& from, const QString& to, bool failIfExists)
{
    return FileServices::CopyFile(from, to, failIfExists);
}

std::optional<std::vector<DirEntry>> ScriptedPlatform::ListDirectory(const QString& folder, const QString& mask,
                                                                     ListFilter filter)
{
    if (listOverride)
        return listOverride(folder, mask, filter);
    return FileServices::ListDirectory(folder, mask, filter);
}

QStringList ScriptedPlatform::MountedVolumes()
{
    return volumes ? *volumes : FileServices::MountedVolumes();
}

std::optional<TrashedFile> ScriptedPlatform::MoveToTrash(const QString& path, QString& why)
{
    return Trash::MoveToTrash(path, why);
}

bool ScriptedPlatform::RestoreFromTrash(const TrashedFile& file, QString& why)
{
    return Trash::Restore(file, why);
}

bool ScriptedPlatform::DeleteFile(const QString& path, QString& why)
{
    return Trash::Delete(path, why);
}

bool ScriptedPlatform::RenameFile(const QString& from, const QString& to, QString& why)
{
    return FileServices::RenameFile(from, to, why);
}

bool ScriptedPlatform::OpenWith(const QString& path)
{
    handedOver << QStringLiteral("with ") + path;
    return true;
}

bool ScriptedPlatform::ShowInFolder(const QString& path)
{
    handedOver << QStringLiteral("folder ") + path;
    return true;
}

bool ScriptedPlatform::AskYesNo(const QString&, const QString& text)
{
    questions << text;
    if (answers.empty())
        return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

QString WithDefaultExtension(const QString& name, const QString& extension)
{
    const QString last = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    if (extension.isEmpty() || last.isEmpty() || last.contains(QLatin1Char('.')))
        return name;
    return name + QLatin1Char('.') + extension;
}

namespace {

// Records into the platform's job list by position, so later jobs may grow the list.
class ScriptedPrintJob : public PrintJob {
public:
    ScriptedPrintJob(ScriptedPlatform& platform, size_t record) : m_platform(platform), m_record(record) {}
    ~ScriptedPrintJob() override
    {
        if (!Record().ended)
            Record().abandoned = true;
    }
    PageFacts Facts() override
    {
        PageFacts facts = m_platform.pageFacts;
        if (Record().landscape) {
            facts.printable.transpose();
            facts.paper.transpose();
            facts.printableOffset = QPoint(facts.printableOffset.y(), facts.printableOffset.x());
        }
        return facts;
    }
    void SetLandscape(bool landscape) override { Record().landscape = landscape; }
    bool Begin(const QString& documentName) override
    {
        FailAt(ScriptedPlatform::PrintStep::Begin);
        if (m_platform.declinePrint)
            return false;
        Record().document = documentName;
        Record().begun = true;
        return true;
    }
    void DrawImage(const QRect& target, const QImage& image) override
    {
        FailAt(ScriptedPlatform::PrintStep::Draw);
        Record().draws.emplace_back(target, image);
    }
    void End() override
    {
        FailAt(ScriptedPlatform::PrintStep::End);
        Record().ended = true;
    }

private:
    ScriptedPlatform::PrintJobRecord& Record() { return m_platform.printJobs[m_record]; }
    void FailAt(ScriptedPlatform::PrintStep step)
    {
        if (m_platform.printFailure == step)
            throw std::runtime_error(m_platform.printFailureText.toStdString());
    }
    ScriptedPlatform& m_platform;
    size_t m_record;
};

} // namespace

QStringList ScriptedPlatform::Printers()
{
    return printers;
}

int ScriptedPlatform::PrinterIndex()
{
    return printerIndex >= 0 && printerIndex < printers.size() ? printerIndex : -1;
}

void ScriptedPlatform::SelectPrinter(int index)
{
    if (index >= 0 && index < printers.size())
        printerIndex = index;
}

std::optional<PrinterNames> ScriptedPlatform::SelectedPrinterNames()
{
    if (printerLoadFailures > 0) {
        --printerLoadFailures;
        return std::nullopt;
    }
    if (PrinterIndex() < 0)
        return std::nullopt;
    return PrinterNames {printers[printerIndex], QStringLiteral("Scripted driver"), QStringLiteral("scripted:")};
}

std::unique_ptr<PrintJob> ScriptedPlatform::CreatePrintJob(QWidget*)
{
    PrintJobRecord record;
    record.printer = PrinterIndex() >= 0 ? printers[printerIndex] : QString();
    printJobs.push_back(record);
    return std::make_unique<ScriptedPrintJob>(*this, printJobs.size() - 1);
}
