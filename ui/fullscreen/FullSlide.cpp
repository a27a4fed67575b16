// SPDX-License-Identifier: GPL-3.0-or-later
// The full-screen window as a slide show: the timer, one tick, and the pause while a
// picture decodes.
#include <algorithm>
#include <climits>
#include "ui/fullscreen/Full.h"
#include "controls/ImageControl.h"
#include "platform/Platform.h"
#include "ui/common/AnimationPlayer.h"
#include "ui/common/ImageFacts.h"
#include "ui/common/PageModel.h"

namespace {
// The timer's interval for a number of seconds; a typed number may be far beyond what a
// timer holds, so it is kept within the timer's range.
int IntervalFor(int32_t seconds)
{
    const int64_t ms = int64_t(seconds) * 1000;
    return int(std::clamp<int64_t>(ms, 1, INT_MAX));
}
}

void TFullForm::BuildShowTimer()
{
    ShowTimer = m_platform.CreateTimer(); // created stopped
    ShowTimer->OnTimeout = GuardedCallback(m_platform, [this] { ShowTimerTimer(); });
}

void TFullForm::StartShow()
{
    ShowTimer->Start(IntervalFor(SlideSeconds));
    imgFull->OnProgress = [this](TImage* sender, const ProgressReport& report) { imgFullProgress(sender, report); };
    // One step back and a tick at once: the first slide is the start position itself.
    --CurrentIndex;
    ShowTimerTimer();
}

void TFullForm::ShowTimerTimer()
{
    // An animation longer than a slide stays until it has played once.
    if (Player->Playing() && !Player->LoopDone() && Player->LoopMs() > int64_t(SlideSeconds) * 1000)
        return;
    if (CurrentIndex == LastIndex)
        CurrentIndex = 0;
    else if (CurrentIndex < LastIndex)
        ++CurrentIndex;
    // A key pressed during the interval is handled before this slide loads; Esc may have
    // closed the window meanwhile.
    QPointer<TFullForm> self(this);
    m_platform.ProcessMessages();
    if (!self || !isVisible())
        return;
    const QString entry = ImageListEntry(CurrentIndex);
    // Entries that are no picture, and files that do not load, are passed over without a
    // word: the previous slide stays for another interval.
    if (!IsImageExtension(ExtensionOf(entry).toLower()))
        return;
    try {
        LoadIntoFull(entry, true); // a show is always fitted
    } catch (...) {
        // A decoding that failed between its start and its next report must not leave the
        // show standing still.
        if (!ShowTimer->Active())
            ShowTimer->Start(IntervalFor(SlideSeconds));
        return;
    }
    ShownFile = entry;
    PictureHeight = imgFull->Picture().Height();
    PictureWidth = imgFull->Picture().Width();
    const QSize screen = DeviceScreen();
    FitToScreen(screen.height(), screen.width(), PictureHeight, PictureWidth, m_fit);
    imgFull->SetPlacement(m_fit);
    // The pointer goes to the screen's right edge, out of the picture, without moving up or
    // down. Relative moves overshoot on purpose: the edge stops them whatever the pointer
    // speed settings make of the distance.
    for (const int dx : {ScreenWidth + 8, ScreenWidth + 8, ScreenWidth, ScreenWidth})
        m_platform.MovePointerBy(dx, 0);
}

void TFullForm::imgFullProgress(TImage*, const ProgressReport& report)
{
    if (report.stage == TProgressStage::Starting) {
        ShowTimer->Stop();
        return;
    }
    // Only a stopped timer is started: its interval counts from the first report after the
    // start of decoding, and later reports leave it alone.
    if (!ShowTimer->Active())
        ShowTimer->Start(IntervalFor(SlideSeconds));
}
