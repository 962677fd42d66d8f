#pragma once
// The communication health tab: one row per board with its reads, PEC mismatches (count and
// rate), time since its last good read, round trips, keep-alive polls, thermal latch and
// state; a board that has stopped answering correctly is marked in red.

#include <QTableWidget>
#include <cstdint>

namespace zmx {

class StackHistory;

class HealthTable : public QTableWidget {
    Q_OBJECT

public:
    explicit HealthTable(QWidget* parent = nullptr);
    void redraw(const StackHistory& history, int64_t nowMs);
};

}  // namespace zmx
