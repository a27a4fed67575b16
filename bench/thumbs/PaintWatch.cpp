// SPDX-License-Identifier: GPL-3.0-or-later
#include "PaintWatch.h"
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QKeyEvent>
#include <QWindow>
#include "controls/ImageControl.h"
#include "ui/browser/Viewmain.h"

PaintWatch::PaintWatch(TViewForm& form, const QElapsedTimer& clock) : m_form(form), m_clock(clock)
{
    for (int k = 1; k <= TViewForm::kThumbnails; ++k)
        form.Thumbnail(k)->installEventFilter(this);
    form.installEventFilter(this);
    // Installed after the window's own watch on its native window, so this one sees keys first.
    form.windowHandle()->installEventFilter(this);
}

void PaintWatch::Expect(const QStringList& names)
{
    m_names = names;
    m_completeAt = -1;
    firstCellAt = -1;
    keySeenAt = -1;
}

int PaintWatch::Painted() const
{
    int n = 0;
    for (int k = 1; k <= m_names.size(); ++k) {
        const TImage* img = m_form.Thumbnail(k);
        n += img->Hint() == m_names[k - 1] && m_paintedGeneration[k - 1] == img->Generation() ? 1 : 0;
    }
    return n;
}

void PaintWatch::Forget()
{
    m_paintedGeneration.fill(0);
    m_completeAt = -1;
    firstCellAt = -1;
}

bool PaintWatch::Complete() const
{
    return !m_names.isEmpty() && Painted() == m_names.size();
}

double PaintWatch::WaitPage(int timeoutMs)
{
    if (m_completeAt >= 0)
        return m_completeAt;
    // A loop that sleeps while nothing happens: polling would take the workers' processor time.
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
    return m_completeAt;
}

void PaintWatch::AfterPass()
{
    const int painted = Painted();
    if (painted > 0 && firstCellAt < 0)
        firstCellAt = m_clock.nsecsElapsed() / 1e6;
    if (m_completeAt < 0 && Complete()) {
        m_completeAt = m_clock.nsecsElapsed() / 1e6;
        if (m_loop)
            m_loop->quit();
    }
    const auto handler = OnPass; // a copy: the handler may replace itself
    if (handler)
        handler(painted);
}

bool PaintWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        // A thumbnail paints its picture only when nothing is left to prepare for it.
        if (auto* img = qobject_cast<TImage*>(watched)) {
            const TGraphic* g = img->Picture().Graphic();
            if (g && !g->Empty() && !g->NeedsPrepare(img->DrawSize()) && img->Tag() >= 1 && img->Tag() <= 25)
                m_paintedGeneration[size_t(img->Tag() - 1)] = img->Generation();
        }
        return false;
    }
    if (watched == &m_form && event->type() == QEvent::UpdateRequest && !m_inPass) {
        // The window's paint pass runs inside this event: run it here, then look.
        m_inPass = true;
        static_cast<QObject&>(m_form).event(event); // QWidget::event is protected
        m_inPass = false;
        AfterPass();
        return true;
    }
    if (watched == m_form.windowHandle() && event->type() == QEvent::KeyPress && keySeenAt < 0 &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_PageDown)
        keySeenAt = m_clock.nsecsElapsed() / 1e6;
    return false;
}
