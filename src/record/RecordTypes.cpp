#include "record/RecordTypes.h"

#include <QDateTime>

#include "config/ConfigModel.h"
#include "model/StackState.h"
#include "protocol/Hex.h"

namespace zmx {

RecordingContext contextFromState(const StackState& st, const std::string& link, const std::string& controllerId,
                                  const std::string& label) {
    RecordingContext c;
    c.programVersion = ZMX_VERSION;
    c.link = link;
    c.controllerId = controllerId;
    c.label = label;
    c.boardCount = st.lastBoardIndex + 1;
    for (int s = 0; s <= st.lastBoardIndex && s < kBoards; ++s) {
        BoardContext b;
        b.slot = s;
        b.address = st.boardAddressHex[s];
        for (int k = 0; k < 6; ++k) {
            b.configWritten[k] = textToByte(st.cfgWritten[s][k]);
            b.configReadBack[k] = textToByte(st.cfgReadback[s][k]);
        }
        b.vuvCode = st.vuvCode[s];
        b.vovCode = st.vovCode[s];
        // What the chip was last sent decides whether it converts; the image before any write.
        b.cdc = st.cfgWritten[s][0].empty() ? st.cdcValue[s] : cdcOfWritten(st.cfgWritten[s][0]);
        c.boards.push_back(b);
    }
    return c;
}

std::string isoUtc(int64_t utcMs) {
    return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"))
        .toStdString();
}

}  // namespace zmx
