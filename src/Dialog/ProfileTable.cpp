#include "Dialog/ProfileTable.h"

#include "CustomControl/BackgroundView.h"
#include "UiLayout.h"
#include "Utility/AppUtil.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStandardItemModel>
#include <QTableView>

#include <cmath>

namespace profiletable {

int selectedRow(const QTableView* table)
{
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

QTableView* make(QWidget* parent, QStandardItemModel* model, bool arrowKeysMoveSelection)
{
    QTableView* table = arrowKeysMoveSelection ? new QTableView(parent) : new NKTableView(parent);
    table->setModel(model);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->setShowGrid(false);
    table->setWordWrap(false);
    // Row texts start as far in as the texts of the dialogs' fields.
    table->setStyleSheet(QStringLiteral(
        "QTableView { background: %2; border: none; outline: none; }"
        "QTableView::item { padding-left: %1px; border: none; }"
        "QTableView::item:selected { background: %3; }")
                             .arg(layout::dialogFieldTextInset)
                             .arg(layout::kFieldColor.name(), layout::kFieldSelectionColor.name()));
    QFont f = table->font();
    f.setPixelSize(layout::profileListFontSize);
    table->setFont(f);
    if (AppUtil::isDarkMode())
        table->setItemDelegate(new NKTableRowView(table));
    return table;
}

void fill(QTableView* table, QStandardItemModel* model, const QStringList& names, bool active)
{
    model->clear();
    model->setColumnCount(1);
    const QColor text = active ? QColor(Qt::white) : layout::kInactiveListTextColor;
    QFont f = table->font();
    f.setPixelSize(layout::profileListFontSize);
    const QFontMetricsF metrics(f);
    qreal widest = 0;
    for (const QString& name : names) {
        auto* item = new QStandardItem(name);
        item->setForeground(text);
        item->setEditable(false);
        model->appendRow(item);
        widest = std::max(widest, metrics.horizontalAdvance(name));
    }
    // The column fills the list and grows past it for a name that is wider.
    QHeaderView* header = table->horizontalHeader();
    header->setStretchLastSection(true);
    if (!names.isEmpty())
        header->setMinimumSectionSize(int(std::ceil(widest)) + layout::dialogFieldTextInset
                                      + layout::profileListColumnPadding);
}

} // namespace profiletable
