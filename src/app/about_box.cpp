#include "app/about_box.h"

#include "app/link_label.h"
#include "app/theme_colours.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace zv::app {

TAboutBox::TAboutBox(QWidget* parent, std::function<void()> openHomePage) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("ProgramIcon"));
    picture->setPixmap(QPixmap(QStringLiteral(":/zorvane/toolbar/properties.png")));
    auto* product = new QLabel(QStringLiteral("Zorvane"), this);
    product->setObjectName(QStringLiteral("ProductName"));
    product->setFont(namedFont(QStringLiteral("Georgia"), 24, true));
    auto* version = new QLabel(QStringLiteral("Version 0.1"), this);
    version->setObjectName(QStringLiteral("Version"));
    auto* comments = new QLabel(QStringLiteral("Lists every drive letter of the machine and acts on the drives:\n"
                                               "media, hiding, substitute drives, network drives and tools."),
                                this);
    comments->setObjectName(QStringLiteral("Comments"));
    auto* credits = new QLabel(QStringLiteral("Written by the Zorvane developers."), this);
    credits->setObjectName(QStringLiteral("Label3"));
    auto* note = new QLabel(QStringLiteral("You may pass this program on unchanged and free of charge."), this);
    note->setObjectName(QStringLiteral("Label4"));
    auto* link = new LinkLabel(QStringLiteral("<u>zorvane.example.org</u>"), this);
    link->setObjectName(QStringLiteral("Label2"));
    link->setStyleSheet(QStringLiteral("color: %1;").arg(linkTextColour(palette()).name()));
    connect(link, &LinkLabel::clicked, this, [openHomePage] {
        if (openHomePage) openHomePage();
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    for (QWidget* widget : {static_cast<QWidget*>(picture), static_cast<QWidget*>(product),
                            static_cast<QWidget*>(version), static_cast<QWidget*>(comments),
                            static_cast<QWidget*>(credits), static_cast<QWidget*>(note), static_cast<QWidget*>(link)})
        layout->addWidget(widget);
    layout->addWidget(buttons);
}

}  // namespace zv::app
