#include "views/widgets/StackViewWindow.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

#include "views/ReplayTimeline.h"
#include "views/StackHistory.h"
#include "views/ViewTexts.h"
#include "views/widgets/HealthTable.h"
#include "views/widgets/HeatmapTable.h"
#include "views/widgets/TrendPanel.h"
#include "window/shell/widgets/WindowDump.h"

namespace zmx {

namespace {

constexpr int kRefreshMs = 250;  // repaint at most four times a second
constexpr int kPlayStepMs = 100;
constexpr double kSpeeds[] = {1, 2, 10, 60, 600};

}  // namespace

StackViewWindow::StackViewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("StackView"));
    setProperty(kDumpSectionProperty, QStringLiteral("stackView"));
    setWindowTitle(QStringLiteral("Stack view"));
    resize(900, 560);

    sourceLabel_ = new QLabel(QStringLiteral("Live"), this);
    sourceLabel_->setObjectName(QStringLiteral("ViewSource"));
    recordStatus_ = new QLabel(this);
    recordStatus_->setObjectName(QStringLiteral("RecordStatus"));
    recordStatus_->setAccessibleName(QStringLiteral("Recording status"));
    recordStatus_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    auto* header = new QHBoxLayout;
    header->addWidget(sourceLabel_);
    header->addStretch(1);
    header->addWidget(recordStatus_);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("StackViewTabs"));
    trend_ = new TrendPanel(tabs_);
    heatmap_ = new HeatmapTable(tabs_);
    health_ = new HealthTable(tabs_);
    tabs_->addTab(trend_, QStringLiteral("&Trend"));
    tabs_->addTab(heatmap_, QStringLiteral("&Heatmap"));
    tabs_->addTab(health_, QStringLiteral("&Communication health"));
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { refresh(true); });

    replayBar_ = new QWidget(this);
    replayBar_->setObjectName(QStringLiteral("ReplayBar"));
    play_ = new QPushButton(QStringLiteral("&Play"), replayBar_);
    play_->setObjectName(QStringLiteral("ReplayPlay"));
    play_->setCheckable(true);
    play_->setAccessibleName(QStringLiteral("Play or pause the recording"));
    play_->setAutoDefault(false);
    slider_ = new QSlider(Qt::Horizontal, replayBar_);
    slider_->setObjectName(QStringLiteral("ReplaySlider"));
    slider_->setAccessibleName(QStringLiteral("Replay position"));
    slider_->setFocusPolicy(Qt::StrongFocus);
    speed_ = new QComboBox(replayBar_);
    speed_->setObjectName(QStringLiteral("ReplaySpeed"));
    speed_->setAccessibleName(QStringLiteral("Replay speed"));
    for (double s : kSpeeds) speed_->addItem(QStringLiteral("%1x").arg(s));
    replayTime_ = new QLabel(replayBar_);
    replayTime_->setObjectName(QStringLiteral("ReplayTime"));
    auto* live = new QPushButton(QStringLiteral("Back to &live"), replayBar_);
    live->setObjectName(QStringLiteral("ReplayLive"));
    live->setAutoDefault(false);
    auto* bar = new QHBoxLayout(replayBar_);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(play_);
    bar->addWidget(slider_, 1);
    bar->addWidget(replayTime_);
    auto* speedLabel = new QLabel(QStringLiteral("&Speed:"), replayBar_);
    speedLabel->setBuddy(speed_);
    bar->addWidget(speedLabel);
    bar->addWidget(speed_);
    bar->addWidget(live);
    replayBar_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(tabs_, 1);
    layout->addWidget(replayBar_);

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setInterval(kRefreshMs);
    connect(refreshTimer_, &QTimer::timeout, this, [this] {
        if (isVisible()) refresh();
    });
    refreshTimer_->start();
    playTimer_ = new QTimer(this);
    playTimer_->setInterval(kPlayStepMs);
    connect(playTimer_, &QTimer::timeout, this, [this] { playStep(kPlayStepMs); });

    connect(play_, &QPushButton::toggled, this, [this](bool on) { setPlaying(on); });
    connect(slider_, &QSlider::valueChanged, this, [this](int v) {
        if (replay_ && replay_->positionMs() != replay_->firstMs() + v) seekReplay(replay_->firstMs() + v);
    });
    connect(live, &QPushButton::clicked, this, [this] { emit liveRequested(); });
}

StackViewWindow::~StackViewWindow() = default;

const StackHistory* StackViewWindow::history() const { return replay_ ? &replay_->history() : live_.history; }

int64_t StackViewWindow::nowMs() const {
    if (replay_) return replay_->positionMs();
    return live_.nowMs ? live_.nowMs() : QDateTime::currentMSecsSinceEpoch();
}

void StackViewWindow::showLive(LiveSource source) {
    setPlaying(false);
    replay_.reset();
    live_ = std::move(source);
    sourceLabel_->setText(QStringLiteral("Live: every read of the main window"));
    replayBar_->hide();
    refresh(true);
}

void StackViewWindow::showReplay(std::unique_ptr<ReplayTimeline> replay, const QString& title) {
    setPlaying(false);
    replay_ = std::move(replay);
    replay_->seal();
    sourceLabel_->setText(QStringLiteral("Replay: %1 (nothing is sent to the controller)").arg(title));
    const int64_t span = replay_->lastMs() - replay_->firstMs();
    {
        const QSignalBlocker block(slider_);
        slider_->setRange(0, static_cast<int>(std::min<int64_t>(span, INT32_MAX)));
        slider_->setSingleStep(1000);
        slider_->setPageStep(static_cast<int>(std::clamp<int64_t>(span / 20, 1000, INT32_MAX)));
        slider_->setValue(0);
    }
    replayBar_->show();
    seekReplay(replay_->firstMs());
}

void StackViewWindow::seekReplay(int64_t utcMs) {
    if (!replay_) return;
    replay_->seek(std::clamp(utcMs, replay_->firstMs(), replay_->lastMs()));
    updateReplayControls();
    refresh(true);
}

void StackViewWindow::updateReplayControls() {
    const QSignalBlocker block(slider_);
    slider_->setValue(static_cast<int>(replay_->positionMs() - replay_->firstMs()));
    replayTime_->setText(QStringLiteral("%1 / %2").arg(clockText(replay_->positionMs()), clockText(replay_->lastMs())));
}

double StackViewWindow::speed() const { return kSpeeds[std::clamp(speed_->currentIndex(), 0, 4)]; }

bool StackViewWindow::playing() const { return playTimer_->isActive(); }

void StackViewWindow::setPlaying(bool on) {
    on = on && replay_;
    if (on) playTimer_->start();
    else playTimer_->stop();
    const QSignalBlocker block(play_);
    play_->setChecked(on);
    play_->setText(on ? QStringLiteral("&Pause") : QStringLiteral("&Play"));
}

void StackViewWindow::playStep(int64_t elapsedMs) {
    if (!replay_) return;
    const int64_t next = replay_->positionMs() + static_cast<int64_t>(static_cast<double>(elapsedMs) * speed());
    seekReplay(next);
    if (replay_->positionMs() >= replay_->lastMs()) setPlaying(false);
}

void StackViewWindow::setRecordStatus(const QString& text) {
    if (recordStatus_->text() != text) recordStatus_->setText(text);
}

void StackViewWindow::refresh(bool force) {
    const StackHistory* h = history();
    if (!h) return;
    const int tab = tabs_->currentIndex();
    const bool changed = h->revision() != drawnRevision_ || h != drawnHistory_ || tab != drawnTab_;
    // The health table's ages move on with the clock, so it repaints on every call.
    if (!force && !changed && tab != 2) return;
    drawnRevision_ = h->revision();
    drawnHistory_ = h;
    drawnTab_ = tab;
    const int selected = live_.selectedBoard ? live_.selectedBoard() : 0;
    if (force || tab == 0) trend_->redraw(*h, selected);
    if (force || tab == 1) heatmap_->redraw(*h);
    if (force || tab == 2) health_->redraw(*h, nowMs());
}

}  // namespace zmx
