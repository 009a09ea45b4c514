#include "app/drive_properties_dialog.h"

#include "common/number_format.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace zv::app {

UsagePie::UsagePie(uint64_t used, uint64_t free, QWidget* parent) : QWidget(parent), m_used(used), m_free(free) {
    setObjectName(QStringLiteral("UsagePie"));
    setMinimumSize(120, 120);
}

void UsagePie::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height()) - 8;
    const QRect circle((width() - side) / 2, (height() - side) / 2, side, side);
    const double total = static_cast<double>(m_used) + static_cast<double>(m_free);
    painter.setPen(QPen(Qt::black, 1));
    if (total <= 0) {
        painter.setBrush(Qt::lightGray);
        painter.drawEllipse(circle);
        return;
    }
    // Angles in sixteenths of a degree, counter-clockwise from three o'clock.
    const int usedSpan = static_cast<int>(5760.0 * static_cast<double>(m_used) / total);
    painter.setBrush(DrivePropertiesDialog::freeColour());
    painter.drawEllipse(circle);
    painter.setBrush(DrivePropertiesDialog::usedColour());
    if (usedSpan >= 5760)
        painter.drawEllipse(circle);
    else if (usedSpan > 0)
        painter.drawPie(circle, 90 * 16, -usedSpan);
}

namespace {

QString bytesText(uint64_t bytes, const platform::LocaleSeparators& locale) {
    const double gib = static_cast<double>(bytes) / 1073741824.0;
    const std::string grouped = formatGrouped(bytes, locale);
    const std::string size = bytes > 1073741824ull ? formatFixed(gib, 1, 2, locale) + " GB"
                                                   : formatFixed(static_cast<double>(bytes) / 1048576.0, 1, 2, locale) + " MB";
    return QString::fromStdString(grouped + " bytes   " + size);
}

QLabel* swatch(const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFixedSize(14, 14);
    label->setStyleSheet(QStringLiteral("background: %1; border: 1px solid black;").arg(colour.name()));
    return label;
}

}  // namespace

DrivePropertiesDialog::DrivePropertiesDialog(const actions::DriveProperties& properties,
                                             const platform::LocaleSeparators& locale, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("DriveProperties"));
    const QString drive = QStringLiteral("%1:").arg(QChar::fromLatin1(properties.letter));
    setWindowTitle(QStringLiteral("%1 Properties").arg(drive));

    auto* form = new QFormLayout;
    const auto add = [&](const char* name, const QString& caption, const QString& text) {
        auto* value = new QLabel(text, this);
        value->setObjectName(QString::fromLatin1(name));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, value);
        return value;
    };
    add("LabelValue", QStringLiteral("Label:"), QString::fromStdString(properties.label));
    add("TypeValue", QStringLiteral("Type:"), QString::fromStdString(properties.typeText));
    add("FileSystemValue", QStringLiteral("File system:"), QString::fromStdString(properties.fileSystem));
    if (properties.measured) {
        add("UsedValue", QStringLiteral("Used space:"), bytesText(properties.usedBytes(), locale));
        add("FreeValue", QStringLiteral("Free space:"), bytesText(properties.freeBytes, locale));
        add("CapacityValue", QStringLiteral("Capacity:"), bytesText(properties.totalBytes, locale));
    } else {
        add("UsedValue", QStringLiteral("Used space:"), QStringLiteral("Not mounted"));
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    if (properties.measured) {
        auto* legend = new QHBoxLayout;
        legend->addWidget(swatch(usedColour(), this));
        legend->addWidget(new QLabel(QStringLiteral("Used"), this));
        legend->addSpacing(12);
        legend->addWidget(swatch(freeColour(), this));
        legend->addWidget(new QLabel(QStringLiteral("Free"), this));
        legend->addStretch();
        layout->addLayout(legend);
        layout->addWidget(new UsagePie(properties.usedBytes(), properties.freeBytes, this), 1);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

}  // namespace zv::app
