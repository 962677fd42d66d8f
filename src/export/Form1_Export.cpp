// Datalog header workbook export.

#include "shell/Form1.h"

namespace zmx {

void Form1::mnuExcelOutTest_Click() {}
void Form1::connectExportHandlers() {}

}  // namespace zmx
