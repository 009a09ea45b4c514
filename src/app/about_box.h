// TAboutBox: the product's name, version and the maker's lines, with a link to the web site.
#pragma once

#include <QDialog>

#include <functional>

namespace zv::app {

class TAboutBox final : public QDialog {
    Q_OBJECT
public:
    // `openHomePage` opens the maker's web site (the link label's click).
    TAboutBox(QWidget* parent, std::function<void()> openHomePage);
};

}  // namespace zv::app
