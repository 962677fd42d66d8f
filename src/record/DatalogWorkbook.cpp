#include "record/DatalogWorkbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>

#include "record/OutputFile.h"
#include "record/WorkbookWriter.h"

namespace zmx {

namespace {

// Channel name and unit of each column of a board block, from its first column on.
struct BlockColumn {
    const char* channel;
    const char* unit;
};

constexpr std::array<const char*, 9> kStatusLegend = {
    "STATUS LEGEND",         "NR = NO READING",       "OK = GOOD",
    "DC = DISCHARGE",        "UV = UNDER VOLTAGE",    "OV = OVER VOLTAGE",
    "MI = MASKED INTERRUPT", "MD = MASKED DISCHARGE", "TS = THERMAL SHUTDOWN"};

std::vector<BlockColumn> blockColumns() {
    static const std::vector<BlockColumn> cols = [] {
        std::vector<BlockColumn> v = {{"TIME STAMP", "Date/Time"},
                                      {"RD-CFGR0-5", "HEX"},
                                      {"RD-FLGR0-2", "HEX"},
                                      {"UVTHR", "VOLTS"},
                                      {"OVTHR", "VOLTS"}};
        static const char* cv[12] = {"CV1", "CV2", "CV3", "CV4",  "CV5",  "CV6",
                                     "CV7", "CV8", "CV9", "CV10", "CV11", "CV12"};
        for (const char* name : cv) v.push_back({name, "VOLTS"});
        v.push_back({"CELL1 - CELL12 STATUS", "STATUS"});
        v.push_back({"ETMP1", "VOLTS"});
        v.push_back({"ETMP2", "VOLTS"});
        v.push_back({"ITMP1", "VOLTS"});
        return v;
    }();
    return cols;
}

std::string threeDecimals(float v) { return QString::number(static_cast<double>(v), 'f', 3).toStdString(); }

}  // namespace

int lastBlockColumn(int boards) { return kBlockColumns * boards + 1; }

std::string columnName(int col) {
    std::string name;
    for (; col > 0; col = (col - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (col - 1) % 26));
    return name;
}

QString exportFileName(const QDateTime& now) {
    // "AP" gives "AM"/"PM" in the C locale whatever the user's language, as the name format asks.
    return QLocale::c().toString(now, QStringLiteral("MM-dd-yyyy_hh_mm_ss AP")) + QStringLiteral("_EXCELoutTEST.xlsx");
}

double fittedWidth(const std::string& text) {
    // Bold characters of the default font are about a tenth wider than the unit; keep a margin.
    return static_cast<double>(text.size()) * 1.1 + 2.0;
}

SheetLayout datalogHeaderLayout(const DatalogHeaderInputs& in) {
    SheetLayout l;
    auto put = [&](int row, int col, std::string text) { l.cells.push_back({row, col, std::move(text)}); };
    const auto columns = blockColumns();
    for (int b = 0; b < kExportBlocks; ++b) {
        put(10, 1, "SAMPLE");
        put(11, 1, "POINT");
        const int c = kBlockColumns * b;
        const std::string prefix = "(" + std::to_string(b + 1) + "-" + in.boardAddressHex[b] + ") ";
        for (std::size_t k = 0; k < columns.size(); ++k) {
            put(10, c + 2 + static_cast<int>(k), prefix + columns[k].channel);
            put(11, c + 2 + static_cast<int>(k), columns[k].unit);
        }
        for (std::size_t r = 0; r < kStatusLegend.size(); ++r) put(static_cast<int>(r) + 1, c + 19, kStatusLegend[r]);
    }
    l.boldLastCol = lastBlockColumn(kExportBlocks);
    put(1, 1, in.savedPath.toStdString());
    put(2, 1, "ZMX7720-2 DATALOGGING SPREADSHEET");
    put(3, 2, "DATALOG SETUP MADE   = " + in.setupStamp);
    put(4, 2, "SECONDS = " + threeDecimals(in.setupSeconds));
    put(5, 2, "SAMPLES = " + std::to_string(in.setupSamples));
    put(6, 2, "CURRENT DATALOG VIEW = " + in.stampTimeDate);
    put(7, 2, "SECONDS = " + threeDecimals(in.datalogSeconds));
    put(8, 2, "SAMPLES = " + std::to_string(in.datalogSamplesShown));

    // "SAMPLE" and "POINT" are written once per block; a cell holds its last text only.
    std::map<std::pair<int, int>, std::size_t> last;
    for (std::size_t i = 0; i < l.cells.size(); ++i) last[{l.cells[i].row, l.cells[i].col}] = i;
    std::vector<SheetCell> unique;
    for (const auto& [pos, i] : last) unique.push_back(l.cells[i]);
    l.cells = std::move(unique);

    for (const SheetCell& cell : l.cells)
        if (cell.col <= l.boldLastCol)
            l.columnWidths[cell.col] = std::max(l.columnWidths[cell.col], fittedWidth(cell.text));
    return l;
}

QStringList defaultExportFolders() {
    return {QCoreApplication::applicationDirPath(),
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)};
}

QString chooseExportFolder(const QStringList& candidates, QString* why) {
    QStringList reasons;
    for (const QString& dir : candidates) {
        if (dir.isEmpty()) continue;
        if (!QFileInfo(dir).isDir() && !QDir().mkpath(dir)) {
            reasons << QStringLiteral("%1 does not exist and cannot be created").arg(QDir::toNativeSeparators(dir));
            continue;
        }
        // Permission bits do not tell the whole story (read-only mounts, root): try a file.
        QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".zmx-write-test-XXXXXX")));
        if (probe.open()) return QDir(dir).absolutePath();
        reasons << QStringLiteral("%1 is not writable (%2)").arg(QDir::toNativeSeparators(dir), probe.errorString());
    }
    if (why) *why = reasons.isEmpty() ? QStringLiteral("no folder to save in") : reasons.join(QStringLiteral("; "));
    return {};
}

bool writeDatalogWorkbook(const QString& path, const SheetLayout& layout, QString* error) {
    // Written under a temporary name beside the target: a failed save leaves the file that was there.
    ReplacingFile file(path.toStdString());
    std::string why;
    if (!file.open(&why)) {
        if (error) *error = QString::fromStdString(why);
        return false;
    }
    WorkbookWriter book;
    bool ok = book.open(QString::fromStdString(file.tempPath()), {}) && book.addSheet({}, layout);
    for (const SheetNumber& n : layout.numbers) ok = ok && book.number(n.row, n.col, n.value);
    ok = book.close() && ok;
    if (!ok) {
        if (error) *error = book.error();
        return false;
    }
    if (!file.commit(&why)) {
        if (error) *error = QString::fromStdString(why);
        return false;
    }
    return true;
}

}  // namespace zmx
