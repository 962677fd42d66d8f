// Datalog header workbook export ("Excel Out Test" in the "Datalog" menu).

#include <QDir>

#include "record/DatalogWorkbook.h"
#include "window/shell/Form1.h"

namespace zmx {

// Writes the header workbook (ten board blocks whatever the stack size), saves it in the
// program's folder or else the documents folder, and opens it. Every failure is shown with
// the path and the reason; the stack state, the board count included, stays as it was.
void Form1::mnuExcelOutTest_Click() {
    const QString name = exportFileName(seams().now());
    QString why;
    const QString folder = chooseExportFolder(exportFolders ? exportFolders() : defaultExportFolders(), &why);
    if (folder.isEmpty()) {
        seams().messageBox(QStringLiteral("The datalog workbook %1 could not be saved: %2.").arg(name, why));
        return;
    }
    const QString path = QDir::toNativeSeparators(QDir(folder).filePath(name));

    DatalogHeaderInputs in;
    in.savedPath = path;
    for (int b = 0; b < kExportBlocks; ++b) in.boardAddressHex[b] = st.boardAddressHex[b];
    in.setupStamp = st.setupStamp;
    in.setupSeconds = st.setupSeconds;
    in.setupSamples = st.setupSamples;
    in.stampTimeDate = st.stampTimeDate;
    in.datalogSeconds = st.datalogSeconds;
    in.datalogSamplesShown = st.datalogSamplesShown;

    if (!writeDatalogWorkbook(path, datalogHeaderLayout(in), &why)) {
        seams().messageBox(QStringLiteral("The datalog workbook could not be saved as %1: %2.").arg(path, why));
        return;
    }
    if (!seams().openFile(path, &why))
        seams().messageBox(QStringLiteral("The datalog workbook was saved as %1 but could not be opened: %2.")
                               .arg(path, why.isEmpty() ? QStringLiteral("no reason given") : why));
}

// "Create New Setup", "Use Previous Setup" and "View Last Datalog" have no action.
void Form1::connectExportHandlers() {
    connect(ui.mnuExcelOutTest, &QAction::triggered, this, [this] { mnuExcelOutTest_Click(); });
}

}  // namespace zmx
