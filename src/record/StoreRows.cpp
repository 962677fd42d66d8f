#include "record/StoreRows.h"

#include <QVariant>
#include <QtEndian>
#include <bit>

#include "protocol/ReadDecode.h"
#include "protocol/ReplyParsers.h"
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
    kDataLen,
    kData,
    kRxPec,
    kCalcPec,
    kPecOk,
    kRoundTrip,
    kLamp,
    kFirstCell,
    kCellCount,
    kValues,
    kStatus = kValues + 12,
    kVoltsExact,
    kReadColumns
};

// Volts kept as such only when a read's volts are not those of its codes (a reply with
// characters that are not hex): cells 1..12 then ETMP1, ETMP2, ITMP, little-endian floats.
constexpr int kExactVolts = 15;

bool carried(const BoardRead& r, int i) {
    return r.kind == ReadKind::Cells && i + 1 >= r.firstCell && i + 1 < r.firstCell + r.cellCount;
}

bool sameFloat(float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }

QByteArray exactVolts(const BoardRead& r) {
    bool differs = false;
    for (int i = 0; i < 12; ++i)
        if (carried(r, i) && !sameFloat(r.cellVolts[i], codeToVolts(r.cellCodes[i]))) differs = true;
    if (r.kind == ReadKind::Temps)
        for (int k = 0; k < 3; ++k)
            if (!sameFloat(r.tempVolts[k], codeToVolts(r.tempCodes[k]))) differs = true;
    if (!differs) return {};
    QByteArray out(kExactVolts * 4, Qt::Uninitialized);
    for (int i = 0; i < kExactVolts; ++i) {
        const float v = i < 12 ? r.cellVolts[i] : r.tempVolts[i - 12];
        qToLittleEndian(std::bit_cast<uint32_t>(v), out.data() + 4 * i);
    }
    return out;
}

// The volts kept by exactVolts() over those computed from the codes.
void applyExactVolts(BoardRead& r, const QVariant& value) {
    if (value.isNull()) return;
    const QByteArray exact = value.toByteArray();
    if (exact.size() != kExactVolts * 4) return;
    for (int i = 0; i < kExactVolts; ++i) {
        const float f = std::bit_cast<float>(qFromLittleEndian<uint32_t>(exact.constData() + 4 * i));
        if (i < 12 && carried(r, i)) r.cellVolts[i] = f;
        if (i >= 12 && r.kind == ReadKind::Temps) r.tempVolts[i - 12] = f;
    }
}

// The decoded values of the read's kind from val1..val12 (the kind and, for cells, the
// carried range already set), volts computed from the codes.
void fillValues(BoardRead& r, const int* values) {
    switch (r.kind) {
        case ReadKind::Cells:
            for (int i = 0; i < 12; ++i) {
                r.cellCodes[i] = values[i];
                if (carried(r, i)) r.cellVolts[i] = codeToVolts(values[i]);
            }
            break;
        case ReadKind::Flags:
            for (int i = 0; i < 3; ++i) r.flags[i] = static_cast<uint8_t>(values[i]);
            break;
        case ReadKind::Temps:
            for (int i = 0; i < 3; ++i) {
                r.tempCodes[i] = values[i];
                r.tempVolts[i] = codeToVolts(values[i]);
            }
            r.thermalBit = values[3];
            break;
        case ReadKind::Config:
            for (int i = 0; i < 6; ++i) r.config[i] = static_cast<uint8_t>(values[i]);
            break;
    }
}

// The data bytes as the reply gives them when they are exactly what the read holds.
bool dataOfReply(const BoardRead& r) {
    std::vector<uint8_t> cut(r.data.size());
    parseReadReply(r.reply, cut);
    return cut == r.data;
}

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

uint64_t packStatus(const std::array<int16_t, 12>& codes) {
    uint64_t v = 0;
    for (int i = 0; i < 12; ++i) v |= static_cast<uint64_t>(codes[i] & 7) << (3 * i);
    return v;
}

std::array<int16_t, 12> unpackStatus(uint64_t packed) {
    std::array<int16_t, 12> codes{};
    for (int i = 0; i < 12; ++i) codes[i] = static_cast<int16_t>(packed >> (3 * i) & 7);
    return codes;
}

void bindRead(QSqlQuery& q, int64_t readId, int64_t recordingId, int64_t requestId, const BoardRead& r) {
    static_assert(kReadColumns == 31);
    q.bindValue(0, big(readId));
    auto bind = [&](int col, const QVariant& v) { q.bindValue(col + 1, v); };
    bind(kRecording, big(recordingId));
    bind(kUtc, big(r.utcMs));
    bind(kSlot, r.slot);
    bind(kAddress, text(r.address));
    bind(kKind, static_cast<int>(r.kind));
    bind(kCommand, text(r.command));
    bind(kRequest, big(requestId));
    bind(kReply, text(r.reply));
    bind(kDataLen, static_cast<int>(r.data.size()));
    bind(kData, dataOfReply(r) ? QVariant(QMetaType::fromType<QByteArray>())
                               : QVariant(QByteArray(reinterpret_cast<const char*>(r.data.data()),
                                                     static_cast<qsizetype>(r.data.size()))));
    bind(kRxPec, r.rxPec);
    bind(kCalcPec, r.calcPec);
    bind(kPecOk, r.pecMatch ? 1 : 0);
    bind(kRoundTrip, big(r.roundTripUs));
    bind(kLamp, r.lampState);
    const bool cells = r.kind == ReadKind::Cells;
    bind(kFirstCell, cells ? QVariant(r.firstCell) : QVariant());
    bind(kCellCount, cells ? QVariant(r.cellCount) : QVariant());
    // The values of the read's kind; the rest stay empty (NULL), as do cells not carried.
    std::array<QVariant, 12> values;
    switch (r.kind) {
        case ReadKind::Cells:
            for (int i = 0; i < 12; ++i)
                if (carried(r, i)) values[i] = r.cellCodes[i];
            break;
        case ReadKind::Flags:
            for (int i = 0; i < 3; ++i) values[i] = r.flags[i];
            break;
        case ReadKind::Temps:
            for (int i = 0; i < 3; ++i) values[i] = r.tempCodes[i];
            values[3] = r.thermalBit;
            break;
        case ReadKind::Config:
            for (int i = 0; i < 6; ++i) values[i] = r.config[i];
            break;
    }
    for (int i = 0; i < 12; ++i) bind(kValues + i, values[i]);
    bind(kStatus, big(static_cast<int64_t>(packStatus(r.cellStatus))));
    const QByteArray exact = exactVolts(r);
    bind(kVoltsExact, exact.isEmpty() ? QVariant(QMetaType::fromType<QByteArray>()) : QVariant(exact));
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
    QStringList cols;
    for (const QString& c : readColumns())
        cols << (c == QLatin1String("request_id") ? QStringLiteral("t.text") : QStringLiteral("r.") + c);
    return QStringLiteral("SELECT r.id, %1 FROM reads r LEFT JOIN request_texts t ON t.id = r.request_id")
        .arg(cols.join(QStringLiteral(", ")));
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
    r.data.assign(static_cast<std::size_t>(std::max(0, v(kDataLen).toInt())), 0);
    const QVariant data = v(kData);
    if (data.isNull()) {
        parseReadReply(r.reply, r.data);
    } else {
        const QByteArray b = data.toByteArray();
        r.data.assign(b.begin(), b.end());
    }
    r.rxPec = static_cast<uint8_t>(v(kRxPec).toInt());
    r.calcPec = static_cast<uint8_t>(v(kCalcPec).toInt());
    r.pecMatch = v(kPecOk).toInt() != 0;
    r.roundTripUs = v(kRoundTrip).toLongLong();
    r.lampState = static_cast<int16_t>(v(kLamp).toInt());
    if (r.kind == ReadKind::Cells) {
        r.firstCell = v(kFirstCell).toInt();
        r.cellCount = v(kCellCount).toInt();
    }
    int values[12];
    for (int i = 0; i < 12; ++i) values[i] = v(kValues + i).toInt();
    fillValues(r, values);
    r.cellStatus = unpackStatus(static_cast<uint64_t>(v(kStatus).toLongLong()));
    applyExactVolts(r, v(kVoltsExact));
    return r;
}

namespace {

// Positions in selectValuesSql().
enum ValueCol { vId = 0, vUtc, vSlot, vAddress, vKind, vFirstCell, vCellCount, vValues, vStatus = vValues + 12, vPecOk, vExact };

}  // namespace

QString selectValuesSql() {
    QString sql = QStringLiteral("SELECT r.id, r.utc_ms, r.slot, r.address, r.kind, r.first_cell, r.cell_count");
    for (int i = 1; i <= 12; ++i) sql += QStringLiteral(", r.val%1").arg(i);
    return sql + QStringLiteral(", r.status, r.pec_ok, r.volts_exact FROM reads r");
}

BoardRead valuesOfRow(const QSqlQuery& q, int64_t* rowId) {
    if (rowId) *rowId = q.value(vId).toLongLong();
    BoardRead r;
    r.utcMs = q.value(vUtc).toLongLong();
    r.slot = q.value(vSlot).toInt();
    r.address = str(q.value(vAddress));
    r.kind = static_cast<ReadKind>(q.value(vKind).toInt());
    if (r.kind == ReadKind::Cells) {
        r.firstCell = q.value(vFirstCell).toInt();
        r.cellCount = q.value(vCellCount).toInt();
    }
    int values[12];
    for (int i = 0; i < 12; ++i) values[i] = q.value(vValues + i).toInt();
    fillValues(r, values);
    r.cellStatus = unpackStatus(static_cast<uint64_t>(q.value(vStatus).toLongLong()));
    r.pecMatch = q.value(vPecOk).toInt() != 0;
    applyExactVolts(r, q.value(vExact));
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
