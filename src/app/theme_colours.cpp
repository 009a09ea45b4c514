#include "app/theme_colours.h"

#include <algorithm>
#include <cmath>

namespace zv::app {

namespace {

double channelLuminance(int value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double relativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * channelLuminance(rgb.red()) + 0.7152 * channelLuminance(rgb.green()) +
           0.0722 * channelLuminance(rgb.blue());
}

QColor mix(const QColor& from, const QColor& to, double share) {
    const auto blend = [share](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(blend(from.red(), to.red()), blend(from.green(), to.green()), blend(from.blue(), to.blue()));
}

bool readsOnAll(const QColor& colour, const QList<QColor>& backgrounds, double ratio) {
    return std::all_of(backgrounds.begin(), backgrounds.end(),
                       [&](const QColor& background) { return contrastRatio(colour, background) >= ratio; });
}

}  // namespace

bool isDarkPalette(const QPalette& palette) { return palette.color(QPalette::Window).lightness() < 128; }

double contrastRatio(const QColor& first, const QColor& second) {
    const double a = relativeLuminance(first);
    const double b = relativeLuminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor readableOn(const QColor& colour, const QList<QColor>& backgrounds, double ratio) {
    if (backgrounds.isEmpty() || readsOnAll(colour, backgrounds, ratio)) return colour;
    double backgroundLuminance = 0;
    for (const QColor& background : backgrounds) backgroundLuminance += relativeLuminance(background);
    const bool lighten = backgroundLuminance / backgrounds.size() < 0.18;
    const QColor hsl = colour.toHsl();
    // Lightness in steps of 1/255: the first step that reads is the colour nearest the original.
    for (int lightness = hsl.lightness(); lightness >= 0 && lightness <= 255; lightness += lighten ? 1 : -1) {
        // Whole 8-bit channels, as a style sheet or a colour name would give the colour back.
        const QColor exact = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), lightness).toRgb();
        const QColor candidate(exact.red(), exact.green(), exact.blue());
        if (readsOnAll(candidate, backgrounds, ratio)) return candidate;
    }
    return lighten ? QColor(Qt::white) : QColor(Qt::black);
}

RowColours rowColours(const QPalette& palette) {
    if (!isDarkPalette(palette))
        return {QColor(226, 235, 252), QColor(207, 222, 250), QColor(Qt::black),
                QColor(128, 0, 0),     QColor(0, 0, 255),     QColor(128, 128, 128)};
    const QColor base = palette.color(QPalette::Base);
    const QColor highlight = palette.color(QPalette::Highlight);
    RowColours colours;
    colours.driveCellShade = mix(base, highlight, 0.12);
    colours.otherCellShade = mix(base, highlight, 0.22);
    const QList<QColor> backgrounds{base, palette.color(QPalette::AlternateBase), colours.driveCellShade,
                                    colours.otherCellShade};
    colours.shadedText = readableOn(palette.color(QPalette::Text), backgrounds);
    colours.lowSpaceText = readableOn(QColor(128, 0, 0), backgrounds);
    colours.hiddenText = readableOn(QColor(0, 0, 255), backgrounds);
    // Dimmer than the normal text, which tells an inactive drive, yet still readable.
    colours.inactiveText = readableOn(mix(palette.color(QPalette::Text), base, 0.45), backgrounds);
    return colours;
}

QColor bottomPanelColour(const QPalette& palette) {
    return isDarkPalette(palette) ? palette.color(QPalette::Window) : QColor(Qt::white);
}

QColor addressColour(const QPalette& palette) {
    const QColor designed(0x1c, 0x3f, 0x94);
    if (!isDarkPalette(palette)) return designed;
    return readableOn(designed, {bottomPanelColour(palette)});
}

QColor linkTextColour(const QPalette& palette) {
    if (!isDarkPalette(palette)) return QColor(Qt::blue);
    return readableOn(QColor(Qt::blue), {palette.color(QPalette::Window)});
}

QPair<QColor, QColor> headingBandColours(const QPalette& palette) {
    if (!isDarkPalette(palette)) return {QColor(Qt::white), QColor(0xc9, 0xda, 0xf0)};
    const QColor window = palette.color(QPalette::Window);
    return {window, mix(window, palette.color(QPalette::Highlight), 0.35)};
}

QString headingBandStyle(const QPalette& palette, const QString& objectName) {
    const auto [from, to] = headingBandColours(palette);
    return QStringLiteral("#%1 { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 %2, stop:1 %3); }")
        .arg(objectName, from.name(), to.name());
}

QColor footerBandColour(const QPalette& palette) {
    if (!isDarkPalette(palette)) return QColor(0xdf, 0xe8, 0xf3);
    return mix(palette.color(QPalette::Window), palette.color(QPalette::Highlight), 0.15);
}

QColor warningTextColour(const QPalette& palette) {
    const QColor designed(0x8a, 0x1c, 0x1c);
    if (!isDarkPalette(palette)) return designed;
    return readableOn(designed, {palette.color(QPalette::Window)});
}

QColor gridLineColour(const QPalette& palette) {
    if (!isDarkPalette(palette)) return QColor(0xd0, 0xd0, 0xd0);
    return mix(palette.color(QPalette::Base), palette.color(QPalette::Text), 0.25);
}

}  // namespace zv::app
