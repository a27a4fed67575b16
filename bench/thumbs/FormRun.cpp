// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormRun.h"
#include <algorithm>
#include <cstdio>
#include <memory>
#include <ctime>
#include <sys/resource.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <QWindow>
#include <QTextStream>
#include <QTimer>
#include "app/lib/Application.h"
#include "app/lib/CommandLine.h"
#include "platform/QtPlatform.h"
#include "controls/DecodeQueue.h"
#include "controls/DirectoryListBox.h"
#include "controls/ImageControl.h"
#include "picture/FileRead.h"
#include "picture/JpegImage.h"
#include "PaintWatch.h"
#include "controls/RadioGroup.h"
#include "ScriptedPlatform.h"
#include "ui/browser/Viewmain.h"
#include "WholeFileCell.h"

namespace {

constexpr int kPage = 25;

double CpuMs()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Peak resident memory of this process in MiB, as the kernel counts it.
double PeakRssMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

void Print(const char* name, double value)
{
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

QStringList PageNames(const QString& folder, int page, int pageSize = kPage)
{
    const QStringList all = QDir(folder).entryList(
        {QStringLiteral("*.jpg"), QStringLiteral("*.png"), QStringLiteral("*.webp"), QStringLiteral("*.tif"),
         QStringLiteral("*.gif"), QStringLiteral("*.heic"), QStringLiteral("*.dng")},
        QDir::Files, QDir::Name | QDir::IgnoreCase);
    return all.mid(page * pageSize, pageSize);
}

class Session {
public:
    explicit Session(const ChildRequest& r) : m_request(r)
    {
        m_platform.SetCurrentFolder(r.empty);
        TApplication::InitPictureLayer(m_platform);
        JpegDefaults().reducedDecode = r.path != DecodePath::FullSize;
        m_form = std::make_unique<TViewForm>(m_platform);
        // Every way but the shipped one keeps the pictures the page load read whole, as the
        // program did before page loads read only headers.
        if (r.path != DecodePath::Threads)
            m_form->LoadCell = WholeFileCell;
        // LUMIVUE_BENCH_WORKER_DECODES tries another number of decodes handed to workers at a time.
        const int ahead = qEnvironmentVariableIntValue("LUMIVUE_BENCH_WORKER_DECODES");
        if (r.path == DecodePath::UiThread || r.path == DecodePath::FullSize)
            m_form->Decoder().SetWorkerDecodes(0);
        else if (ahead > 0)
            m_form->Decoder().SetWorkerDecodes(ahead);
        m_form->show();
        if (!QTest::qWaitForWindowExposed(m_form.get()))
            std::fprintf(stderr, "the window was not exposed\n");
        m_form->rdgCount->SetItemIndex(4); // 25 a page
        m_form->rdgCountClick();
        m_clock.start();
        m_watch = std::make_unique<PaintWatch>(*m_form, m_clock);
    }

    double Now() const { return m_clock.nsecsElapsed() / 1e6; }

    // Opens a folder and waits for its first page; the time from the opening, or -1.
    double OpenAndWait(const QString& folder, double* firstCell = nullptr, int pageSize = kPage)
    {
        m_watch->Expect(PageNames(folder, 0, pageSize));
        const double start = Now();
        m_form->DirectoryListBox1->SetDirectory(folder);
        const double done = m_watch->WaitPage(m_request.timeoutMs);
        if (firstCell)
            *firstCell = m_watch->firstCellAt - start;
        return done < 0 ? -1 : done - start;
    }

    void OpenEmpty()
    {
        m_watch->Expect({});
        m_form->DirectoryListBox1->SetDirectory(m_request.empty);
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }

    // A Page Down as the window system would deliver it: queued behind what is pending.
    double PostPageDown()
    {
        const double at = Now();
        QCoreApplication::postEvent(m_form->windowHandle(),
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier));
        QCoreApplication::postEvent(m_form->windowHandle(),
                                    new QKeyEvent(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier));
        return at;
    }

    bool Clean() const { return m_platform.messages.empty(); }
    ScriptedPlatform& Platform() { return m_platform; }

    TViewForm& Form() { return *m_form; }
    PaintWatch& Watch() { return *m_watch; }

private:
    const ChildRequest& m_request;
    ScriptedPlatform m_platform;
    std::unique_ptr<TViewForm> m_form;
    QElapsedTimer m_clock;
    std::unique_ptr<PaintWatch> m_watch;
};

// The first page of each folder, after a warm-up on the first one.
int RunPages(const ChildRequest& r)
{
    Session s(r);
    if (s.OpenAndWait(r.folders.first()) < 0)
        return 2;
    for (int i = 0; i < r.folders.size(); ++i) {
        s.OpenEmpty();
        const double cpu = CpuMs();
        double first = -1;
        const double ms = s.OpenAndWait(r.folders[i], &first);
        if (ms < 0)
            return 2;
        Print(QStringLiteral("page_ms.%1").arg(i).toUtf8().constData(), ms);
        Print(QStringLiteral("first_ms.%1").arg(i).toUtf8().constData(), first);
        if (i == 0) {
            // The drawn size of the first folder's first picture: what the baselines make thumbnails at.
            Print("cell_width", s.Form().Thumbnail(1)->width());
            Print("cell_height", s.Form().Thumbnail(1)->height());
        }
        Print(QStringLiteral("page_cpu_ms.%1").arg(i).toUtf8().constData(), CpuMs() - cpu);
    }
    Print("worker_results", s.Form().Decoder().WorkerResults());
    return s.Clean() ? 0 : 3;
}

// The same at 9 a page, whose cells are larger than a camera's EXIF thumbnail.
int RunNinePages(const ChildRequest& r)
{
    Session s(r);
    s.Form().rdgCount->SetItemIndex(2);
    s.Form().rdgCountClick();
    if (s.OpenAndWait(r.folders.first(), nullptr, 9) < 0)
        return 2;
    for (int i = 0; i < r.folders.size(); ++i) {
        s.OpenEmpty();
        const double ms = s.OpenAndWait(r.folders[i], nullptr, 9);
        if (ms < 0)
            return 2;
        Print(QStringLiteral("page9_ms.%1").arg(i).toUtf8().constData(), ms);
    }
    return s.Clean() ? 0 : 3;
}

// With the shared thumbnail cache on: a warm-up on the first folder, then the first page of
// the second; run twice on one cache folder, the first finds the cache empty, the second full.
int RunCachePage(const ChildRequest& r)
{
    if (r.folders.size() < 2)
        return 1;
    Session s(r);
    if (s.OpenAndWait(r.folders[0]) < 0)
        return 2;
    s.OpenEmpty();
    const double cpu = CpuMs();
    const double ms = s.OpenAndWait(r.folders[1]);
    if (ms < 0)
        return 2;
    Print("page_ms", ms);
    Print("page_cpu_ms", CpuMs() - cpu);
    return s.Clean() ? 0 : 3;
}

// Four pages in a row in a fresh process: the time and the peak memory.
int RunPaging(const ChildRequest& r)
{
    Session s(r);
    const QString folder = r.folders.first();
    const double cpu = CpuMs();
    const double start = s.Now();
    s.Watch().Expect(PageNames(folder, 0));
    s.Form().DirectoryListBox1->SetDirectory(folder);
    for (int page = 0; page < 4; ++page) {
        if (page > 0) {
            s.Watch().Expect(PageNames(folder, page));
            s.PostPageDown();
        }
        if (s.Watch().WaitPage(r.timeoutMs) < 0)
            return 2;
    }
    Print("four_pages_ms", s.Now() - start);
    Print("four_pages_cpu_ms", CpuMs() - cpu);
    Print("peak_rss_mib", PeakRssMiB());
    return s.Clean() ? 0 : 3;
}

// A Page Down pressed once five thumbnails of the first page are drawn.
int RunPageDown(const ChildRequest& r)
{
    Session s(r);
    const QString folder = r.folders.first();
    if (s.OpenAndWait(r.folders.first()) < 0) // warm-up
        return 2;
    s.OpenEmpty();
    double keyAt = -1, loadedAt = -1;
    const QStringList next = PageNames(folder, 1);
    QObject::connect(s.Form().edtCount, &QLineEdit::textChanged, [&](const QString& text) {
        if (keyAt >= 0 && loadedAt < 0 && text == QString::number(2 * kPage))
            loadedAt = s.Now();
    });
    s.Watch().OnPass = [&](int painted) {
        if (keyAt < 0 && painted >= 5) {
            s.Watch().OnPass = nullptr;
            s.Watch().Expect(next);
            keyAt = s.PostPageDown();
        }
    };
    s.Watch().Expect(PageNames(folder, 0));
    s.Form().DirectoryListBox1->SetDirectory(folder);
    const double done = s.Watch().WaitPage(r.timeoutMs);
    if (done < 0 || keyAt < 0 || loadedAt < 0)
        return 2;
    Print("key_seen_ms", s.Watch().keySeenAt - keyAt);
    Print("key_loaded_ms", loadedAt - keyAt);
    Print("key_first_cell_ms", s.Watch().firstCellAt - keyAt);
    Print("key_page_ms", done - keyAt);
    return s.Clean() ? 0 : 3;
}

// The window resized from its start size to 1600 x 1000 (as a maximise on a large screen) on a
// painted page of 25 photos: the time to the first paint after it (every cell laid out anew and
// drawn from the copy at hand) and to every cell drawn from a copy of its new size; then, for
// comparison, the first page of another folder of such photos opened at that size. Both
// folders are opened once at the start size first, so their files are in the disk cache alike.
int RunResize(const ChildRequest& r)
{
    if (r.folders.size() < 2)
        return 1;
    Session s(r);
    if (s.OpenAndWait(r.folders[1]) < 0 || (s.OpenEmpty(), s.OpenAndWait(r.folders[0])) < 0)
        return 2;
    const QStringList names = PageNames(r.folders[0], 0);
    s.Watch().Expect(names);
    s.Watch().Forget();
    double relaid = -1;
    const double start = s.Now();
    s.Watch().OnPass = [&](int) {
        if (relaid < 0)
            relaid = s.Now() - start;
    };
    s.Form().resize(1600, 1000);
    // The window's settling timer, run as the real one would be: after its interval.
    ScriptedPlatform& platform = s.Platform();
    for (int i = 0; i < platform.TimerCount(); ++i) {
        if (ScriptedTimer* timer = platform.Timer(i); timer && timer->Active())
            QTimer::singleShot(timer->Interval(), [&platform, i] { platform.FireTimer(i); });
    }
    const double done = s.Watch().WaitPage(r.timeoutMs);
    s.Watch().OnPass = nullptr;
    if (done < 0 || relaid < 0)
        return 2;
    Print("relaid_ms", relaid);
    Print("resized_page_ms", done - start);
    s.OpenEmpty();
    const double cold = s.OpenAndWait(r.folders[1]);
    if (cold < 0)
        return 2;
    Print("large_page_ms", cold);
    Print("large_cell_width", s.Form().Thumbnail(1)->width());
    return s.Clean() ? 0 : 3;
}

// Every picture file read as from a slow network or FUSE disk: 0.2 s before it opens.
void SlowRead(const QString&)
{
    QThread::msleep(200);
}

// The first page of 9 and of 25 photos on that slow disk: the window thread's longest stall
// (the longest gap between ticks of a 5 ms timer on it) while each page loads.
int RunSlowDisk(const ChildRequest& r)
{
    Session s(r);
    const QString folder = r.folders.first();
    SetFileReadWatch(SlowRead);
    QElapsedTimer clock;
    double last = 0, longest = 0;
    QTimer ticks;
    ticks.setInterval(5);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const double now = clock.nsecsElapsed() / 1e6;
        longest = std::max(longest, now - last);
        last = now;
    });
    for (const int pageSize : {9, 25}) {
        s.OpenEmpty();
        s.Form().rdgCount->SetItemIndex(pageSize == 9 ? 2 : 4);
        s.Form().rdgCountClick();
        s.Watch().Expect(PageNames(folder, 0, pageSize));
        clock.start(); // the opening itself counts: the first tick comes after it
        last = 0;
        longest = 0;
        ticks.start();
        s.Form().DirectoryListBox1->SetDirectory(folder);
        const double done = s.Watch().WaitPage(r.timeoutMs);
        ticks.stop();
        if (done < 0)
            return 2;
        Print(QStringLiteral("stall_ms.%1").arg(pageSize).toUtf8().constData(), longest);
        Print(QStringLiteral("page_ms.%1").arg(pageSize).toUtf8().constData(), clock.nsecsElapsed() / 1e6);
    }
    SetFileReadWatch(nullptr);
    return s.Clean() ? 0 : 3;
}

// The program as a user starts it on a folder, in this fresh process: the real platform, the
// folder entered before the window is made, the page size the window starts with. Prints the
// shared monotonic clock when that first page is painted, for the parent to subtract its start.
int RunCold(const ChildRequest& r)
{
    QtPlatform platform;
    TApplication::InitPictureLayer(platform);
    const StartRequest start {false, 0, r.folders.first(), QString()};
    platform.SetCurrentFolder(start.folder);
    TViewForm form(platform);
    QTextStream err(stderr);
    OpenStart(form, start, err);
    QElapsedTimer clock;
    clock.start();
    form.show();
    // After show, which makes the window the watch listens to; painting waits for the event loop.
    PaintWatch watch(form, clock);
    watch.Expect(PageNames(start.folder, 0, form.PageSize));
    if (watch.WaitPage(r.timeoutMs) < 0)
        return 2;
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    Print("painted_at_ms", now.tv_sec * 1e3 + now.tv_nsec / 1e6);
    Print("cpu_ms", CpuMs());
    Print("page_size", form.PageSize);
    // The same page again in this process, now warm, for the row beside it.
    form.DirectoryListBox1->SetDirectory(r.empty);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    watch.Expect(PageNames(start.folder, 0, form.PageSize));
    const double reopened = clock.nsecsElapsed() / 1e6;
    form.DirectoryListBox1->SetDirectory(start.folder);
    const double done = watch.WaitPage(r.timeoutMs);
    if (done < 0)
        return 2;
    Print("warm_page_ms", done - reopened);
    return 0;
}

} // namespace

QString PathName(DecodePath path)
{
    switch (path) {
    case DecodePath::Threads: return QStringLiteral("threads");
    case DecodePath::AtPaint: return QStringLiteral("atpaint");
    case DecodePath::UiThread: return QStringLiteral("ui");
    case DecodePath::FullSize: return QStringLiteral("fullsize");
    }
    return {};
}

bool ParsePath(const QString& name, DecodePath* path)
{
    for (DecodePath p : {DecodePath::Threads, DecodePath::AtPaint, DecodePath::UiThread, DecodePath::FullSize})
        if (PathName(p) == name) {
            *path = p;
            return true;
        }
    return false;
}

int RunChild(const ChildRequest& r)
{
    if (r.folders.isEmpty())
        return 1;
    if (r.scenario == QLatin1String("pages"))
        return RunPages(r);
    if (r.scenario == QLatin1String("nine"))
        return RunNinePages(r);
    if (r.scenario == QLatin1String("paging"))
        return RunPaging(r);
    if (r.scenario == QLatin1String("pagedown"))
        return RunPageDown(r);
    if (r.scenario == QLatin1String("cache"))
        return RunCachePage(r);
    if (r.scenario == QLatin1String("cold"))
        return RunCold(r);
    if (r.scenario == QLatin1String("slowdisk"))
        return RunSlowDisk(r);
    if (r.scenario == QLatin1String("resize"))
        return RunResize(r);
    return 1;
}
