#pragma once
// Reads back a saved .xlsx file the way a spreadsheet would: unzips it (Debian's unzip) and
// resolves each cell of a sheet through the shared-strings part, or takes its inline text.

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace zmx::test {

struct SheetContents {
    QMap<QString, QString> text;   // "A1" -> the cell's text
    QSet<QString> bold;            // cells whose style is bold
    QMap<QString, double> widths;  // column letters -> width set for it
    QString error;                 // why the file could not be read
};

SheetContents readFirstSheet(const QString& xlsxPath);
// Sheet `index` (from 1) of the workbook.
SheetContents readSheet(const QString& xlsxPath, int index);
// The sheets' names in the workbook's order; empty when it cannot be read.
QStringList sheetNames(const QString& xlsxPath);

}  // namespace zmx::test
