#include "views/TrendDescription.h"

#include <QDateTime>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <vector>

namespace zmx {

namespace {

QString voltsText(float v) { return QStringLiteral("%1 V").arg(static_cast<double>(v), 0, 'f', 3); }

// The name of series i of the scene, as the chart's legend has it but lower case.
QString seriesName(const TrendScene& scene, std::size_t i) {
    if (scene.stack) return i == 0 ? QStringLiteral("lowest cell") : QStringLiteral("highest cell");
    return QStringLiteral("cell %1").arg(i + 1);
}

// A threshold at or below zero is the power-on value, not a limit (the chart draws no line).
bool isLimit(float volts) { return std::isfinite(volts) && volts > 0.0f; }

// "cell 1 3.701 V, cell 2 3.705 V" from one value per series; "" when there is none.
QString valueList(const TrendScene& scene, const std::array<std::optional<float>, 12>& values) {
    QStringList parts;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i]) parts << QStringLiteral("%1 %2").arg(seriesName(scene, i), voltsText(*values[i]));
    return parts.join(QStringLiteral(", "));
}

QString capitalised(QString s) {
    if (!s.isEmpty()) s[0] = s[0].toUpper();
    return s;
}

// "Cell 5 over VOV since 10:41:58." for every cell of the board beyond a threshold;
// boardPrefix names the board first when the whole stack is described.
void appendBeyond(QStringList& sentences, const BoardHistory& b, const QString& boardPrefix) {
    for (std::size_t i = 0; i < b.trend.size(); ++i) {
        const QString cell = boardPrefix + QStringLiteral("cell %1").arg(i + 1);
        if (isLimit(b.vovVolts))
            if (auto since = beyondSinceMs(b.trend[i], b.vovVolts, true))
                sentences << capitalised(QStringLiteral("%1 over VOV since %2.").arg(cell, secondsClockText(*since)));
        if (isLimit(b.vuvVolts))
            if (auto since = beyondSinceMs(b.trend[i], b.vuvVolts, false))
                sentences << capitalised(QStringLiteral("%1 under VUV since %2.").arg(cell, secondsClockText(*since)));
    }
}

}  // namespace

QString secondsClockText(int64_t utcMs) {
    return QDateTime::fromMSecsSinceEpoch(utcMs).toLocalTime().toString(QStringLiteral("HH:mm:ss"));
}

std::optional<int64_t> beyondSinceMs(const TrendBuffer& buffer, float threshold, bool over) {
    const auto& pts = buffer.points();
    auto beyond = [&](float v) { return over ? v > threshold : v < threshold; };
    if (pts.empty() || !beyond(pts.back().last)) return std::nullopt;
    // A merged point whose samples were all beyond (its least extreme one is) continues the
    // run; one that was only partly beyond ends it, and as its samples' order is no longer
    // known the run is taken to start after it (at the latest sample known to be beyond).
    int64_t since = pts.back().lastMs;
    for (auto it = pts.rbegin(); it != pts.rend(); ++it) {
        if (!beyond(over ? it->min : it->max)) break;
        since = it->firstMs;
    }
    return since;
}

QString trendCursorText(const StackHistory& history, const TrendScene& scene) {
    if (!scene.cursorMs || *scene.cursorMs < scene.fromMs || *scene.cursorMs > scene.toMs) return {};
    const auto buffers = sceneBuffers(history, scene);
    std::array<std::optional<float>, 12> values;
    for (std::size_t i = 0; i < buffers.size(); ++i)
        if (buffers[i]) values[i] = valueAt(*buffers[i], *scene.cursorMs);
    const QString list = valueList(scene, values);
    return QStringLiteral("At %1: %2.")
        .arg(secondsClockText(*scene.cursorMs), list.isEmpty() ? QStringLiteral("no reading yet") : list);
}

QString trendDescription(const StackHistory& history, const TrendScene& scene) {
    QStringList sentences;
    const QString cursor = trendCursorText(history, scene);
    if (!cursor.isEmpty()) sentences << cursor;

    const QString source =
        scene.stack ? QStringLiteral("Whole stack")
                    : QStringLiteral("Board %1").arg(std::clamp(scene.slot, 0, StackHistory::kBoards - 1) + 1);
    const auto buffers = sceneBuffers(history, scene);
    std::array<std::optional<float>, 12> latest;
    bool anyInView = false;
    float lo = 0, hi = 0;
    std::vector<DrawPoint> pts;
    for (std::size_t i = 0; i < buffers.size(); ++i) {
        if (!buffers[i] || buffers[i]->points().empty()) continue;
        latest[i] = buffers[i]->points().back().last;
        pts.clear();
        appendDrawPoints(*buffers[i], scene.fromMs, scene.toMs, pts);
        for (const DrawPoint& p : pts) {
            lo = anyInView ? std::min(lo, p.value) : p.value;
            hi = anyInView ? std::max(hi, p.value) : p.value;
            anyInView = true;
        }
    }
    const QString list = valueList(scene, latest);
    if (list.isEmpty()) {
        sentences << QStringLiteral("%1: no readings yet.").arg(source);
        return sentences.join(QLatin1Char(' '));
    }
    sentences
        << QStringLiteral("%1, %2 to %3.").arg(source, secondsClockText(scene.fromMs), secondsClockText(scene.toMs));
    sentences << QStringLiteral("Latest: %1.").arg(list);
    sentences << (anyInView ? QStringLiteral("In view: lowest %1, highest %2.").arg(voltsText(lo), voltsText(hi))
                            : QStringLiteral("No readings in view."));
    if (scene.stack) {
        for (int s = 0; s < history.boardsSeen(); ++s)
            appendBeyond(sentences, history.board(s), QStringLiteral("board %1 ").arg(s + 1));
    } else {
        appendBeyond(sentences, history.board(scene.slot), QString());
    }
    return sentences.join(QLatin1Char(' '));
}

}  // namespace zmx
