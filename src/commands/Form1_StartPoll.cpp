// Start-conversion and poll commands.

#include "shell/Form1.h"

namespace zmx {

QString Form1::StartCellConversion(int kind, const std::string& lowDigit) { return {}; }
void Form1::StartTempConversion(const std::string& lowDigit) {}
void Form1::SendPoll(int kind) {}

}  // namespace zmx
