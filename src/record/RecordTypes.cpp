#include "record/RecordTypes.h"

#include <QDateTime>
#include <chrono>
#include <cstdio>

#include "model/StackState.h"
#include "protocol/Hex.h"
#include "rules/ConfigModel.h"

namespace zmx {

const char* recordingEndText(RecordingEnd end) {
    switch (end) {
        case RecordingEnd::Open: return "open";
        case RecordingEnd::Finished: return "finished";
        case RecordingEnd::Interrupted: return "interrupted";
        case RecordingEnd::ControllerLost: return "controller lost";
        case RecordingEnd::DatabaseLost: return "database lost";
        case RecordingEnd::Unknown: return "unknown";
    }
    return "open";
}

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
    char buf[32];
    return std::string(buf, isoUtc(utcMs, buf));
}

std::size_t isoUtc(int64_t utcMs, char* out) {
    using namespace std::chrono;
    const sys_time<milliseconds> t{milliseconds(utcMs)};
    const sys_days day = floor<days>(t);
    const year_month_day ymd(day);
    const hh_mm_ss<milliseconds> hms(t - day);
    const int y = static_cast<int>(ymd.year());
    if (y < 0 || y > 9999)  // outside what four digits hold: the long way
        return static_cast<std::size_t>(std::snprintf(out, 32, "%s",
                                                      QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC)
                                                          .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"))
                                                          .toStdString()
                                                          .substr(0, 31)
                                                          .c_str()));
    auto put = [&](std::size_t at, unsigned v, int digits) {
        for (int i = digits - 1; i >= 0; --i, v /= 10) out[at + i] = static_cast<char>('0' + v % 10);
    };
    put(0, static_cast<unsigned>(y), 4);
    out[4] = '-';
    put(5, static_cast<unsigned>(ymd.month()), 2);
    out[7] = '-';
    put(8, static_cast<unsigned>(ymd.day()), 2);
    out[10] = 'T';
    put(11, static_cast<unsigned>(hms.hours().count()), 2);
    out[13] = ':';
    put(14, static_cast<unsigned>(hms.minutes().count()), 2);
    out[16] = ':';
    put(17, static_cast<unsigned>(hms.seconds().count()), 2);
    out[19] = '.';
    put(20, static_cast<unsigned>(hms.subseconds().count()), 3);
    out[23] = 'Z';
    return 24;
}

}  // namespace zmx
