#pragma once
// A recording as a CSV table or as the datalog workbook.
//
// One row per board read: a row gathers one cell read, one temperature read and one flag
// read of a board, in the order the passes make them; a read of a kind the row already
// holds (or of cells it already holds) starts the board's next row. The row's time is
// that of its first read. Values a row did not read itself (a pass without a flag read,
// cells 11 and 12 in ten-cell mode, the configuration read back) are the board's latest
// from earlier rows, and empty until the board has any. The configuration read back and
// UVTHR/OVTHR come from the latest configuration read of the board, or from the
// recording's context before that.
// Configuration reads alone make no row. The PEC verdict says MATCH when every read of
// the row matched, otherwise MISMATCH; a read that failed its PEC gives the row no values
// (they are the board's latest good ones, as for a kind the row did not read). STATUS1..12
// are the codes of the row's latest good read, which each read carries as its board's after
// it. Rows are written in time order.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "record/RecordReader.h"

namespace zmx {

struct ExportStats {
    int64_t reads = 0;      // board reads taken from the recording
    int64_t rows = 0;       // rows written
    int64_t lastRowId = 0;  // the last read taken (0: none)
};

struct XlsxExportOptions {
    // Rows of a worksheet, its header included: the most a spreadsheet holds. Samples past
    // it continue on further sheets.
    int sheetRows = 1048576;
};

// Column names of the CSV in order.
std::vector<std::string> csvColumns();

// Turns the reads of a recording, in row order, into table rows (the merge above).
class BoardRowMerger {
public:
    struct Row {
        int64_t utcMs = 0;
        int slot = 0;
        std::string address;
        bool haveConfig = false;
        std::array<uint8_t, 6> config{};
        bool haveFlags = false;
        std::array<uint8_t, 3> flags{};
        int uvthr = -1;  // VUV / VOV codes (-1 unknown)
        int ovthr = -1;
        std::array<bool, 12> haveCell{};
        std::array<float, 12> cellVolts{};
        std::array<int16_t, 12> cellStatus{};
        bool haveTemps = false;
        std::array<float, 3> tempVolts{};
        bool pecMatch = true;
        // Which kinds this row read itself (not carried over).
        bool readCells = false, readTemps = false, readFlags = false;
        std::array<bool, 12> readCell{};
        bool open = false;
    };
    explicit BoardRowMerger(const RecordingContext* context = nullptr);
    void add(const BoardRead& read);
    // Rows complete so far, in time order, that no later read can precede.
    std::vector<Row> take();
    // Every remaining row, in time order (end of the recording).
    std::vector<Row> finish();

private:
    void close(int slot);
    std::array<Row, 10> boards_{};
    std::map<std::pair<int64_t, int64_t>, Row> done_;  // (time, sequence) -> row
    int64_t seq_ = 0;
};

// Two-letter status of a cell status code: NR OK DC UV OV MI MD TS.
const char* statusAbbreviation(int code);

// The row as CSV fields in csvColumns() order.
std::vector<std::string> csvFields(const BoardRowMerger::Row& row);

bool exportCsv(RecordReader& reader, int64_t recordingId, const std::string& path, std::string* error,
               ExportStats* stats = nullptr);
// The datalog header of the window with one sample per row below it, in the block of the
// sample's board, and the SECONDS and SAMPLES cells filled from the recording. Samples
// past a sheet's rows go on to further sheets with the same header, named by the samples
// they hold. Both exports write a temporary file beside the target and rename it over the
// target once complete.
bool exportXlsx(RecordReader& reader, int64_t recordingId, const std::string& path, std::string* error,
                ExportStats* stats = nullptr, const XlsxExportOptions& options = {});

}  // namespace zmx
