// Keeps a list's columns wide enough for what they show, fill after fill, while leaving the
// user in charge of any column they dragged to a width of their own.
#pragma once

#include <QList>
#include <QObject>
#include <QSet>

class QTreeView;

namespace zv::app {

class ColumnFitter final : public QObject {
    Q_OBJECT
public:
    // `minimumWidths`: the designed width of each column, the narrowest it is ever fitted to.
    ColumnFitter(QTreeView& view, QList<int> minimumWidths);

    // Fits every column the user has not resized to its caption and cells.
    void fit();

private:
    QTreeView& m_view;
    QList<int> m_minimumWidths;
    QSet<int> m_userSized;
    bool m_fitting = false;
};

}  // namespace zv::app
