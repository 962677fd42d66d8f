#include "views/widgets/TrendPanel.h"

#include <QAccessible>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QKeyEvent>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <vector>

#include "views/StackHistory.h"
#include "views/TrendCursor.h"
#include "views/TrendDescription.h"

namespace zmx {

namespace {

constexpr int64_t kMinSpanMs = 2000;

// Twelve cells, twelve colours that stay apart on a white chart.
const QColor kCellColours[12] = {{31, 119, 180},  {255, 127, 14}, {44, 160, 44},   {214, 39, 40},
                                 {148, 103, 189}, {140, 86, 75},  {227, 119, 194}, {127, 127, 127},
                                 {188, 189, 34},  {23, 190, 207}, {0, 0, 128},     {128, 64, 0}};

QPushButton* toolButton(QWidget* parent, const char* name, const QString& text, const QString& accessible,
                        const QString& tip) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAccessibleName(accessible);
    b->setToolTip(tip);
    b->setAccessibleDescription(tip);
    b->setAutoDefault(false);
    return b;
}

void fill(QLineSeries* s, const std::vector<DrawPoint>& pts) {
    QList<QPointF> list;
    list.reserve(static_cast<qsizetype>(pts.size()));
    for (const DrawPoint& p : pts) list.append(QPointF(static_cast<qreal>(p.utcMs), static_cast<qreal>(p.value)));
    s->replace(list);
}

}  // namespace

TrendPanel::TrendPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TrendPanel"));
    auto* top = new QHBoxLayout;
    auto* sourceLabel = new QLabel(QStringLiteral("&Show:"), this);
    sourceBox_ = new QComboBox(this);
    sourceBox_->setObjectName(QStringLiteral("TrendSource"));
    sourceBox_->setAccessibleName(QStringLiteral("Trend source"));
    sourceBox_->addItem(QStringLiteral("Selected board"));
    for (int s = 1; s <= 10; ++s) sourceBox_->addItem(QStringLiteral("BRD# %1").arg(s));
    sourceBox_->addItem(QStringLiteral("All boards: lowest and highest cell"));
    sourceLabel->setBuddy(sourceBox_);
    top->addWidget(sourceLabel);
    top->addWidget(sourceBox_);
    top->addStretch(1);
    auto* back = toolButton(this, "TrendPanBack", QStringLiteral("<"), QStringLiteral("Pan back in time"),
                            QStringLiteral("Earlier (Left arrow)"));
    auto* zoomIn = toolButton(this, "TrendZoomIn", QStringLiteral("+"), QStringLiteral("Zoom in on time"),
                              QStringLiteral("Shorter time span (+)"));
    auto* zoomOut = toolButton(this, "TrendZoomOut", QStringLiteral("-"), QStringLiteral("Zoom out on time"),
                               QStringLiteral("Longer time span (-)"));
    auto* fwd = toolButton(this, "TrendPanForward", QStringLiteral(">"), QStringLiteral("Pan forward in time"),
                           QStringLiteral("Later (Right arrow)"));
    auto* all = toolButton(this, "TrendShowAll", QStringLiteral("All"), QStringLiteral("Show the whole history"),
                           QStringLiteral("Whole history (Home)"));
    auto* latest =
        toolButton(this, "TrendFollow", QStringLiteral("Latest"), QStringLiteral("Follow the latest reading"),
                   QStringLiteral("Keep the newest reading at the right edge (End)"));
    for (QPushButton* b : {back, zoomIn, zoomOut, fwd, all, latest}) top->addWidget(b);
    connect(back, &QPushButton::clicked, this, [this] { pan(-0.25); });
    connect(fwd, &QPushButton::clicked, this, [this] { pan(0.25); });
    connect(zoomIn, &QPushButton::clicked, this, [this] { zoom(0.5); });
    connect(zoomOut, &QPushButton::clicked, this, [this] { zoom(2.0); });
    connect(all, &QPushButton::clicked, this, [this] { showAll(); });
    connect(latest, &QPushButton::clicked, this, [this] { follow(); });

    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignRight);
    chart_->setMargins(QMargins(4, 4, 4, 4));
    timeAxis_ = new QDateTimeAxis(chart_);
    timeAxis_->setFormat(QStringLiteral("HH:mm:ss"));
    timeAxis_->setTitleText(QStringLiteral("Time"));
    voltAxis_ = new QValueAxis(chart_);
    voltAxis_->setTitleText(QStringLiteral("Volts"));
    voltAxis_->setLabelFormat(QStringLiteral("%.3f"));
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    chart_->addAxis(voltAxis_, Qt::AlignLeft);
    for (int i = 0; i < 12; ++i) {
        auto* s = new QLineSeries(chart_);
        s->setName(QStringLiteral("Cell %1").arg(i + 1));
        s->setColor(kCellColours[i]);
        chart_->addSeries(s);
        s->attachAxis(timeAxis_);
        s->attachAxis(voltAxis_);
        series_[static_cast<std::size_t>(i)] = s;
    }
    auto thresholdLine = [&](const QString& name, QColor colour) {
        auto* s = new QLineSeries(chart_);
        s->setName(name);
        QPen pen(colour);
        pen.setStyle(Qt::DashLine);
        pen.setWidth(2);
        s->setPen(pen);
        chart_->addSeries(s);
        s->attachAxis(timeAxis_);
        s->attachAxis(voltAxis_);
        return s;
    };
    vuv_ = thresholdLine(QStringLiteral("VUV"), QColor(200, 160, 0));
    vov_ = thresholdLine(QStringLiteral("VOV"), QColor(220, 0, 0));
    cursorLine_ = thresholdLine(QStringLiteral("Cursor"), QColor(0, 0, 0));
    cursorLine_->setPen(QPen(QColor(0, 0, 0), 1));
    cursorLine_->setVisible(false);
    for (QLegendMarker* m : chart_->legend()->markers(cursorLine_)) m->setVisible(false);

    view_ = new QChartView(chart_, this);
    view_->setObjectName(QStringLiteral("TrendChart"));
    view_->setAccessibleName(QStringLiteral("Cell voltage trend"));
    view_->setRenderHint(QPainter::Antialiasing, false);
    view_->setFocusPolicy(Qt::StrongFocus);
    view_->installEventFilter(this);

    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("TrendCaption"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(view_, 1);
    layout->addWidget(caption_);
    connect(sourceBox_, &QComboBox::currentIndexChanged, this, [this] {
        if (last_) redraw(*last_, lastSelected_);
    });
}

void TrendPanel::setSource(int choice) { sourceBox_->setCurrentIndex(std::clamp(choice, 0, kStack)); }
int TrendPanel::source() const { return sourceBox_->currentIndex(); }

bool TrendPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Shift with an arrow moves the cursor; the plain arrows keep panning.
        if (key->modifiers() & Qt::ShiftModifier) {
            if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
                moveCursor(key->key() == Qt::Key_Left ? -1 : 1);
                return true;
            }
        }
        if (key->key() == Qt::Key_Escape && cursorMs_) {
            clearCursor();
            return true;
        }
        switch (key->key()) {
            case Qt::Key_Plus:
            case Qt::Key_Equal: zoom(0.5); return true;
            case Qt::Key_Minus: zoom(2.0); return true;
            case Qt::Key_Left: pan(-0.25); return true;
            case Qt::Key_Right: pan(0.25); return true;
            case Qt::Key_Home: showAll(); return true;
            case Qt::Key_End: follow(); return true;
            default: break;
        }
    }
    if (watched == view_ && event->type() == QEvent::Wheel) {
        zoom(static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? 0.8 : 1.25);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TrendPanel::zoom(double factor) {
    const int64_t span = std::max<int64_t>(toMs_ - fromMs_, kMinSpanMs);
    spanMs_ = std::max<int64_t>(kMinSpanMs, static_cast<int64_t>(static_cast<double>(span) * factor));
    all_ = false;
    if (!follow_) {
        const int64_t mid = fromMs_ + span / 2;
        fromMs_ = mid - spanMs_ / 2;
    }
    applyRange();
}

void TrendPanel::pan(double fraction) {
    const int64_t span = std::max<int64_t>(toMs_ - fromMs_, kMinSpanMs);
    spanMs_ = span;
    all_ = false;
    follow_ = false;
    fromMs_ += static_cast<int64_t>(static_cast<double>(span) * fraction);
    applyRange();
}

void TrendPanel::showAll() {
    all_ = true;
    follow_ = true;
    applyRange();
}

void TrendPanel::follow() {
    follow_ = true;
    applyRange();
}

void TrendPanel::applyRange() {
    if (last_) redraw(*last_, lastSelected_);
}

TrendScene TrendPanel::scene() const {
    TrendScene sc;
    sc.stack = source() == kStack;
    sc.slot = source() == kSelected ? lastSelected_ : source() - 1;
    sc.fromMs = fromMs_;
    sc.toMs = toMs_;
    sc.cursorMs = cursorMs_;
    return sc;
}

void TrendPanel::moveCursor(int direction) {
    if (!last_) return;
    if (auto to = steppedCursor(*last_, scene(), direction)) {
        cursorMs_ = to;
        applyRange();
    }
}

void TrendPanel::clearCursor() {
    cursorMs_.reset();
    applyRange();
}

// A vertical line across the volt axis at the cursor, while the cursor is in view.
void TrendPanel::drawCursor(float lo, float hi) {
    const bool show = cursorMs_ && *cursorMs_ >= fromMs_ && *cursorMs_ <= toMs_;
    cursorLine_->setVisible(show);
    if (!show) return;
    const auto x = static_cast<qreal>(*cursorMs_);
    cursorLine_->replace(QList<QPointF>{{x, lo}, {x, hi}});
}

void TrendPanel::describe(const StackHistory& history) {
    const QString text = trendDescription(history, scene());
    if (text == view_->accessibleDescription()) return;
    view_->setAccessibleDescription(text);
    // Screen readers learn of the new text from the event (AT-SPI: a description change).
    QAccessibleEvent changed(view_, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
}

void TrendPanel::redraw(const StackHistory& history, int selectedBoard) {
    last_ = &history;
    lastSelected_ = selectedBoard;
    const int64_t first = history.firstMs();
    const int64_t latest = std::max(history.lastMs(), first + kMinSpanMs);
    if (all_) {
        fromMs_ = first;
        toMs_ = latest;
    } else if (follow_) {
        toMs_ = latest;
        fromMs_ = toMs_ - spanMs_;
    } else {
        toMs_ = fromMs_ + spanMs_;
    }

    const int choice = source();
    const bool stack = choice == kStack;
    const int slot = choice == kSelected ? selectedBoard : choice - 1;
    std::vector<DrawPoint> pts;
    float lo = 1e9f, hi = -1e9f;
    auto draw = [&](QLineSeries* s, const TrendBuffer* buffer, const QString& name) {
        pts.clear();
        if (buffer) appendDrawPoints(*buffer, fromMs_, toMs_, pts);
        for (const DrawPoint& p : pts) {
            lo = std::min(lo, p.value);
            hi = std::max(hi, p.value);
        }
        fill(s, pts);
        s->setName(name);
        s->setVisible(buffer != nullptr);
    };
    if (stack) {
        draw(series_[0], &history.stackMin(), QStringLiteral("Lowest cell"));
        draw(series_[1], &history.stackMax(), QStringLiteral("Highest cell"));
        for (std::size_t i = 2; i < series_.size(); ++i) draw(series_[i], nullptr, QString());
    } else {
        const BoardHistory& b = history.board(slot);
        for (std::size_t i = 0; i < series_.size(); ++i)
            draw(series_[i], &b.trend[i], QStringLiteral("Cell %1").arg(i + 1));
    }
    for (std::size_t i = 0; i < series_.size(); ++i)
        for (QLegendMarker* m : chart_->legend()->markers(series_[i])) m->setVisible(series_[i]->isVisible());

    // Thresholds of the board drawn; for the stack, those of the first board read.
    const BoardHistory& tb = history.board(stack ? 0 : slot);
    auto line = [&](QLineSeries* s, float volts) {
        // A threshold at or below zero is the power-on value, not a limit worth a line.
        const bool show = std::isfinite(volts) && volts > 0.0f;
        s->setVisible(show);
        for (QLegendMarker* m : chart_->legend()->markers(s)) m->setVisible(show);
        if (!show) return;
        s->replace(QList<QPointF>{{static_cast<qreal>(fromMs_), volts}, {static_cast<qreal>(toMs_), volts}});
        lo = std::min(lo, volts);
        hi = std::max(hi, volts);
    };
    line(vuv_, tb.vuvVolts);
    line(vov_, tb.vovVolts);

    if (lo > hi) {
        lo = 0.0f;
        hi = 5.0f;
    }
    const float margin = std::max(0.02f, (hi - lo) * 0.05f);
    voltAxis_->setRange(lo - margin, hi + margin);
    drawCursor(lo - margin, hi + margin);
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(fromMs_), QDateTime::fromMSecsSinceEpoch(toMs_));
    timeAxis_->setFormat(toMs_ - fromMs_ > 86400000 ? QStringLiteral("dd HH:mm") : QStringLiteral("HH:mm:ss"));
    caption_->setText(stack ? QStringLiteral("Whole stack: lowest and highest cell voltage after every cell read")
                            : QStringLiteral("BRD# %1: cell voltages from reads whose PEC matched").arg(slot + 1));
    describe(history);
}

}  // namespace zmx
