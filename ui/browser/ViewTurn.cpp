// SPDX-License-Identifier: GPL-3.0-or-later
// Turning the clicked or chosen picture's file without loss (the popup's "Rotate Right",
// "Rotate Left" and "Flip"; Ctrl+R, Ctrl+L): a JPEG by its coded blocks, a bitmap or an icon by
// its pixels in its own format (picture/LosslessTurn.h).
// The page shows it again from its file.
#include <QAction>
#include <QApplication>
#include <QThreadPool>
#include "picture/Failure.h"
#include "picture/LosslessTurn.h"
#include "picture/PictureFormats.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "ui/browser/Viewmain.h"

void TViewForm::TurnEntry(const QString& entry, Turn turn, std::function<void()> done)
{
    StartTurn(entry, turn, TurnEdges::Whole, std::move(done));
}

void TViewForm::StartTurn(const QString& entry, Turn turn, TurnEdges edges, std::function<void()> done)
{
    if (entry.isEmpty())
        return;
    const QString ext = ExtensionOf(entry).toLower();
    const bool bitmap = ext == QLatin1String(".bmp") || ext == QLatin1String(".dib");
    const bool icon = ext == QLatin1String(".ico");
    if (ext != QLatin1String(".jpg") && ext != QLatin1String(".jpeg") && ext != QLatin1String(".jpe") && !bitmap &&
        !icon) {
        ShowInformation(m_platform, tr("Only JPEG, bitmap and icon pictures can be turned here."));
        return;
    }
    if (TurnUnderWay())
        return;
    m_turnBusy = true;
    m_platform.SetBusyCursor(true);
    if (!m_turns) {
        m_turns = std::make_shared<QThreadPool>();
        m_turns->setMaxThreadCount(1);
    }
    // Read, turned and written on a worker: a large photo takes a while, and the window does
    // not wait on a file. The outcome comes back through the event loop, to a window that may
    // have closed meanwhile.
    m_turns->start([path = FullPath(entry), entry, turn, edges, bitmap, icon, window = QPointer<TViewForm>(this),
                    done = std::move(done)] {
        TurnOutcome outcome = TurnOutcome::Done;
        QString failure;
        try {
            if (bitmap)
                TurnBitmapFile(path, turn);
            else if (icon)
                TurnIconFile(path, turn);
            else
                TurnJpegFile(path, turn, edges);
        } catch (const PartialBlocks&) {
            outcome = TurnOutcome::PartialBlocks;
        } catch (const std::exception& e) {
            outcome = TurnOutcome::Failed;
            failure = QString::fromUtf8(e.what());
        }
        QMetaObject::invokeMethod(
            qApp,
            [window, entry, turn, outcome, failure, done] {
                if (window)
                    window->TurnFinished(entry, turn, outcome, failure, done);
            },
            Qt::QueuedConnection);
    });
}

void TViewForm::TurnFinished(const QString& entry, Turn turn, TurnOutcome outcome, const QString& failure,
                             const std::function<void()>& done)
{
    m_turnBusy = false;
    m_platform.SetBusyCursor(false);
    Guarded(m_platform, [&] {
        if (outcome == TurnOutcome::Failed) {
            ShowError(m_platform, failure);
        } else if (outcome == TurnOutcome::PartialBlocks) {
            // The user's choice: cut the partial blocks off, or turn by the tag alone.
            if (m_platform.AskYesNo(tr("Turn"),
                                    tr("This picture's width or height is not a whole number of its "
                                       "coded blocks. Turned without loss, it loses up to 15 pixels at "
                                       "its edges. Turn it so?")))
                StartTurn(entry, turn, TurnEdges::Trim, done);
            else if (m_platform.AskYesNo(tr("Turn"),
                                         tr("Turn it by its orientation tag alone instead? Its "
                                            "pixels stay as they are; viewers that read the tag show "
                                            "it turned.")))
                StartTurn(entry, turn, TurnEdges::TagOnly, done);
        } else {
            ReloadAround(entry, false);
            if (done)
                done();
        }
    });
}

bool TViewForm::TurnUnderWay()
{
    // Another turn, a rename or the trash meanwhile would act on a file about to be replaced.
    if (m_turnBusy)
        m_platform.Beep();
    return m_turnBusy;
}

void TViewForm::FinishTurns()
{
    // A turn may start another (after the question about partial blocks): a few rounds at most.
    for (int round = 0; round < 4 && m_turnBusy && m_turns; ++round) {
        m_turns->waitForDone();
        QCoreApplication::sendPostedEvents();
    }
}
