#include "record/StoreRows.h"

#include <QVariant>

#include "record/StoreDb.h"

namespace zmx::store {

namespace {

// Positions in readColumns().
enum ReadCol {
    kRecording = 0,
    kUtc,
    kSlot,
    kAddress,
    kKind,
    kCommand,
    kRequest,
    kReply,
    kData,
    kRxPec,
    kCalcPec,
    kPecOk,
    kRoundTrip,
    kLamp,
    kFirstCell,
    kCellCount,
    kCodes,
    kVolts = kCodes + 12,
    kFlags = kVolts + 12,
    kTempCodes = kFlags + 3,
    kTempVolts = kTempCodes + 3,
    kThermal = kTempVolts + 3,
    kConfig,
    kStatus = kConfig + 6,
    kReadColumns = kStatus + 12
};

enum WriteCol { wRecording = 0, wUtc, wSlot, wAddress, wBroadcast, wConfig, wRequest = wConfig + 6, kWriteColumns };

QVariant big(int64_t v) { return QVariant::fromValue<qint64>(v); }
QString text(const std::string& s) { return QString::fromStdString(s); }
std::string str(const QVariant& v) { return v.toString().toStdString(); }

}  // namespace

std::string bytesText(const uint8_t* bytes, std::size_t n) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    out.reserve(n * 3);
    for (std::size_t i = 0; i < n; ++i) {
        if (i) out += ' ';
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

std::vector<uint8_t> bytesOfText(const std::string& text) {
    std::vector<uint8_t> out;
    int high = -1;
    for (char ch : text) {
        int v = -1;
        if (ch >= '0' && ch <= '9') v = ch - '0';
        else if (ch >= 'A' && ch <= 'F') v = ch - 'A' + 10;
        else if (ch >= 'a' && ch <= 'f') v = ch - 'a' + 10;
        if (v < 0) continue;
        if (high < 0) high = v;
        else {
            out.push_back(static_cast<uint8_t>(high << 4 | v));
            high = -1;
        }
    }
    return out;
}

void bindRead(QSqlQuery& q, int64_t recordingId, const BoardRead& r) {
    static_assert(kReadColumns == 68);
    q.bindValue(kRecording, big(recordingId));
    q.bindValue(kUtc, big(r.utcMs));
    q.bindValue(kSlot, r.slot);
    q.bindValue(kAddress, text(r.address));
    q.bindValue(kKind, static_cast<int>(r.kind));
    q.bindValue(kCommand, text(r.command));
    q.bindValue(kRequest, text(r.request));
    q.bindValue(kReply, text(r.reply));
    q.bindValue(kData, text(bytesText(r.data.data(), r.data.size())));
    q.bindValue(kRxPec, r.rxPec);
    q.bindValue(kCalcPec, r.calcPec);
    q.bindValue(kPecOk, r.pecMatch ? 1 : 0);
    q.bindValue(kRoundTrip, big(r.roundTripUs));
    q.bindValue(kLamp, r.lampState);
    const bool cells = r.kind == ReadKind::Cells;
    q.bindValue(kFirstCell, cells ? QVariant(r.firstCell) : QVariant());
    q.bindValue(kCellCount, cells ? QVariant(r.cellCount) : QVariant());
    // Only the cells the read carried have values; the others stay empty (NULL).
    for (int i = 0; i < 12; ++i) {
        const bool carried = cells && i + 1 >= r.firstCell && i + 1 < r.firstCell + r.cellCount;
        q.bindValue(kCodes + i, carried ? QVariant(r.cellCodes[i]) : QVariant());
        q.bindValue(kVolts + i, carried ? QVariant(static_cast<double>(r.cellVolts[i])) : QVariant());
    }
    const bool flags = r.kind == ReadKind::Flags;
    for (int i = 0; i < 3; ++i) q.bindValue(kFlags + i, flags ? QVariant(r.flags[i]) : QVariant());
    const bool temps = r.kind == ReadKind::Temps;
    for (int i = 0; i < 3; ++i) {
        q.bindValue(kTempCodes + i, temps ? QVariant(r.tempCodes[i]) : QVariant());
        q.bindValue(kTempVolts + i, temps ? QVariant(static_cast<double>(r.tempVolts[i])) : QVariant());
    }
    q.bindValue(kThermal, temps ? QVariant(r.thermalBit) : QVariant());
    const bool config = r.kind == ReadKind::Config;
    for (int i = 0; i < 6; ++i) q.bindValue(kConfig + i, config ? QVariant(r.config[i]) : QVariant());
    for (int i = 0; i < 12; ++i) q.bindValue(kStatus + i, r.cellStatus[i]);
}

void bindWrite(QSqlQuery& q, int64_t recordingId, const ConfigWrite& w) {
    static_assert(kWriteColumns == 12);
    q.bindValue(wRecording, big(recordingId));
    q.bindValue(wUtc, big(w.utcMs));
    q.bindValue(wSlot, w.slot);
    q.bindValue(wAddress, text(w.address));
    q.bindValue(wBroadcast, w.broadcast ? 1 : 0);
    for (int i = 0; i < 6; ++i) q.bindValue(wConfig + i, w.bytes[i]);
    q.bindValue(wRequest, text(w.request));
}

QString selectReadsSql() {
    return QStringLiteral("SELECT id, %1 FROM reads").arg(readColumns().join(QStringLiteral(", ")));
}

QString selectWritesSql() {
    return QStringLiteral("SELECT id, %1 FROM config_writes").arg(writeColumns().join(QStringLiteral(", ")));
}

BoardRead readOfRow(const QSqlQuery& q, int64_t* rowId) {
    // Column 0 is the id; the table's columns follow.
    auto v = [&](int col) { return q.value(col + 1); };
    if (rowId) *rowId = q.value(0).toLongLong();
    BoardRead r;
    r.utcMs = v(kUtc).toLongLong();
    r.slot = v(kSlot).toInt();
    r.address = str(v(kAddress));
    r.kind = static_cast<ReadKind>(v(kKind).toInt());
    r.command = str(v(kCommand));
    r.request = str(v(kRequest));
    r.reply = str(v(kReply));
    r.data = bytesOfText(str(v(kData)));
    r.rxPec = static_cast<uint8_t>(v(kRxPec).toInt());
    r.calcPec = static_cast<uint8_t>(v(kCalcPec).toInt());
    r.pecMatch = v(kPecOk).toInt() != 0;
    r.roundTripUs = v(kRoundTrip).toLongLong();
    r.lampState = static_cast<int16_t>(v(kLamp).toInt());
    if (r.kind == ReadKind::Cells) {
        r.firstCell = v(kFirstCell).toInt();
        r.cellCount = v(kCellCount).toInt();
    }
    for (int i = 0; i < 12; ++i) {
        r.cellCodes[i] = v(kCodes + i).toInt();
        r.cellVolts[i] = static_cast<float>(v(kVolts + i).toDouble());
        r.cellStatus[i] = static_cast<int16_t>(v(kStatus + i).toInt());
    }
    for (int i = 0; i < 3; ++i) {
        r.flags[i] = static_cast<uint8_t>(v(kFlags + i).toInt());
        r.tempCodes[i] = v(kTempCodes + i).toInt();
        r.tempVolts[i] = static_cast<float>(v(kTempVolts + i).toDouble());
    }
    r.thermalBit = v(kThermal).toInt();
    for (int i = 0; i < 6; ++i) r.config[i] = static_cast<uint8_t>(v(kConfig + i).toInt());
    return r;
}

ConfigWrite writeOfRow(const QSqlQuery& q, int64_t* rowId) {
    auto v = [&](int col) { return q.value(col + 1); };
    if (rowId) *rowId = q.value(0).toLongLong();
    ConfigWrite w;
    w.utcMs = v(wUtc).toLongLong();
    w.slot = v(wSlot).toInt();
    w.address = str(v(wAddress));
    w.broadcast = v(wBroadcast).toInt() != 0;
    for (int i = 0; i < 6; ++i) w.bytes[i] = static_cast<uint8_t>(v(wConfig + i).toInt());
    w.request = str(v(wRequest));
    return w;
}

}  // namespace zmx::store
