#pragma once
// The datalog header workbook: its file name, its cells and formatting as plain data, the
// folder it is saved in, and writing it as an .xlsx file. No window is needed for any of it.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zmx {

// The header always has one block per possible board, whatever the stack size.
inline constexpr int kExportBlocks = 10;
inline constexpr int kBlockColumns = 21;
inline constexpr int kHeaderRows = 11;  // rows 1..11 hold the header; samples go below

struct DatalogHeaderInputs {
    QString savedPath;  // A1: where the workbook is saved
    std::array<std::string, kExportBlocks> boardAddressHex{};
    std::string setupStamp;
    float setupSeconds = 0.0f;
    int32_t setupSamples = 0;
    std::string stampTimeDate;
    float datalogSeconds = 0.0f;
    int32_t datalogSamplesShown = 0;
};

struct SheetCell {
    int row;  // from 1
    int col;  // from 1 (1 = A)
    std::string text;
};

struct SheetNumber {
    int row;  // from 1
    int col;  // from 1
    double value;
};

struct SheetLayout {
    std::vector<SheetCell> cells;
    std::vector<SheetNumber> numbers;  // written as numbers (samples below the header)
    int boldLastRow = kHeaderRows;     // A1 to (boldLastCol, boldLastRow) is bold
    int boldLastCol = 1;
    std::map<int, double> columnWidths;  // column -> width in characters, fitted to its texts
};

// Column of the last block for n boards: 21 * n + 1 (V for one board, HC for ten).
int lastBlockColumn(int boards);
// Spreadsheet column letters: 1 -> "A", 22 -> "V", 211 -> "HC".
std::string columnName(int col);
// "12-07-2026_02_05_09 PM_EXCELoutTEST.xlsx": one reading of the clock, 12-hour time.
QString exportFileName(const QDateTime& now);
// Width in characters that shows a bold text whole (the library has no auto-fit).
double fittedWidth(const std::string& text);

// Every cell text of the header, the bold range and the fitted column widths.
SheetLayout datalogHeaderLayout(const DatalogHeaderInputs& in);

// The candidate folders in order of preference: the program's own directory, then the
// user's documents folder.
QStringList defaultExportFolders();
// The first candidate that exists (or can be made) and accepts a new file; empty when
// none does, with the reasons in *why.
QString chooseExportFolder(const QStringList& candidates, QString* why);

// Writes the layout as the first sheet of a new .xlsx file; false and a reason on failure.
bool writeDatalogWorkbook(const QString& path, const SheetLayout& layout, QString* error);

}  // namespace zmx
