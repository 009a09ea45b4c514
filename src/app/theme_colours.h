// The fixed colours of the windows, matched to the desktop's palette. On a light palette they
// are the designed colours, unchanged. On a dark palette (a window colour of low lightness) each
// is replaced by a colour of the same meaning derived from the palette: shades lean towards the
// highlight colour, and text colours keep their hue but are lightened until they read against
// the backgrounds they are painted on.
#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QPalette>
#include <QString>

namespace zv::app {

// True when the palette's window colour is dark.
bool isDarkPalette(const QPalette& palette);

// The contrast ratio of two colours as the Web Content Accessibility Guidelines define it
// (1 to 21).
double contrastRatio(const QColor& first, const QColor& second);

// Text needs at least this contrast to its background to be read comfortably.
inline constexpr double kReadableContrast = 4.5;

// `colour` with its lightness moved away from the backgrounds just far enough that it
// reaches `ratio` against every one of them; `colour` itself when it already does.
QColor readableOn(const QColor& colour, const QList<QColor>& backgrounds, double ratio = kReadableContrast);

// The colours of the drive list's rows.
struct RowColours {
    QColor driveCellShade;  // the Drive cell of a shaded row
    QColor otherCellShade;  // the other cells of a shaded row
    QColor shadedText;      // text on a shaded row
    QColor lowSpaceText;    // maroon: little free space
    QColor hiddenText;      // blue: a hidden drive
    QColor inactiveText;    // gray: not mounted or disconnected
};
RowColours rowColours(const QPalette& palette);

// The main window's bottom panel: white, or the window colour on a dark palette.
QColor bottomPanelColour(const QPalette& palette);
// The web address in the bottom panel.
QColor addressColour(const QPalette& palette);
// A link in a dialog: blue.
QColor linkTextColour(const QPalette& palette);
// The heading band of the information windows: a gradient from the first colour on the left
// to the second on the right, and the style sheet background made of it for `objectName`.
QPair<QColor, QColor> headingBandColours(const QPalette& palette);
QString headingBandStyle(const QPalette& palette, const QString& objectName);
// The footer band of the Disk Information window.
QColor footerBandColour(const QPalette& palette);
// A warning line such as why S.M.A.R.T. fields stay empty.
QColor warningTextColour(const QPalette& palette);
// The thin lines drawn between the cells of a grid-like list.
QColor gridLineColour(const QPalette& palette);

}  // namespace zv::app
