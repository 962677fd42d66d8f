// The datalog workbook of a recording: the header the window writes, and below it one
// sample per row in the block of the sample's board.

#include <QString>
#include <functional>

#include "config/Thresholds.h"
#include "export/DatalogWorkbook.h"
#include "record/RecordExport.h"
#include "record/StoreRows.h"

namespace zmx {

namespace detail {
bool forEachRow(RecordReader& reader, int64_t id, ExportStats* stats,
                const std::function<void(const BoardRowMerger::Row&)>& sink, std::string* error);
}

bool exportXlsx(RecordReader& reader, int64_t recordingId, const std::string& path, std::string* error,
                ExportStats* stats) {
    const auto context = reader.context(recordingId);
    if (!context) {
        if (error) *error = reader.lastError();
        return false;
    }
    std::vector<SheetCell> texts;
    std::vector<SheetNumber> numbers;
    std::array<int, kExportBlocks> samples{};
    std::array<std::string, kExportBlocks> addresses{};
    for (const BoardContext& b : context->boards)
        if (b.slot >= 0 && b.slot < kExportBlocks) addresses[b.slot] = b.address;
    int64_t firstMs = 0, lastMs = 0;
    const bool ok = detail::forEachRow(
        reader, recordingId, stats,
        [&](const BoardRowMerger::Row& r) {
            if (r.slot < 0 || r.slot >= kExportBlocks) return;
            if (addresses[r.slot].empty()) addresses[r.slot] = r.address;
            firstMs = firstMs == 0 ? r.utcMs : std::min(firstMs, r.utcMs);
            lastMs = std::max(lastMs, r.utcMs);
            const int row = kHeaderRows + 1 + samples[r.slot]++;
            const int c = kBlockColumns * r.slot;
            // Column 1 is the sample point; a block's columns start at c + 2.
            numbers.push_back({row, 1, static_cast<double>(row - kHeaderRows)});
            texts.push_back({row, c + 2, isoUtc(r.utcMs)});
            if (r.haveConfig) texts.push_back({row, c + 3, store::bytesText(r.config.data(), 6)});
            if (r.haveFlags) texts.push_back({row, c + 4, store::bytesText(r.flags.data(), 3)});
            if (r.uvthr >= 0) numbers.push_back({row, c + 5, codeVolts(Threshold::Vuv, r.uvthr)});
            if (r.ovthr >= 0) numbers.push_back({row, c + 6, codeVolts(Threshold::Vov, r.ovthr)});
            for (int i = 0; i < 12; ++i)
                if (r.haveCell[i]) numbers.push_back({row, c + 7 + i, r.cellVolts[i]});
            std::string status;
            for (int i = 0; i < 12; ++i) status += (i ? " " : "") + std::string(statusAbbreviation(r.cellStatus[i]));
            texts.push_back({row, c + 19, status});
            if (r.haveTemps)
                for (int k = 0; k < 3; ++k) numbers.push_back({row, c + 20 + k, r.tempVolts[k]});
        },
        error);
    if (!ok) return false;

    const int sampleRows = *std::max_element(samples.begin(), samples.end());
    const float seconds = static_cast<float>(lastMs - firstMs) / 1000.0f;
    DatalogHeaderInputs in;
    in.savedPath = QString::fromStdString(path);
    in.boardAddressHex = addresses;
    in.setupStamp = isoUtc(context->startUtcMs);
    in.setupSeconds = seconds;
    in.setupSamples = sampleRows;
    in.stampTimeDate = firstMs ? isoUtc(firstMs) : in.setupStamp;
    in.datalogSeconds = seconds;
    in.datalogSamplesShown = sampleRows;
    SheetLayout layout = datalogHeaderLayout(in);
    // Sample rows below the header, in row order after the header's own cells.
    layout.cells.insert(layout.cells.end(), texts.begin(), texts.end());
    layout.numbers = std::move(numbers);
    QString why;
    if (!writeDatalogWorkbook(QString::fromStdString(path), layout, &why)) {
        if (error) *error = path + ": " + why.toStdString();
        return false;
    }
    return true;
}

}  // namespace zmx
