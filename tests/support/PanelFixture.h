#pragma once
// Helpers of the operating-mode window tests: every transfer in order (an empty write-only
// transfer included) and the request texts the panel's commands send.

#include <QPair>
#include <QWidget>
#include <string>
#include <vector>

#include "protocol/Pec.h"
#include "support/TestSupport.h"

namespace zmx::test {

// The texts of the transfers since the last call, identification requests left out; a
// transfer that wrote nothing shows as "".
inline std::vector<std::string> takeTransfers(WindowFixture& f) {
    std::vector<std::string> out;
    auto& all = f.recorder->transfers;
    static_cast<void>(f.takeWrites());  // keep the fixture's own write cursor in step
    for (std::string& t : all)
        if (t != "IZ") out.push_back(t);
    all.clear();
    return out;
}

inline std::string rdcfg(const std::string& addr) {
    return "MSxT" + addr + "T" + PecOfHexByte(addr) + "T02TCERRRRRRRX";
}
inline std::string rdcv(const std::string& addr) {
    return "MSxT" + addr + "T" + PecOfHexByte(addr) + "T04TDC" + std::string(19, 'R') + "X";
}
inline std::string rdtmp(const std::string& addr) { return "MSxT" + addr + "T" + PecOfHexByte(addr) + "T0ETEARRRRRRX"; }
inline std::string rdflg(const std::string& addr) { return "MSxT" + addr + "T" + PecOfHexByte(addr) + "T0CTE4RRRRX"; }
inline const std::string kStandbyWrcfg = "MSxT01SC7SE0S00S00S00S00S00SFEX";
inline const std::string kBroadcastStcvad = "MSxS10SB0X";
inline const std::string kBroadcastSttmpad = "MSxS30S" + PecOfHexByte("30") + "X";

// Left and width of a control in window units.
inline QPair<int, int> span(const QWidget* w) { return {w->geometry().left(), w->geometry().width()}; }

}  // namespace zmx::test
