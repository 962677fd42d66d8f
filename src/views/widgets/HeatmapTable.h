#pragma once
// The heatmap tab: one row per board, one column per cell, each cell coloured by its status
// code in the main window's legend colours and showing its latest voltage. The tool tip and
// the accessible text of a cell say board, cell, voltage, code, status and read time; the
// arrow keys move between cells.

#include <QTableWidget>

namespace zmx {

class StackHistory;

class HeatmapTable : public QTableWidget {
    Q_OBJECT

public:
    explicit HeatmapTable(QWidget* parent = nullptr);
    void redraw(const StackHistory& history);
};

}  // namespace zmx
