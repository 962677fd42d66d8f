#pragma once
// The trend tab of the stack view: the cell voltages of one board (the board selected in
// the main window, or a chosen one), or the whole stack's lowest and highest cell, over
// time, with the board's VUV and VOV thresholds as dashed lines. The time axis zooms and
// pans with the buttons, the mouse wheel or the keyboard (+, -, Left, Right, Home, End);
// while it follows, the newest reading stays at the right edge. Shift+Left and Shift+Right
// move a cursor (a vertical line) between the readings in view, Escape removes it.
// The chart view's accessible description says what the chart shows (TrendDescription),
// led by the values at the cursor while the cursor is in view.

#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

class QChart;
class QChartView;
class QComboBox;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace zmx {

class StackHistory;
struct TrendScene;

class TrendPanel : public QWidget {
    Q_OBJECT

public:
    explicit TrendPanel(QWidget* parent = nullptr);

    // Source choices: 0 the main window's selected board, 1..10 that board, 11 the stack.
    static constexpr int kSelected = 0;
    static constexpr int kStack = 11;
    void setSource(int choice);
    int source() const;

    // Redraws from the history; selectedBoard is the main window's selection (slot).
    void redraw(const StackHistory& history, int selectedBoard);

    // Time axis: the visible span, and whether its right edge follows the newest reading.
    void zoom(double factor);   // < 1 narrows the span
    void pan(double fraction);  // of the span; negative goes back in time
    void showAll();
    void follow();
    bool following() const { return follow_; }
    int64_t viewFromMs() const { return fromMs_; }
    int64_t viewToMs() const { return toMs_; }
    // The series drawn (cells, or minimum and maximum), then VUV and VOV.
    QLineSeries* series(int i) const { return series_[static_cast<std::size_t>(i)]; }
    QLineSeries* vuvLine() const { return vuv_; }
    QLineSeries* vovLine() const { return vov_; }
    QChartView* chartView() const { return view_; }

    // The keyboard cursor: steps to the previous (direction < 0) or next reading in view;
    // stays where it is when there is none.
    void moveCursor(int direction);
    void clearCursor();
    std::optional<int64_t> cursorMs() const { return cursorMs_; }
    QLineSeries* cursorLine() const { return cursorLine_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyRange();
    void drawCursor(float lo, float hi);
    void describe(const StackHistory& history);
    TrendScene scene() const;

    QComboBox* sourceBox_;
    QChartView* view_;
    QChart* chart_;
    QDateTimeAxis* timeAxis_;
    QValueAxis* voltAxis_;
    std::array<QLineSeries*, 12> series_{};
    QLineSeries* vuv_;
    QLineSeries* vov_;
    QLineSeries* cursorLine_;
    QLabel* caption_;
    const StackHistory* last_ = nullptr;
    int lastSelected_ = 0;
    bool follow_ = true;
    bool all_ = true;  // span covers the whole history
    int64_t spanMs_ = 10 * 60 * 1000;
    int64_t fromMs_ = 0, toMs_ = 0;
    std::optional<int64_t> cursorMs_;
};

}  // namespace zmx
