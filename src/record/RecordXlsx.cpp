// The datalog workbook of a recording: the header the window writes, and below it one
// sample per row in the block of the sample's board.
//
// The header's SECONDS and SAMPLES come first in the file, so the recording is read twice:
// once to count the samples, once to write them. The sheet is streamed row by row; a row
// is written once every board that has a sample of that row has delivered it.

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <deque>
#include <functional>

#include "record/DatalogWorkbook.h"
#include "record/OutputFile.h"
#include "record/RecordExport.h"
#include "record/StoreRows.h"
#include "record/WorkbookWriter.h"
#include "rules/Thresholds.h"

namespace zmx {

namespace detail {
bool forEachRow(RecordReader& reader, int64_t id, ExportStats* stats,
                const std::function<void(const BoardRowMerger::Row&)>& sink, std::string* error, int64_t upToRow);
}

namespace {

// Above this many bytes of sheet text the zip needs its 64-bit extensions; a board's
// sample takes well under a kilobyte as XML.
constexpr double kZip64Bytes = 2e9;
constexpr double kBytesPerBoardSample = 1200;

// What the first pass learns of the recording.
struct Census {
    std::array<int64_t, kExportBlocks> samples{};
    std::array<std::string, kExportBlocks> addresses{};
    int64_t firstMs = 0, lastMs = 0;
    ExportStats stats;
    int64_t rows() const { return *std::max_element(samples.begin(), samples.end()); }
    int boards() const {
        return static_cast<int>(std::count_if(samples.begin(), samples.end(), [](int64_t n) { return n > 0; }));
    }
};

// "Samples 1-1048565": the sample points a sheet holds, when there is more than one sheet.
std::string sheetName(int64_t first, int64_t last) {
    return "Samples " + std::to_string(first) + "-" + std::to_string(last);
}

// The cells of one board's sample in sheet row `row`.
bool writeSample(WorkbookWriter& book, int row, const BoardRowMerger::Row& r) {
    const int c = kBlockColumns * r.slot;
    // A block's columns start at c + 2; column 1 is the sample point.
    bool ok = book.text(row, c + 2, isoUtc(r.utcMs));
    if (r.haveConfig) ok = ok && book.text(row, c + 3, store::bytesText(r.config.data(), 6));
    if (r.haveFlags) ok = ok && book.text(row, c + 4, store::bytesText(r.flags.data(), 3));
    if (r.uvthr >= 0) ok = ok && book.number(row, c + 5, codeVolts(Threshold::Vuv, r.uvthr));
    if (r.ovthr >= 0) ok = ok && book.number(row, c + 6, codeVolts(Threshold::Vov, r.ovthr));
    for (int i = 0; i < 12; ++i)
        if (r.haveCell[i]) ok = ok && book.number(row, c + 7 + i, r.cellVolts[i]);
    std::string status;
    for (int i = 0; i < 12; ++i) status += (i ? " " : "") + std::string(statusAbbreviation(r.cellStatus[i]));
    ok = ok && book.text(row, c + 19, status);
    if (r.haveTemps)
        for (int k = 0; k < 3; ++k) ok = ok && book.number(row, c + 20 + k, r.tempVolts[k]);
    return ok;
}

}  // namespace

bool exportXlsx(RecordReader& reader, int64_t recordingId, const std::string& path, std::string* error,
                ExportStats* stats, const XlsxExportOptions& options) {
    const auto context = reader.context(recordingId);
    if (!context) {
        if (error) *error = reader.lastError();
        return false;
    }
    const int64_t perSheet = options.sheetRows - kHeaderRows;
    if (perSheet < 1) {
        if (error) *error = "a sheet must have room for a sample below the header";
        return false;
    }

    Census census;
    for (const BoardContext& b : context->boards)
        if (b.slot >= 0 && b.slot < kExportBlocks) census.addresses[b.slot] = b.address;
    const bool counted = detail::forEachRow(
        reader, recordingId, &census.stats,
        [&](const BoardRowMerger::Row& r) {
            if (r.slot < 0 || r.slot >= kExportBlocks) return;
            if (census.addresses[r.slot].empty()) census.addresses[r.slot] = r.address;
            census.firstMs = census.firstMs == 0 ? r.utcMs : std::min(census.firstMs, r.utcMs);
            census.lastMs = std::max(census.lastMs, r.utcMs);
            ++census.samples[r.slot];
        },
        error, INT64_MAX);
    if (!counted) return false;

    const int64_t sampleRows = census.rows();
    const float seconds = static_cast<float>(census.lastMs - census.firstMs) / 1000.0f;
    DatalogHeaderInputs in;
    in.savedPath = QString::fromStdString(path);
    in.boardAddressHex = census.addresses;
    in.setupStamp = isoUtc(context->startUtcMs);
    in.setupSeconds = seconds;
    in.setupSamples = static_cast<int32_t>(std::min<int64_t>(sampleRows, INT32_MAX));
    in.stampTimeDate = census.firstMs ? isoUtc(census.firstMs) : in.setupStamp;
    in.datalogSeconds = seconds;
    in.datalogSamplesShown = in.setupSamples;
    const SheetLayout header = datalogHeaderLayout(in);
    const int64_t sheets = std::max<int64_t>(1, (sampleRows + perSheet - 1) / perSheet);

    ReplacingFile file(path);
    if (!file.open(error)) return false;
    WorkbookWriter book;
    WorkbookWriter::Options wo;
    wo.streamed = true;
    wo.zip64 =
        static_cast<double>(std::min(sampleRows, perSheet)) * census.boards() * kBytesPerBoardSample > kZip64Bytes;
    // The rows wait beside the target rather than in a temporary folder that may live in memory.
    wo.scratchFolder = QFileInfo(QString::fromStdString(file.tempPath())).absolutePath();
    bool ok = book.open(QString::fromStdString(file.tempPath()), wo);

    // Sample n (from 0) goes to sheet n / perSheet, below its header.
    int64_t next = 0;
    auto startSheet = [&](int64_t sheet) {
        const int64_t first = sheet * perSheet + 1;
        const std::string name =
            sheets == 1 ? std::string() : sheetName(first, std::min(sampleRows, first + perSheet - 1));
        ok = ok && book.addSheet(name, header);
    };
    startSheet(0);
    std::array<std::deque<BoardRowMerger::Row>, kExportBlocks> pending;
    auto writeReadyRows = [&] {
        for (;;) {
            bool any = false;
            for (int b = 0; b < kExportBlocks; ++b) {
                if (census.samples[b] > next && pending[b].empty()) return;  // still to come
                any = any || !pending[b].empty();
            }
            if (!any) return;
            if (next > 0 && next % perSheet == 0) startSheet(next / perSheet);
            const int row = kHeaderRows + 1 + static_cast<int>(next % perSheet);
            ok = ok && book.number(row, 1, static_cast<double>(next + 1));
            for (auto& queue : pending) {
                if (queue.empty()) continue;
                ok = ok && writeSample(book, row, queue.front());
                queue.pop_front();
            }
            ++next;
        }
    };
    ExportStats written;
    const bool read = detail::forEachRow(
        reader, recordingId, &written,
        [&](const BoardRowMerger::Row& r) {
            if (r.slot < 0 || r.slot >= kExportBlocks) return;
            pending[r.slot].push_back(r);
            writeReadyRows();
        },
        error, census.stats.lastRowId);
    // Both passes read the same reads, so they make the same rows.
    const std::string changed = read && next != sampleRows ? "the recording changed during the export" : "";
    const bool closed = book.close();  // also when something failed: it frees the workbook
    if (!read) return false;
    if (!ok || !closed || !changed.empty()) {
        if (error) *error = path + ": " + (changed.empty() ? book.error().toStdString() : changed);
        return false;
    }
    if (!file.commit(error)) return false;
    if (stats) *stats = written;
    return true;
}

}  // namespace zmx
