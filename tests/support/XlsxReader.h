#pragma once
// Reads back a saved .xlsx file the way a spreadsheet would: unzips it (Debian's unzip) and
// resolves each cell of the first sheet through the shared-strings part.

#include <QMap>
#include <QSet>
#include <QString>

namespace zmx::test {

struct SheetContents {
    QMap<QString, QString> text;   // "A1" -> the cell's text
    QSet<QString> bold;            // cells whose style is bold
    QMap<QString, double> widths;  // column letters -> width set for it
    QString error;                 // why the file could not be read
};

SheetContents readFirstSheet(const QString& xlsxPath);

}  // namespace zmx::test
