#pragma once
// The font of Tevo's fixed-size windows, whatever font the desktop uses.

#include <QFont>

// "Tahoma" at 8 points (a sans-serif stand-in where it is missing): the pixel layouts of the
// main, disk-space and about windows are made for it, so a larger desktop font cannot make
// their labels clip or overlap.
inline QFont TevoWindowFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
