// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Watches the main window paint: which thumbnails have been drawn with their picture ready,
// and when the page the benchmark waits for is complete. The time is taken after the
// window's whole paint pass, so the drawing itself is counted.
#include <array>
#include <functional>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

class QEventLoop;
class TViewForm;

class PaintWatch : public QObject {
public:
    PaintWatch(TViewForm& form, const QElapsedTimer& clock);

    // The page now awaited: its file names in cell order.
    void Expect(const QStringList& names);
    // Runs the event loop until the awaited page is complete; its time on the clock, or -1
    // after timeoutMs.
    double WaitPage(int timeoutMs);
    // Cells of the awaited page drawn with their picture so far.
    int Painted() const;
    // Forgets what was drawn: after a resize, a cell counts once drawn from a copy of its new size.
    void Forget();

    // After each paint pass, with the number of cells of the awaited page drawn so far.
    std::function<void(int)> OnPass;
    // Set when a Page Down reached the window (before its handler), on the clock.
    double keySeenAt = -1;
    // When the first cell of the awaited page was drawn with its picture, on the clock.
    double firstCellAt = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Complete() const;
    void AfterPass();

    TViewForm& m_form;
    const QElapsedTimer& m_clock;
    QStringList m_names;
    std::array<quint64, 25> m_paintedGeneration {};
    double m_completeAt = -1;
    bool m_inPass = false;
    QEventLoop* m_loop = nullptr; // WaitPage's, while it runs
};
