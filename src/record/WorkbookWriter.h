#pragma once
// An .xlsx file written sheet by sheet: each sheet starts with a header layout (its bold
// range and column widths), then takes text and number cells. Streamed, a sheet's rows go
// to a scratch file as they are finished, so memory stays flat however many rows there
// are; cells must then come in row order (any column order within a row).

#include <QString>
#include <memory>
#include <string>

#include "record/DatalogWorkbook.h"

namespace zmx {

class WorkbookWriter {
public:
    struct Options {
        bool streamed = false;  // row by row through scratch files (texts are stored inline)
        bool zip64 = false;     // for parts of 4 GB or more
        QString scratchFolder;  // where streamed rows wait (empty: the system's temporary folder)
    };
    WorkbookWriter();
    ~WorkbookWriter();  // a workbook never closed is closed, its result unchecked
    WorkbookWriter(const WorkbookWriter&) = delete;
    WorkbookWriter& operator=(const WorkbookWriter&) = delete;

    bool open(const QString& path, const Options& options);
    // A new sheet (an empty name: the default "SheetN") and the header cells of the layout;
    // later cells go to it.
    bool addSheet(const std::string& name, const SheetLayout& header);
    bool text(int row, int col, const std::string& text);  // row and column from 1
    bool number(int row, int col, double value);
    // Writes the file. False when this or any earlier step failed; error() says why.
    bool close();
    const QString& error() const { return error_; }

private:
    bool fail(const QString& why);
    struct Book;
    std::unique_ptr<Book> book_;
    QString error_;
};

}  // namespace zmx
