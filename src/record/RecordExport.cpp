#include "record/RecordExport.h"

#include <QSaveFile>
#include <algorithm>
#include <charconv>
#include <functional>

#include "record/StoreRows.h"
#include "rules/Thresholds.h"

namespace zmx {

namespace {

constexpr int kChunk = 20000;  // reads fetched per query

}  // namespace

const char* statusAbbreviation(int code) {
    static const char* names[] = {"NR", "OK", "DC", "UV", "OV", "MI", "MD", "TS"};
    return code >= 0 && code < 8 ? names[code] : "??";
}

BoardRowMerger::BoardRowMerger(const RecordingContext* context) {
    for (int s = 0; s < 10; ++s) boards_[s].slot = s;
    if (!context) return;
    for (const BoardContext& b : context->boards) {
        if (b.slot < 0 || b.slot >= 10) continue;
        boards_[b.slot].address = b.address;
        boards_[b.slot].uvthr = b.vuvCode;
        boards_[b.slot].ovthr = b.vovCode;
        // The read-back the recording started with; all zero means it was never read.
        if (std::any_of(b.configReadBack.begin(), b.configReadBack.end(), [](uint8_t v) { return v != 0; })) {
            boards_[b.slot].haveConfig = true;
            boards_[b.slot].config = b.configReadBack;
        }
    }
}

void BoardRowMerger::close(int slot) {
    Row& r = boards_[slot];
    if (r.open) done_.emplace(std::make_pair(r.utcMs, seq_++), r);
    // The next row starts from this one's values, none of them read by it yet.
    r.open = false;
    r.readCells = r.readTemps = r.readFlags = false;
    r.readCell = {};
    r.pecMatch = true;
}

void BoardRowMerger::add(const BoardRead& read) {
    if (read.slot < 0 || read.slot >= 10) return;
    Row& r = boards_[read.slot];
    if (read.kind == ReadKind::Config) {
        // A read-back that failed its PEC says nothing trustworthy about the board.
        if (!read.pecMatch) return;
        r.haveConfig = true;
        r.config = read.config;
        r.uvthr = read.config[4];
        r.ovthr = read.config[5];
        if (!read.address.empty()) r.address = read.address;
        return;
    }
    bool again = false;
    if (read.kind == ReadKind::Cells) {
        for (int i = read.firstCell - 1; i < read.firstCell - 1 + read.cellCount && i < 12; ++i)
            if (i >= 0 && r.readCell[i]) again = true;
    } else if (read.kind == ReadKind::Temps) {
        again = r.readTemps;
    } else {
        again = r.readFlags;
    }
    if (again) close(read.slot);
    if (!r.open) {
        r.open = true;
        r.utcMs = read.utcMs;
    }
    if (!read.address.empty()) r.address = read.address;
    r.pecMatch = r.pecMatch && read.pecMatch;
    // A read that failed its PEC still counts as made (the row says MISMATCH and the next read
    // of its kind starts a new row), but its values are whatever arrived: the row keeps the
    // board's latest good values and their status codes instead. Each read carries the codes
    // of its board after it, so the row's latest good read (its flag read in both paces) gives
    // the status that the row's values and flags have.
    const bool good = read.pecMatch;
    if (good) r.cellStatus = read.cellStatus;
    switch (read.kind) {
        case ReadKind::Cells:
            r.readCells = true;
            for (int i = read.firstCell - 1; i < read.firstCell - 1 + read.cellCount && i < 12; ++i) {
                if (i < 0) continue;
                r.readCell[i] = true;
                if (!good) continue;
                r.haveCell[i] = true;
                r.cellVolts[i] = read.cellVolts[i];
            }
            break;
        case ReadKind::Temps:
            r.readTemps = true;
            if (!good) break;
            r.haveTemps = true;
            r.tempVolts = read.tempVolts;
            break;
        case ReadKind::Flags:
            r.readFlags = true;
            if (!good) break;
            r.haveFlags = true;
            r.flags = read.flags;
            break;
        case ReadKind::Config: break;
    }
    if (r.readCells && r.readTemps && r.readFlags &&
        std::all_of(r.readCell.begin(), r.readCell.end(), [](bool b) { return b; }))
        close(read.slot);
}

std::vector<BoardRowMerger::Row> BoardRowMerger::take() {
    // A row can be released once no board holds an open row that started before it.
    int64_t horizon = INT64_MAX;
    for (const Row& r : boards_)
        if (r.open) horizon = std::min(horizon, r.utcMs);
    std::vector<Row> out;
    while (!done_.empty() && done_.begin()->first.first <= horizon) {
        out.push_back(std::move(done_.begin()->second));
        done_.erase(done_.begin());
    }
    return out;
}

std::vector<BoardRowMerger::Row> BoardRowMerger::finish() {
    for (int s = 0; s < 10; ++s) close(s);
    return take();
}

std::vector<std::string> csvColumns() {
    std::vector<std::string> c = {"time", "board", "address"};
    for (int i = 0; i < 6; ++i) c.push_back("CFGR" + std::to_string(i));
    for (int i = 0; i < 3; ++i) c.push_back("FLGR" + std::to_string(i));
    c.push_back("UVTHR");
    c.push_back("OVTHR");
    for (int i = 1; i <= 12; ++i) c.push_back("CV" + std::to_string(i));
    for (int i = 1; i <= 12; ++i) c.push_back("STATUS" + std::to_string(i));
    c.push_back("ETMP1");
    c.push_back("ETMP2");
    c.push_back("ITMP1");
    c.push_back("PEC");
    return c;
}

namespace {

// Calls field(std::string_view) with each field of the row in csvColumns() order; the
// views live until the next call.
template <class Field>
void eachField(const BoardRowMerger::Row& r, Field&& field) {
    static const char* digits = "0123456789ABCDEF";
    char buf[64];
    const std::string_view none;
    auto number = [&](double v, int decimals) {
        const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
        field(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
    };
    auto hex = [&](uint8_t b) {
        const char pair[2] = {digits[b >> 4], digits[b & 15]};
        field(std::string_view(pair, 2));
    };
    field(std::string_view(buf, isoUtc(r.utcMs, buf)));
    {
        const auto res = std::to_chars(buf, buf + sizeof buf, r.slot + 1);
        field(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
    }
    field(std::string_view(r.address));
    for (int i = 0; i < 6; ++i) r.haveConfig ? hex(r.config[i]) : field(none);
    for (int i = 0; i < 3; ++i) r.haveFlags ? hex(r.flags[i]) : field(none);
    r.uvthr >= 0 ? number(codeVolts(Threshold::Vuv, r.uvthr), 3) : field(none);
    r.ovthr >= 0 ? number(codeVolts(Threshold::Vov, r.ovthr), 3) : field(none);
    for (int i = 0; i < 12; ++i) r.haveCell[i] ? number(r.cellVolts[i], 4) : field(none);
    for (int i = 0; i < 12; ++i) field(std::string_view(statusAbbreviation(r.cellStatus[i])));
    for (int i = 0; i < 3; ++i) r.haveTemps ? number(r.tempVolts[i], 4) : field(none);
    field(std::string_view(r.pecMatch ? "MATCH" : "MISMATCH"));
}

// A field needs quotes when it holds a separator, a quote or a line break.
void appendCsvField(std::string& out, std::string_view f) {
    if (f.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(f);
        return;
    }
    out += '"';
    for (char c : f) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace

std::vector<std::string> csvFields(const BoardRowMerger::Row& r) {
    std::vector<std::string> f;
    f.reserve(45);
    eachField(r, [&](std::string_view v) { f.emplace_back(v); });
    return f;
}

namespace detail {

// Every row of the recording through the merger, in time order; false on a query failure.
// Reads after upToRow are left out, so a second pass over a recording still being written
// gives the rows of the first.
bool forEachRow(RecordReader& reader, int64_t id, ExportStats* stats,
                const std::function<void(const BoardRowMerger::Row&)>& sink, std::string* error, int64_t upToRow) {
    const auto context = reader.context(id);
    if (!context) {
        if (error) *error = reader.lastError();
        return false;
    }
    BoardRowMerger merger(&*context);
    ExportStats counts;
    int64_t after = 0;
    for (;;) {
        const auto chunk = reader.readValues(id, after, kChunk);
        if (!reader.lastError().empty()) {
            if (error) *error = reader.lastError();
            return false;
        }
        bool bounded = false;
        for (const StoredRead& s : chunk) {
            if (s.rowId > upToRow) {
                bounded = true;
                break;
            }
            merger.add(s.read);
            ++counts.reads;
            counts.lastRowId = s.rowId;
        }
        for (const auto& row : merger.take()) {
            sink(row);
            ++counts.rows;
        }
        if (bounded || chunk.size() < static_cast<std::size_t>(kChunk)) break;
        after = chunk.back().rowId;
    }
    for (const auto& row : merger.finish()) {
        sink(row);
        ++counts.rows;
    }
    if (stats) *stats = counts;
    return true;
}

}  // namespace detail

bool exportCsv(RecordReader& reader, int64_t recordingId, const std::string& path, std::string* error,
               ExportStats* stats) {
    // Written beside the target and renamed at the end: a failed export leaves no half file.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = path + ": cannot write (" + file.errorString().toStdString() + ")";
        return false;
    }
    std::string buf;
    buf.reserve(1 << 20);
    bool writeFailed = false;
    auto spill = [&] {
        if (file.write(buf.data(), static_cast<qint64>(buf.size())) != static_cast<qint64>(buf.size()))
            writeFailed = true;
        buf.clear();
    };
    bool first = true;
    auto field = [&](std::string_view f) {
        if (!first) buf += ',';
        first = false;
        appendCsvField(buf, f);
    };
    auto endLine = [&] {
        buf += "\r\n";
        first = true;
        if (buf.size() > (1 << 20) - 4096) spill();
    };
    for (const std::string& c : csvColumns()) field(c);
    endLine();
    if (!detail::forEachRow(
            reader, recordingId, stats,
            [&](const BoardRowMerger::Row& r) {
                eachField(r, field);
                endLine();
            },
            error, INT64_MAX)) {
        file.cancelWriting();
        return false;
    }
    spill();
    if (writeFailed) {
        if (error) *error = path + ": cannot write (" + file.errorString().toStdString() + ")";
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = path + ": cannot write (" + file.errorString().toStdString() + ")";
        return false;
    }
    return true;
}

}  // namespace zmx
