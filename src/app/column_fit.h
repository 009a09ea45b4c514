// Widens the columns of a list to the texts they show, so that no caption or cell is cut in
// the font and scale in use. Called after every fill; a column never becomes narrower than its
// designed width, and the user may still drag it wider or narrower afterwards.
#pragma once

#include <QList>

class QListView;
class QTreeView;

namespace zv::app {

// The room a column needs: its caption and the widest of its cells as the view's delegate
// would paint them (margins, check box and icon included).
int columnWidthForContents(const QTreeView& view, int column);

// Sets every column to the larger of `minimumWidths[column]` (0 where none is given) and the
// room its contents need.
void fitColumnsToContents(QTreeView& view, const QList<int>& minimumWidths = {});

// A list that flows its items in a grid: every grid cell as wide as the widest item (and at
// least `minimumWidth`), so that no item runs into the next.
void fitGridToItems(QListView& view, int minimumWidth);

}  // namespace zv::app
