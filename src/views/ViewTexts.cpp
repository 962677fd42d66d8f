#include "views/ViewTexts.h"

#include <QDateTime>

#include "rules/Colors.h"

namespace zmx {

QString statusWord(int code) {
    return QString::fromLatin1(cellStatusStyle(code).legendSwatch.data(),
                               static_cast<qsizetype>(cellStatusStyle(code).legendSwatch.size()))
        .trimmed();
}

QString statusMeaning(int code) {
    return QString::fromLatin1(cellStatusStyle(code).legendMeaning.data(),
                               static_cast<qsizetype>(cellStatusStyle(code).legendMeaning.size()))
        .simplified();
}

QString heatmapCellText(const CellLatest& cell) {
    return cell.valid ? QString::number(static_cast<double>(cell.volts), 'f', 3) : QString();
}

QString heatmapCellName(int slot, int cell) { return QStringLiteral("Board %1, cell %2").arg(slot + 1).arg(cell); }

QString heatmapCellDescription(int slot, int cell, const CellLatest& c) {
    const QString volts = c.valid ? QStringLiteral("%1 V (code 0x%2)")
                                        .arg(static_cast<double>(c.volts), 0, 'f', 3)
                                        .arg(QString::number(c.code, 16).toUpper().rightJustified(3, QLatin1Char('0')))
                                  : QStringLiteral("no reading");
    const QString read = c.valid ? QStringLiteral(", read %1").arg(clockText(c.readMs)) : QString();
    return QStringLiteral("%1: %2, %3: %4%5")
        .arg(heatmapCellName(slot, cell), volts, statusWord(c.status), statusMeaning(c.status), read);
}

QString clockText(int64_t utcMs) {
    if (utcMs <= 0) return QStringLiteral("-");
    return QDateTime::fromMSecsSinceEpoch(utcMs).toLocalTime().toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString ageText(int64_t ms) {
    if (ms < 0) return QStringLiteral("never");
    if (ms < 10000) return QStringLiteral("%1 s").arg(static_cast<double>(ms) / 1000.0, 0, 'f', 1);
    const int64_t s = ms / 1000;
    if (s < 60) return QStringLiteral("%1 s").arg(s);
    if (s < 3600) return QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60);
    return QStringLiteral("%1 h %2 min").arg(s / 3600).arg((s % 3600) / 60);
}

QString roundTripText(int64_t us) { return QStringLiteral("%1 ms").arg(static_cast<double>(us) / 1000.0, 0, 'f', 2); }

QStringList healthColumns() {
    return {QStringLiteral("Board"),
            QStringLiteral("Reads"),
            QStringLiteral("PEC mismatches"),
            QStringLiteral("Mismatch rate"),
            QStringLiteral("Since good read"),
            QStringLiteral("Round trip median"),
            QStringLiteral("Round trip worst"),
            QStringLiteral("Keep-alive"),
            QStringLiteral("Thermal"),
            QStringLiteral("State")};
}

QStringList healthRow(const StackHistory& history, int slot, int64_t nowMs) {
    const BoardHistory& b = history.board(slot);
    const BoardHealth& h = b.health;
    QString state;
    if (!b.seen) state = QStringLiteral("not read");
    else if (history.notAnswering(slot)) state = QStringLiteral("NOT ANSWERING (%1 passes)").arg(h.failedPasses);
    else if (h.lastGoodMs == 0) state = QStringLiteral("no good read yet");
    else state = QStringLiteral("answering");
    const bool anyTrip = h.reads > 0;
    return {QStringLiteral("BRD# %1").arg(slot + 1),
            QString::number(h.reads),
            QString::number(h.pecMismatches),
            QStringLiteral("%1 %").arg(h.mismatchRate() * 100.0, 0, 'f', 1),
            h.lastGoodMs ? ageText(std::max<int64_t>(0, nowMs - h.lastGoodMs)) : ageText(-1),
            anyTrip ? roundTripText(h.medianRoundTripUs()) : QStringLiteral("-"),
            anyTrip ? roundTripText(h.worstRoundTripUs) : QStringLiteral("-"),
            QString::number(h.keepAlives),
            h.thermalLatched ? QStringLiteral("LATCHED") : QStringLiteral("-"),
            state};
}

}  // namespace zmx
