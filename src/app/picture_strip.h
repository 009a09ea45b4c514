// The strip under the toolbar: a picture with the product's name written over it.
#pragma once

#include <QWidget>

namespace zv::app {

class LinkLabel;

class PictureStrip final : public QWidget {
    Q_OBJECT
public:
    explicit PictureStrip(QWidget* parent = nullptr);
    // The product name, which links to the maker's web site (Label2).
    LinkLabel* nameLabel() const { return m_name; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
    LinkLabel* m_name;
};

}  // namespace zv::app
