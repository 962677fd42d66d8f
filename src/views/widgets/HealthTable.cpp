#include "views/widgets/HealthTable.h"

#include <QHeaderView>
#include <algorithm>

#include "views/StackHistory.h"
#include "views/ViewTexts.h"

namespace zmx {

HealthTable::HealthTable(QWidget* parent) : QTableWidget(parent) {
    setObjectName(QStringLiteral("HealthTable"));
    setAccessibleName(QStringLiteral("Communication health"));
    const QStringList columns = healthColumns();
    setColumnCount(static_cast<int>(columns.size()));
    setHorizontalHeaderLabels(columns);
    verticalHeader()->setVisible(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    horizontalHeader()->setStretchLastSection(true);
}

void HealthTable::redraw(const StackHistory& history, int64_t nowMs) {
    const int rows = std::max(1, history.boardsSeen());
    if (rowCount() != rows) setRowCount(rows);
    const QStringList columns = healthColumns();
    for (int s = 0; s < rows; ++s) {
        const QStringList row = healthRow(history, s, nowMs);
        const bool marked = history.notAnswering(s);
        const bool thermal = history.board(s).health.thermalLatched;
        for (int c = 0; c < static_cast<int>(row.size()); ++c) {
            QTableWidgetItem* it = item(s, c);
            if (!it) {
                it = new QTableWidgetItem;
                setItem(s, c, it);
            }
            if (it->text() != row[c]) it->setText(row[c]);
            QBrush fill;  // none: the table's own background
            if (marked) fill = QBrush(QColor(255, 192, 192));
            else if (thermal && c == 8) fill = QBrush(QColor(255, 128, 0));
            if (it->background() != fill) it->setBackground(fill);
            const QString spoken = QStringLiteral("BRD# %1 %2: %3").arg(s + 1).arg(columns[c], row[c]);
            if (it->data(Qt::AccessibleTextRole).toString() != spoken) it->setData(Qt::AccessibleTextRole, spoken);
        }
    }
}

}  // namespace zmx
