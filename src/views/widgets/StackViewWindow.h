#pragma once
// The stack view: a second, non-modal window beside the main window with three tabs (trend,
// heatmap, communication health), showing either the live history of the session or a
// recording played back with a time slider, play and pause, and a speed. It only reads a
// history; playing a recording back never reaches the controller link.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTabWidget;
class QTimer;

namespace zmx {

class HealthTable;
class HeatmapTable;
class ReplayTimeline;
class StackHistory;
class TrendPanel;

class StackViewWindow : public QWidget {
    Q_OBJECT

public:
    struct LiveSource {
        const StackHistory* history = nullptr;
        std::function<int64_t()> nowMs;      // wall clock for "since the last good read"
        std::function<int()> selectedBoard;  // the main window's selected slot
    };

    explicit StackViewWindow(QWidget* parent = nullptr);
    ~StackViewWindow() override;

    void showLive(LiveSource source);
    // Takes the recording; the position starts at its first event. title names it.
    void showReplay(std::unique_ptr<ReplayTimeline> replay, const QString& title);
    bool replaying() const { return replay_ != nullptr; }
    ReplayTimeline* replay() const { return replay_.get(); }

    // Repaints the visible tab when the history changed; force: every tab, changed or not.
    void refresh(bool force = false);
    void setRecordStatus(const QString& text);

    // Replay controls, also for tests: move to a time, advance as playing would for a step.
    void seekReplay(int64_t utcMs);
    void playStep(int64_t elapsedMs);
    void setPlaying(bool playing);
    bool playing() const;
    double speed() const;

    TrendPanel* trend() const { return trend_; }
    HeatmapTable* heatmap() const { return heatmap_; }
    HealthTable* health() const { return health_; }
    QTabWidget* tabs() const { return tabs_; }

signals:
    void liveRequested();

private:
    const StackHistory* history() const;
    int64_t nowMs() const;
    void updateReplayControls();

    LiveSource live_;
    std::unique_ptr<ReplayTimeline> replay_;
    QLabel* sourceLabel_;
    QLabel* recordStatus_;
    QTabWidget* tabs_;
    TrendPanel* trend_;
    HeatmapTable* heatmap_;
    HealthTable* health_;
    QWidget* replayBar_;
    QSlider* slider_;
    QPushButton* play_;
    QComboBox* speed_;
    QLabel* replayTime_;
    QTimer* refreshTimer_;
    QTimer* playTimer_;
    uint64_t drawnRevision_ = ~uint64_t{0};
    int drawnTab_ = -1;
    const StackHistory* drawnHistory_ = nullptr;
};

}  // namespace zmx
