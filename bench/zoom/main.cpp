// SPDX-License-Identifier: GPL-3.0-or-later
// The zoom window benchmark: a 12-MP and a 48-MP photo-like picture zoomed from fit to 200 per
// cent in ten steps and back, then scrolled across at 200 per cent, in the real window
// offscreen. Each step is timed from the click to the window painted, with the process's peak
// memory during it. In the same run, for the same ratios, the whole-bitmap way: the whole
// zoomed picture made by a smooth resample, copied into a display bitmap, its visible part
// painted. Memory is counted above what the process held before the window opened plus the
// window's base bitmap.
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include "Photo.h"
#include "app/lib/Application.h"
#include "controls/UpDownEdit.h"
#include "picture/JpegImage.h"
#include "picture/Picture.h"
#include "ScriptedPlatform.h"
#include "ui/zoom/Zoom.h"
#include "ui/zoom/ZoomImage.h"
#include "ui/zoom/ZoomRules.h"

namespace {
bool g_whole = true; // also the whole-bitmap way (off for profiling the window alone)

double StatusMiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// The peak starts again from what is resident now.
void ResetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

struct Sample {
    double ms = 0;
    double extraMiB = 0; // peak above the process before the window plus the base bitmap
};

struct Meter {
    double before = 0; // resident MiB before the window opened
    double base = 0;   // the base bitmap's MiB
    template <class F>
    Sample Measure(F&& f) const
    {
        ResetPeak();
        QElapsedTimer t;
        t.start();
        f();
        Sample s;
        s.ms = t.nsecsElapsed() / 1e6;
        s.extraMiB = StatusMiB("VmHWM:") - before - base;
        return s;
    }
};

void Print(const char* fmt, auto... args)
{
    std::printf(fmt, args...);
    std::fflush(stdout);
}

struct Totals {
    double worstStep = 0, worstScroll = 0, worstExtra = 0, worstWholeExtra = 0;
    double at200 = 0, wholeAt200 = 0;
    double openExtra = 0;      // peak while opening, above the process before plus the base
    double worstDragFrame = 0; // the dearest mean drag frame over the ratios tried
};

// A drag as the hand makes it: twenty moves of 12 pixels right and down, each drawn before
// the next (what the window draws: the strip the move uncovered). The mean frame in ms.
double DragFrames(TZoomForm& zoom)
{
    QScrollBar* vert = zoom.VertScrollBar();
    QScrollBar* horz = zoom.HorzScrollBar();
    horz->setValue(horz->maximum() / 3);
    vert->setValue(vert->maximum() / 3);
    QCoreApplication::processEvents();
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 20; ++i) {
        horz->setValue(horz->value() + 12);
        vert->setValue(vert->value() + 12);
        QCoreApplication::processEvents();
    }
    return t.nsecsElapsed() / 1e6 / 20;
}

// The window's own zoom step, as its buttons make it, from where it is to `ratio` per cent.
void StepTo(TZoomForm& zoom, int ratio)
{
    const int delta = ratio - zoom.ZoomRatio;
    if (delta == 0)
        return;
    zoom.edtZoomRate->SetText(QString::number(std::abs(delta)));
    (delta > 0 ? zoom.btnZIn : zoom.btnZOut)->click();
    QCoreApplication::processEvents();
}

// The ratios of the run: fit, ten steps up to 200, ten back down to fit.
std::vector<int> Ratios(int fit)
{
    std::vector<int> up;
    for (int i = 1; i <= 10; ++i)
        up.push_back(fit + (200 - fit) * i / 10);
    std::vector<int> all = up;
    for (int i = 8; i >= 0; --i)
        all.push_back(up[size_t(i)]);
    all.push_back(fit);
    return all;
}

Totals RunPicture(ScriptedPlatform& platform, QSize screen, QSize size)
{
    Totals totals;
    Meter meter;
    TPicture picture;
    {
        // A photo as a file gives it: the window decodes the JPEG itself.
        TJpegImage encoded;
        encoded.AssignBitmap(MakeLandscape(size.width(), size.height()));
        encoded.settings.quality = 90;
        TJpegImage jpeg;
        jpeg.LoadFromBytes(encoded.SaveToBytes());
        picture.Assign(&jpeg);
    }
    meter.before = StatusMiB("VmRSS:");
    TZoomForm zoom(nullptr, platform, picture);
    zoom.ScreenWidth = screen.width();
    zoom.ScreenHeight = screen.height();
    QElapsedTimer opening;
    opening.start();
    ResetPeak();
    platform.onModal = [&](QDialog&) {
        meter.base = zoom.WholeBitmap->Dib().bits.size() / 1048576.0;
        QCoreApplication::processEvents();
        totals.openExtra = StatusMiB("VmHWM:") - meter.before - meter.base;
        Print("\n%d x %d (%.1f MP), base bitmap %.0f MiB, screen %d x %d, opened and painted in %.0f ms, "
              "peak %.1f MiB above the base\n",
              size.width(), size.height(), size.width() * size.height() / 1e6, meter.base, screen.width(),
              screen.height(), opening.nsecsElapsed() / 1e6, totals.openExtra);
        Print("%-6s %6s %13s %10s %10s %12s %12s %7s\n", "step", "ratio", "zoomed", "ms", "extra MiB", "whole ms",
              "whole MiB", "x");
        const Sample fit = meter.Measure([&] {
            zoom.btnZFit->click();
            zoom.repaint();
        });
        Print("%-6s %6d %6d x %-6d %10.1f %10.1f\n", "fit", zoom.ZoomRatio, zoom.CurWidth, zoom.CurHeight, fit.ms,
              fit.extraMiB);
        totals.worstStep = fit.ms;
        totals.worstExtra = fit.extraMiB;
        const QImage base(zoom.WholeBitmap->Dib().bits.data(), size.width(), size.height(), size.width() * 4,
                          QImage::Format_RGB32);
        QImage screenImage(zoom.size() * zoom.devicePixelRatio(), QImage::Format_RGB32);
        int step = 0;
        for (int ratio : Ratios(zoom.ZoomRatio)) {
            ++step;
            const int delta = ratio - zoom.ZoomRatio;
            zoom.edtZoomRate->SetText(QString::number(std::abs(delta)));
            const Sample ours = meter.Measure([&] {
                (delta >= 0 ? zoom.btnZIn : zoom.btnZOut)->click();
                zoom.repaint();
            });
            // The whole-bitmap way: a new zoomed bitmap, copied into the display bitmap, shown.
            const QSize zoomed(zoom.CurWidth, zoom.CurHeight);
            const Sample whole = !g_whole ? Sample() : meter.Measure([&] {
                QImage display;
                {
                    const QImage scaled = base.scaled(zoomed, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                    display = scaled.copy();
                }
                QPainter p(&screenImage);
                p.fillRect(screenImage.rect(), Qt::white);
                p.drawImage(QPoint(0, 0), display, QRect(QPoint(0, 0), screenImage.size()));
            });
            Print("%-6d %6d %6d x %-6d %10.1f %10.1f %12.1f %12.1f %7.1f\n", step, zoom.ZoomRatio, zoom.CurWidth,
                  zoom.CurHeight, ours.ms, ours.extraMiB, whole.ms, whole.extraMiB, whole.ms / ours.ms);
            totals.worstStep = std::max(totals.worstStep, ours.ms);
            totals.worstExtra = std::max(totals.worstExtra, ours.extraMiB);
            totals.worstWholeExtra = std::max(totals.worstWholeExtra, whole.extraMiB);
            if (ratio == 200 && delta > 0) {
                totals.at200 = ours.ms;
                totals.wholeAt200 = whole.ms;
            }
            if (ratio == 200 && delta > 0) {
                // Across the picture at 200 per cent: twenty positions from top left to bottom right.
                QScrollBar* vert = zoom.VertScrollBar();
                QScrollBar* horz = zoom.HorzScrollBar();
                double sum = 0;
                for (int i = 1; i <= 20; ++i) {
                    const Sample scroll = meter.Measure([&] {
                        horz->setValue(horz->maximum() * i / 20);
                        vert->setValue(vert->maximum() * i / 20);
                        zoom.repaint();
                    });
                    sum += scroll.ms;
                    totals.worstScroll = std::max(totals.worstScroll, scroll.ms);
                    totals.worstExtra = std::max(totals.worstExtra, scroll.extraMiB);
                }
                Print("scroll at 200 %%: 20 paints, mean %.1f ms, worst %.1f ms\n", sum / 20, totals.worstScroll);
                horz->setValue(0);
                vert->setValue(0);
            }
        }
        for (const int ratio : {27, 60, 200}) {
            StepTo(zoom, ratio);
            const double frame = DragFrames(zoom);
            Print("drag at %d %%: %.1f ms a frame\n", zoom.ZoomRatio, frame);
            totals.worstDragFrame = std::max(totals.worstDragFrame, frame);
        }
        zoom.close();
        return int(QDialog::Accepted);
    };
    platform.ShowModal(zoom);
    platform.onModal = nullptr;
    return totals;
}

// The README's pictures: the window on the landscape at fit and at 200 per cent.
int Screenshots(ScriptedPlatform& platform, QSize screen, const QString& folder)
{
    TPicture picture;
    {
        const TBitmap photo = MakeLandscape(2400, 1600);
        picture.Assign(&photo);
    }
    TZoomForm zoom(nullptr, platform, picture);
    zoom.ScreenWidth = screen.width();
    zoom.ScreenHeight = screen.height();
    bool saved = true;
    platform.onModal = [&](QDialog&) {
        auto settle = [] {
            for (int i = 0; i < 10; ++i)
                QCoreApplication::processEvents();
        };
        settle();
        zoom.btnZFit->click();
        platform.cursor = zoom.mapToGlobal(QPoint(412, 300));
        zoom.imgZoomMouseMove();
        settle();
        saved = zoom.grab().save(folder + QStringLiteral("/screenshot-zoom-fit.png")) && saved;
        zoom.edtZoomRate->SetText(QString::number(200 - zoom.ZoomRatio));
        zoom.btnZIn->click();
        zoom.edtZoomRate->SetText(QStringLiteral("10"));
        zoom.HorzScrollBar()->setValue(zoom.HorzScrollBar()->maximum() * 72 / 100);
        zoom.VertScrollBar()->setValue(zoom.VertScrollBar()->maximum() * 58 / 100);
        zoom.imgZoomMouseMove();
        settle();
        saved = zoom.grab().save(folder + QStringLiteral("/screenshot-zoom-200.png")) && saved;
        zoom.close();
        return int(QDialog::Accepted);
    };
    platform.ShowModal(zoom);
    platform.onModal = nullptr;
    return saved ? 0 : 1;
}
}

int main(int argc, char** argv)
{
    QSize screen(1920, 1080);
    QString shots;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--screen") && i + 1 < argc) {
            const QStringList wh = QString::fromLocal8Bit(argv[++i]).split(QLatin1Char('x'));
            screen = QSize(wh.value(0).toInt(), wh.value(1).toInt());
        } else if (arg == QLatin1String("--window-only")) {
            g_whole = false;
        } else if (arg == QLatin1String("--screenshot") && i + 1 < argc) {
            shots = QString::fromLocal8Bit(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: lumivue-bench-zoom [--screen WxH] [--window-only] [--screenshot DIR]\n");
            return 2;
        }
    }
    if (shots.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Freed blocks go back to the system at once, so that resident memory (and the peak measured
    // from it) is what is alive, not what an earlier step left in the allocator's pools.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    QApplication app(argc, argv);
    ScriptedPlatform platform;
    platform.screenSize = screen;
    TApplication::InitPictureLayer(platform);
    if (!shots.isEmpty())
        return Screenshots(platform, screen, shots);

    Totals all;
    for (const QSize size : {QSize(4000, 3000), QSize(8000, 6000)}) {
        const Totals t = RunPicture(platform, screen, size);
        Print("worst step %.1f ms, worst scroll paint %.1f ms, worst extra %.1f MiB (whole way %.1f MiB); "
              "at 200 %%: %.1f ms against %.1f ms, %.1fx; opening %.1f MiB above the base; "
              "dearest drag frame %.1f ms\n",
              t.worstStep, t.worstScroll, t.worstExtra, t.worstWholeExtra, t.at200, t.wholeAt200,
              t.wholeAt200 / t.at200, t.openExtra, t.worstDragFrame);
        all = t; // the goals are the 48-MP photo's
    }
    const bool met = all.worstStep < 50 && all.worstScroll < 50 && all.worstExtra < 64 &&
        all.wholeAt200 >= 10 * all.at200 && all.openExtra < 64 && all.worstDragFrame < 1000.0 / 60;
    Print("\ngoals for the 48-MP photo (steps and scroll paints < 50 ms, extra and opening < 64 MiB, 10x at "
          "200 %%, drag frames < 16.7 ms): %s\n",
          met ? "met" : "NOT met");
    return met ? 0 : 1;
}
