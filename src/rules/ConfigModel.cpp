#include "rules/ConfigModel.h"

#include "protocol/Hex.h"

namespace zmx {

namespace {

struct CdcMode {
    std::string_view firstRow;
    std::string_view secondRow;
    int measureMs;  // cell measurement time; 0 where the converter is off
};

// Second rows shared by several CDC values.
constexpr std::string_view kCellVoltageRow =
    "|                                   |                                       |           (Cell Voltage)           |  ";
constexpr std::string_view kVrefSettlingRow =
    "|                                   |     8mS output settling    |  8mS VREF + 13mS Cell V | ";

// Columns: comparator period | VREF powered down between measurements | cell measurement time |
constexpr std::array<CdcMode, 8> kCdcModes{{
    {"|     Comparator Off     |                 Yes                |                   N/A                  | ",
     "|default StandbyMode |          VREF is OFF!         |             ADC is OFF!           | ", 0},
    {"|     Comparator Off    |                 No                  |                   13mS                 | ",
     "|                                  |                                       |           (Cell Voltage)            | ",
     13},
    {"|              13mS            |                 No                  |                   13mS                | ",
     "|                                   |                                       |           (Cell Voltage)           |",
     13},
    {"|             130mS           |                 No                  |                   13mS                | ",
     kCellVoltageRow, 13},
    {"|              500mS          |                 No                  |                   13mS                | ",
     kCellVoltageRow, 13},
    {"|              130mS          |                Yes                 |                   21mS               | ",
     kVrefSettlingRow, 21},
    {"|              500mS          |                Yes                 |                   21mS               | ",
     kVrefSettlingRow, 21},
    {"|            2000mS          |                Yes                 |                   21mS               | ",
     kVrefSettlingRow, 21},
}};

}  // namespace

std::string encodeRegister(const RegisterBits& bits) {
    int value = 0;
    for (int i = 0; i < 8; ++i)
        if (bits[static_cast<std::size_t>(i)]) value |= 1 << i;
    return byteText(static_cast<uint8_t>(value));
}

RegisterBits decodeRegister(std::string_view hexText) {
    const uint8_t v = textToByte(hexText);
    RegisterBits bits{};
    for (int i = 0; i < 8; ++i) bits[static_cast<std::size_t>(i)] = (v >> i) & 1;
    return bits;
}

std::string withCdcBits(std::string_view cfgr0, int cdc) {
    const uint8_t v = textToByte(cfgr0);
    return byteText(static_cast<uint8_t>((v & 0xF8) | (cdc & 0x07)));
}

int cdcOfImage(std::string_view cfgr0) { return textToByte(cfgr0) & 0x07; }

int cdcOfWritten(std::string_view cfgr0) {
    if (cfgr0.empty()) return 0;
    return static_cast<int>(hexTextValue(cfgr0.substr(cfgr0.size() - 1), 1)) & 0x07;
}

int cdcMeasureMs(int cdc) { return kCdcModes[static_cast<std::size_t>(cdc & 0x07)].measureMs; }

std::string cdcModeText(int cdc) {
    const CdcMode& m = kCdcModes[static_cast<std::size_t>(cdc & 0x07)];
    std::string text(m.firstRow);
    text += m.secondRow;
    return text;
}

PendingMarks pendingMarks(const StackState& st, int slot) {
    const auto& image = st.cfgImage[static_cast<std::size_t>(slot)];
    const auto& written = st.cfgWritten[static_cast<std::size_t>(slot)];
    PendingMarks p;
    p.registers = image != written;
    p.cdc = cdcOfImage(image[0]) != cdcOfWritten(written[0]);
    p.vuv = image[4] != written[4];
    p.vov = image[5] != written[5];
    return p;
}

std::string writtenBoxText(std::string_view cfgr) { return "   " + std::string(cfgr) + "   "; }

}  // namespace zmx
