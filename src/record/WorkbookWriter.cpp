#include "record/WorkbookWriter.h"

#include <algorithm>
#include <map>

#ifdef ZMX_HAVE_XLSXWRITER
#include <xlsxwriter.h>
#endif

namespace zmx {

#ifdef ZMX_HAVE_XLSXWRITER

struct WorkbookWriter::Book {
    lxw_workbook* wb = nullptr;
    lxw_worksheet* ws = nullptr;
    lxw_format* bold = nullptr;
    QByteArray scratch;  // kept alive for the workbook's options
};

WorkbookWriter::WorkbookWriter() = default;

WorkbookWriter::~WorkbookWriter() {
    if (book_ && book_->wb) workbook_close(book_->wb);
}

bool WorkbookWriter::fail(const QString& why) {
    if (error_.isEmpty()) error_ = why;
    return false;
}

bool WorkbookWriter::open(const QString& path, const Options& options) {
    book_ = std::make_unique<Book>();
    book_->scratch = options.scratchFolder.toUtf8();
    lxw_workbook_options o{};
    o.constant_memory = options.streamed ? LXW_TRUE : LXW_FALSE;
    o.tmpdir = book_->scratch.isEmpty() ? nullptr : book_->scratch.data();
    o.use_zip64 = options.zip64 ? LXW_TRUE : LXW_FALSE;
    book_->wb = workbook_new_opt(path.toUtf8().constData(), &o);
    if (!book_->wb) return fail(QStringLiteral("the workbook could not be created"));
    book_->bold = workbook_add_format(book_->wb);
    if (!book_->bold) return fail(QStringLiteral("the workbook could not be created"));
    format_set_bold(book_->bold);
    return true;
}

bool WorkbookWriter::addSheet(const std::string& name, const SheetLayout& header) {
    if (!book_ || !book_->wb) return fail(QStringLiteral("the workbook is not open"));
    book_->ws = workbook_add_worksheet(book_->wb, name.empty() ? nullptr : name.c_str());
    if (!book_->ws)
        return fail(QStringLiteral("the worksheet %1 could not be created").arg(QString::fromStdString(name)));
    for (const auto& [col, width] : header.columnWidths) {
        const auto c = static_cast<lxw_col_t>(col - 1);
        if (worksheet_set_column(book_->ws, c, c, width, nullptr) != LXW_NO_ERROR)
            return fail(QStringLiteral("a column width could not be set"));
    }
    // Row by row, so a streamed sheet takes the header too.
    std::map<std::pair<int, int>, const std::string*> texts;
    for (const SheetCell& c : header.cells) texts[{c.row, c.col}] = &c.text;
    const int lastRow = std::max(header.boldLastRow, texts.empty() ? 0 : texts.rbegin()->first.first);
    for (int r = 1; r <= lastRow; ++r) {
        // The bold range covers empty cells too, so values typed into the header later are bold.
        if (r <= header.boldLastRow) {
            for (int c = 1; c <= header.boldLastCol; ++c) {
                const auto it = texts.find({r, c});
                const auto row = static_cast<lxw_row_t>(r - 1);
                const auto col = static_cast<lxw_col_t>(c - 1);
                const lxw_error rc = it != texts.end()
                                         ? worksheet_write_string(book_->ws, row, col, it->second->c_str(), book_->bold)
                                         : worksheet_write_blank(book_->ws, row, col, book_->bold);
                if (rc != LXW_NO_ERROR) return fail(QString::fromUtf8(lxw_strerror(rc)));
            }
        }
        for (auto it = texts.lower_bound({r, 0}); it != texts.end() && it->first.first == r; ++it)
            if (r > header.boldLastRow || it->first.second > header.boldLastCol)
                if (!text(r, it->first.second, *it->second)) return false;
    }
    return true;
}

bool WorkbookWriter::text(int row, int col, const std::string& text) {
    if (!book_ || !book_->ws) return fail(QStringLiteral("no worksheet to write to"));
    const lxw_error rc = worksheet_write_string(book_->ws, static_cast<lxw_row_t>(row - 1),
                                                static_cast<lxw_col_t>(col - 1), text.c_str(), nullptr);
    return rc == LXW_NO_ERROR || fail(QString::fromUtf8(lxw_strerror(rc)));
}

bool WorkbookWriter::number(int row, int col, double value) {
    if (!book_ || !book_->ws) return fail(QStringLiteral("no worksheet to write to"));
    const lxw_error rc = worksheet_write_number(book_->ws, static_cast<lxw_row_t>(row - 1),
                                                static_cast<lxw_col_t>(col - 1), value, nullptr);
    return rc == LXW_NO_ERROR || fail(QString::fromUtf8(lxw_strerror(rc)));
}

bool WorkbookWriter::close() {
    if (!book_ || !book_->wb) return fail(QStringLiteral("the workbook is not open"));
    // workbook_close writes the file and frees the workbook whatever happens.
    const lxw_error rc = workbook_close(book_->wb);
    book_->wb = nullptr;
    book_->ws = nullptr;
    if (rc != LXW_NO_ERROR) fail(QString::fromUtf8(lxw_strerror(rc)));
    return error_.isEmpty();
}

#else

struct WorkbookWriter::Book {};
WorkbookWriter::WorkbookWriter() = default;
WorkbookWriter::~WorkbookWriter() = default;
bool WorkbookWriter::fail(const QString& why) {
    if (error_.isEmpty()) error_ = why;
    return false;
}
bool WorkbookWriter::open(const QString&, const Options&) {
    return fail(QStringLiteral("this build has no workbook support (install libxlsxwriter-dev and rebuild)"));
}
bool WorkbookWriter::addSheet(const std::string&, const SheetLayout&) { return fail(error_); }
bool WorkbookWriter::text(int, int, const std::string&) { return fail(error_); }
bool WorkbookWriter::number(int, int, double) { return fail(error_); }
bool WorkbookWriter::close() { return fail(error_); }

#endif

}  // namespace zmx
