// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/zoom/ZoomHelp.h"
#include <QCoreApplication>
#include <QStringList>

QString ZoomHelpText()
{
    // One paragraph a line, each indented by a blank, with a blank line between them: the
    // panel wraps them at its own width, so any font lays them out whole.
    static const char* const paragraphs[] = {
        QT_TRANSLATE_NOOP("TZoomForm", "Zoom Fit sizes the picture so that it fits on the screen."),
        QT_TRANSLATE_NOOP("TZoomForm",
                          "Zoom Amount % is the size of one step, in per cent of the picture's own size. It starts at "
                          "10%."),
        QT_TRANSLATE_NOOP("TZoomForm", "Zoom In makes the picture larger by one step, Zoom Out smaller."),
        QT_TRANSLATE_NOOP("TZoomForm", "Reset shows the picture at the size it started with."),
        QT_TRANSLATE_NOOP("TZoomForm",
                          "To cut out part of the picture, hold the left mouse button down and drag a rectangle over "
                          "it. When you let go, the part inside the rectangle becomes the picture you zoom."),
        QT_TRANSLATE_NOOP("TZoomForm",
                          "Once a cut-out part has been zoomed, the first Reset goes back to that part as it was cut; "
                          "pressing Reset while it shows brings back the whole picture."),
        QT_TRANSLATE_NOOP("TZoomForm",
                          "Save writes the picture as it is shown, zoomed or cut, as a JPEG file or as a bitmap."),
        QT_TRANSLATE_NOOP("TZoomForm", "To move this panel, drag its title or its body with the left mouse button."),
    };
    QStringList lines;
    for (const char* paragraph : paragraphs)
        lines << QLatin1Char(' ') + QCoreApplication::translate("TZoomForm", paragraph);
    return lines.join(QStringLiteral("\n \n"));
}
