#pragma once
// A recording as a CSV table or as the datalog workbook.
//
// One CSV row per board read of cells: the time and board of that cell read, its volts
// and the board's status codes, with the latest configuration read back, flags and
// temperatures of the same board recorded before it (empty when there was none yet).
// Reads of configuration, flags and temperatures alone make no row; a board that is
// never read for cells still gets its rows from its flag and temperature reads (one per
// temperature read). A partial cell read (RDCVA/B/C) fills its own cells and keeps the
// board's other cells from earlier reads. The PEC verdict is that of the cell read.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "record/RecordReader.h"

namespace zmx {

struct ExportStats {
    int64_t reads = 0;  // board reads taken from the recording
    int64_t rows = 0;   // rows written
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
        int uvthr = -1;  // VUV / VOV codes of the configuration read back (-1 unknown)
        int ovthr = -1;
        std::array<bool, 12> haveCell{};
        std::array<float, 12> cellVolts{};
        std::array<int16_t, 12> cellStatus{};
        bool haveTemps = false;
        std::array<float, 3> tempVolts{};
        bool pecMatch = false;
    };
    // Returns true and fills *row when this read completes a row.
    bool add(const BoardRead& read, Row* row);

private:
    std::array<Row, 10> boards_{};
    std::array<bool, 10> cellsSeen_{};
};

// The row as CSV fields in csvColumns() order.
std::vector<std::string> csvFields(const BoardRowMerger::Row& row);

bool exportCsv(RecordReader& reader, int64_t recordingId, const std::string& path, std::string* error,
               ExportStats* stats = nullptr);
// The datalog header of the window with one sample per row below it, in the block of the
// sample's board, and the SECONDS and SAMPLES cells filled from the recording.
bool exportXlsx(RecordReader& reader, int64_t recordingId, const std::string& path, std::string* error,
                ExportStats* stats = nullptr);

}  // namespace zmx
