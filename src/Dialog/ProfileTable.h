#pragma once
// The one-column list of profile names in the save and load dialogs: rows
// selected whole, one at a time, white (or grey while the list is not in
// use) on the field grey; the name column as wide as the widest name plus a
// little padding.

#include <QStringList>

class QStandardItemModel;
class QTableView;
class QWidget;

namespace profiletable {

// A list over `model`. Without `arrowKeysMoveSelection` the up and down
// arrow keys leave the selection where it is.
QTableView* make(QWidget* parent, QStandardItemModel* model, bool arrowKeysMoveSelection);

// The selected row, -1 for none.
int selectedRow(const QTableView* table);

// Replaces the rows with `names`; `active` draws them white, else grey.
void fill(QTableView* table, QStandardItemModel* model, const QStringList& names, bool active);

} // namespace profiletable
