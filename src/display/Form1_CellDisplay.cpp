// Cell values, status codes, lamps and bars.

#include "shell/Form1.h"

namespace zmx {

void Form1::ShowCellVolts(int selector) {}
void Form1::ShowCellHex(int selector) {}
void Form1::ClearCellValues() {}
void Form1::EvaluateCellStatus(int slot) {}
void Form1::EvaluateCellStatusAll() {}
void Form1::ShowCellStatus() {}
void Form1::ClearCellStatus(bool allBoards) {}
void Form1::SelectSingleCell(int index) {}
void Form1::connectDisplayHandlers() {}

}  // namespace zmx
