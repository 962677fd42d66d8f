#include "views/widgets/HeatmapTable.h"

#include <QHeaderView>
#include <algorithm>

#include "rules/Colors.h"
#include "views/StackHistory.h"
#include "views/ViewTexts.h"
#include "window/shell/QtColor.h"

namespace zmx {

namespace {

// Dark text on the light legend colours, white on the dark ones.
QColor textOn(const QColor& fill) { return fill.lightness() < 110 ? QColor(Qt::white) : QColor(Qt::black); }

void setIfChanged(QTableWidgetItem* item, int role, const QVariant& value) {
    if (item->data(role) != value) item->setData(role, value);
}

}  // namespace

HeatmapTable::HeatmapTable(QWidget* parent) : QTableWidget(parent) {
    setObjectName(QStringLiteral("Heatmap"));
    setAccessibleName(QStringLiteral("Cell heatmap"));
    setAccessibleDescription(QStringLiteral("Boards by cells, coloured by cell status; arrow keys move between cells"));
    setColumnCount(12);
    QStringList cells;
    for (int c = 1; c <= 12; ++c) cells << QStringLiteral("C%1").arg(c);
    setHorizontalHeaderLabels(cells);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);  // Tab leaves the table; the arrows move inside it
    setMouseTracking(true);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    setFocusPolicy(Qt::StrongFocus);
}

void HeatmapTable::redraw(const StackHistory& history) {
    const int rows = std::max(1, history.boardsSeen());
    if (rowCount() != rows) {
        setRowCount(rows);
        QStringList boards;
        for (int s = 1; s <= rows; ++s) boards << QStringLiteral("BRD# %1").arg(s);
        setVerticalHeaderLabels(boards);
    }
    for (int s = 0; s < rows; ++s) {
        const BoardHistory& b = history.board(s);
        for (int c = 0; c < 12; ++c) {
            QTableWidgetItem* it = item(s, c);
            if (!it) {
                it = new QTableWidgetItem;
                it->setTextAlignment(Qt::AlignCenter);
                setItem(s, c, it);
            }
            const CellLatest& cell = b.cells[static_cast<std::size_t>(c)];
            const QColor fill = toQColor(cellStatusStyle(cell.status).color);
            const QString description = heatmapCellDescription(s, c + 1, cell);
            setIfChanged(it, Qt::DisplayRole, heatmapCellText(cell));
            setIfChanged(it, Qt::BackgroundRole, QBrush(fill));
            setIfChanged(it, Qt::ForegroundRole, QBrush(textOn(fill)));
            setIfChanged(it, Qt::ToolTipRole, description);
            setIfChanged(it, Qt::AccessibleTextRole, description);
            setIfChanged(it, Qt::AccessibleDescriptionRole, statusMeaning(cell.status));
        }
    }
}

}  // namespace zmx
