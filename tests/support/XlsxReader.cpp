#include "support/XlsxReader.h"

#include <QProcess>
#include <QStringList>
#include <QVector>
#include <QXmlStreamReader>

namespace zmx::test {

namespace {

QByteArray unzipPart(const QString& zip, const QString& part, QString* error) {
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, part});
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QStringLiteral("unzip of %1 from %2 failed: %3")
                     .arg(part, zip, QString::fromLocal8Bit(p.readAllStandardError()));
        return {};
    }
    return p.readAllStandardOutput();
}

QString columnLetters(int col) {
    QString s;
    for (; col > 0; col = (col - 1) / 26) s.prepend(QChar('A' + (col - 1) % 26));
    return s;
}

}  // namespace

SheetContents readFirstSheet(const QString& xlsxPath) { return readSheet(xlsxPath, 1); }

QStringList sheetNames(const QString& xlsxPath) {
    QString error;
    QStringList names;
    for (QXmlStreamReader x(unzipPart(xlsxPath, QStringLiteral("xl/workbook.xml"), &error)); !x.atEnd();) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("sheet")) names << x.attributes().value("name").toString();
    }
    return names;
}

SheetContents readSheet(const QString& xlsxPath, int index) {
    SheetContents out;
    // A workbook written row by row keeps its texts in the cells and may have no shared strings.
    QString noShared;
    const QByteArray shared = unzipPart(xlsxPath, QStringLiteral("xl/sharedStrings.xml"), &noShared);
    const QByteArray sheet = unzipPart(xlsxPath, QStringLiteral("xl/worksheets/sheet%1.xml").arg(index), &out.error);
    const QByteArray styles = unzipPart(xlsxPath, QStringLiteral("xl/styles.xml"), &out.error);
    if (!out.error.isEmpty()) return out;

    QStringList strings;
    for (QXmlStreamReader x(shared); !x.atEnd();) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("si")) strings << QString();
        else if (x.isStartElement() && x.name() == QLatin1String("t") && !strings.isEmpty())
            strings.last() += x.readElementText();
    }

    // Bold styles: cellXfs entries whose font has <b/>.
    QVector<bool> fontBold;
    QVector<int> xfFont;
    bool inFonts = false, inXfs = false;
    for (QXmlStreamReader x(styles); !x.atEnd();) {
        x.readNext();
        if (x.isStartElement()) {
            if (x.name() == QLatin1String("fonts")) inFonts = true;
            else if (x.name() == QLatin1String("cellXfs")) inXfs = true;
            else if (inFonts && x.name() == QLatin1String("font")) fontBold << false;
            else if (inFonts && x.name() == QLatin1String("b") && !fontBold.isEmpty()) fontBold.last() = true;
            else if (inXfs && x.name() == QLatin1String("xf")) xfFont << x.attributes().value("fontId").toInt();
        } else if (x.isEndElement()) {
            if (x.name() == QLatin1String("fonts")) inFonts = false;
            else if (x.name() == QLatin1String("cellXfs")) inXfs = false;
        }
    }

    for (QXmlStreamReader x(sheet); !x.atEnd();) {
        x.readNext();
        if (!x.isStartElement()) continue;
        if (x.name() == QLatin1String("col")) {
            const int min = x.attributes().value("min").toInt();
            const int max = x.attributes().value("max").toInt();
            for (int c = min; c <= max; ++c) out.widths[columnLetters(c)] = x.attributes().value("width").toDouble();
        } else if (x.name() == QLatin1String("c")) {
            const QString ref = x.attributes().value("r").toString();
            const bool isShared = x.attributes().value("t") == QLatin1String("s");
            const int style = x.attributes().value("s").toInt();
            if (style > 0 && style < xfFont.size() && xfFont[style] < fontBold.size() && fontBold[xfFont[style]])
                out.bold.insert(ref);
            while (!(x.isEndElement() && x.name() == QLatin1String("c")) && !x.atEnd()) {
                x.readNext();
                if (x.isStartElement() && x.name() == QLatin1String("t")) {
                    out.text[ref] = x.readElementText();  // an inline string
                } else if (x.isStartElement() && x.name() == QLatin1String("v")) {
                    const QString v = x.readElementText();
                    const int i = v.toInt();
                    out.text[ref] = isShared && i >= 0 && i < strings.size() ? strings[i] : v;
                }
            }
        }
    }
    return out;
}

}  // namespace zmx::test
