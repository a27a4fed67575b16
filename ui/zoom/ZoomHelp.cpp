// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/zoom/ZoomHelp.h"
#include <QStringList>

QString ZoomHelpText()
{
    // One paragraph a line, each indented by a blank, with a blank line between them: the
    // panel wraps them at its own width, so any font lays them out whole.
    static const char* const paragraphs[] = {
        "Zoom Fit sizes the picture so that it fits on the screen.",
        "Zoom Amount % is the size of one step, in per cent of the picture's own size. It starts at 10%.",
        "Zoom In makes the picture larger by one step, Zoom Out smaller.",
        "Reset shows the picture at the size it started with.",
        "To cut out part of the picture, hold the left mouse button down and drag a rectangle over it. When you let "
        "go, the part inside the rectangle becomes the picture you zoom.",
        "Once a cut-out part has been zoomed, the first Reset goes back to that part as it was cut; pressing Reset "
        "while it shows brings back the whole picture.",
        "Save writes the picture as it is shown, zoomed or cut, as a JPEG file or as a bitmap.",
        "To move this panel, drag its title or its body with the left mouse button.",
    };
    QStringList lines;
    for (const char* paragraph : paragraphs)
        lines << QLatin1Char(' ') + QString::fromLatin1(paragraph);
    return lines.join(QStringLiteral("\n \n"));
}
