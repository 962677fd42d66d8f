#include "cli/CliOutput.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/ConfigFile.h"
#include "protocol/BoardAddress.h"
#include "protocol/Hex.h"
#include "rules/Thresholds.h"

namespace zmx {

namespace {

// Columns padded to their widest text, two blanks apart.
class Table {
public:
    explicit Table(std::vector<std::string> header) { rows_.push_back(std::move(header)); }
    void add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
    std::string text() const {
        std::vector<std::size_t> width;
        for (const auto& r : rows_)
            for (std::size_t c = 0; c < r.size(); ++c) {
                if (width.size() <= c) width.push_back(0);
                width[c] = std::max(width[c], r[c].size());
            }
        std::string out;
        for (const auto& r : rows_) {
            std::string line;
            for (std::size_t c = 0; c < r.size(); ++c) {
                line += r[c];
                if (c + 1 < r.size()) line += std::string(width[c] - r[c].size() + 2, ' ');
            }
            while (!line.empty() && line.back() == ' ') line.pop_back();
            out += line + "\n";
        }
        return out;
    }

private:
    std::vector<std::vector<std::string>> rows_;
};

std::string fixed(double v, int decimals) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// Volts rounded to the 0.1 mV the codes resolve, as JSON numbers without float noise.
double volts4(float v) { return std::round(static_cast<double>(v) * 10000.0) / 10000.0; }

std::string jsonText(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Indented).toStdString(); }

QString qs(const std::string& s) { return QString::fromStdString(s); }

std::string cellList(const std::array<bool, 12>& cells) {
    std::string s;
    for (int i = 0; i < 12; ++i)
        if (cells[static_cast<std::size_t>(i)]) s += (s.empty() ? "" : ",") + std::to_string(i + 1);
    return s.empty() ? "-" : s;
}

QJsonArray cellArray(const std::array<bool, 12>& cells) {
    QJsonArray a;
    for (int i = 0; i < 12; ++i)
        if (cells[static_cast<std::size_t>(i)]) a.append(i + 1);
    return a;
}

QJsonArray intArray(const std::vector<int>& v) {
    QJsonArray a;
    for (int i : v) a.append(i);
    return a;
}

// Board number, address and the read's verdict: the fields every board object starts with.
QJsonObject boardObject(const BoardRead& r) {
    QJsonObject o;
    o["board"] = r.slot + 1;
    o["address"] = qs(r.address);
    o["pecMatch"] = r.pecMatch;
    o["reply"] = qs(r.reply);
    return o;
}

std::string verdict(const BoardRead& r) { return r.pecMatch ? "match" : "MISMATCH"; }

QJsonObject configObject(const ConfigBytes& b) {
    const ConfigFields f = decodeConfig(b);
    QJsonObject o;
    o["cfgr"] = qs(configBytesText(b));
    o["cdc"] = f.cdc;
    o["tenCells"] = f.tenCells;
    o["lvlpl"] = f.levelPoll;
    o["gpio"] = QJsonArray{f.gpio[0] ? 1 : 0, f.gpio[1] ? 1 : 0};
    o["discharge"] = cellArray(f.discharge);
    o["mask"] = cellArray(f.mask);
    o["vuv"] = volts4(codeVolts(Threshold::Vuv, f.vuvCode));
    o["vov"] = volts4(codeVolts(Threshold::Vov, f.vovCode));
    return o;
}

std::vector<std::string> configColumns(const ConfigBytes& b) {
    const ConfigFields f = decodeConfig(b);
    return {configBytesText(b),
            std::to_string(f.cdc),
            f.tenCells ? "10" : "12",
            std::to_string(f.gpio[0]) + std::to_string(f.gpio[1]),
            cellList(f.discharge),
            cellList(f.mask),
            fixed(codeVolts(Threshold::Vuv, f.vuvCode), 3),
            fixed(codeVolts(Threshold::Vov, f.vovCode), 3)};
}

const std::vector<std::string> kConfigHeader = {"CFGR0..5", "CDC", "CELLS", "GPIO", "DISCHARGE", "MASK", "VUV", "VOV"};

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

std::vector<int> flaggedCells(const std::array<uint8_t, 3>& flags, bool overVoltage) {
    std::vector<int> cells;
    for (int i = 0; i < 12; ++i)
        if ((flags[static_cast<std::size_t>(i / 4)] >> (2 * (i % 4) + (overVoltage ? 1 : 0))) & 1)
            cells.push_back(i + 1);
    return cells;
}

std::string formatIdentify(const std::string& rawReply, bool supported, const std::string& link, bool json) {
    // The controller pads its identification with blanks to a fixed length.
    std::string reply = rawReply;
    while (!reply.empty() && (reply.back() == ' ' || reply.back() == '\0')) reply.pop_back();
    if (json) {
        QJsonObject o;
        o["command"] = "identify";
        o["link"] = qs(link);
        o["reply"] = qs(reply);
        o["supported"] = supported;
        return jsonText(o);
    }
    return "link:       " + link + "\ncontroller: " + reply + "\nsupported:  " + (supported ? "yes" : "no") + "\n";
}

std::string formatConfigReads(const std::vector<BoardRead>& reads, bool json) {
    if (json) {
        QJsonArray boards;
        for (const BoardRead& r : reads) {
            QJsonObject o = boardObject(r);
            const QJsonObject c = configObject(r.config);
            for (auto it = c.begin(); it != c.end(); ++it) o[it.key()] = it.value();
            boards.append(o);
        }
        return jsonText(QJsonObject{{"command", "read-config"}, {"boards", boards}});
    }
    Table t(concat({"BOARD", "ADDR", "PEC"}, kConfigHeader));
    for (const BoardRead& r : reads)
        t.add(concat({std::to_string(r.slot + 1), r.address, verdict(r)}, configColumns(r.config)));
    return t.text();
}

std::string formatVerification(const ConfigVerification& v, bool json) {
    auto differs = [&](int slot) {
        return std::find(v.mismatched.begin(), v.mismatched.end(), slot) != v.mismatched.end();
    };
    if (json) {
        QJsonArray writes, boards;
        for (const ConfigWrite& w : v.writes) {
            QJsonObject o;
            o["board"] = w.broadcast ? QJsonValue("all") : QJsonValue(w.slot + 1);
            o["cfgr"] = qs(configBytesText(w.bytes));
            o["request"] = qs(w.request);
            writes.append(o);
        }
        for (const BoardRead& r : v.readbacks) {
            QJsonObject o = boardObject(r);
            o["readBack"] = qs(configBytesText(r.config));
            o["verified"] = !differs(r.slot);
            boards.append(o);
        }
        return jsonText(
            QJsonObject{{"command", "write-config"}, {"writes", writes}, {"boards", boards}, {"verified", v.ok()}});
    }
    std::string out;
    for (const ConfigWrite& w : v.writes)
        out += "written " + std::string(w.broadcast ? "to every board" : "to board " + std::to_string(w.slot + 1)) +
               ": " + configBytesText(w.bytes) + "\n";
    Table t({"BOARD", "ADDR", "PEC", "READ BACK", "VERDICT"});
    for (const BoardRead& r : v.readbacks)
        t.add({std::to_string(r.slot + 1), r.address, verdict(r), configBytesText(r.config),
               differs(r.slot) ? "DIFFERS" : "ok"});
    return out + t.text();
}

std::string formatBoardResults(ReadWhat what, const std::vector<BoardResult>& results, bool json) {
    if (json) {
        QJsonArray boards;
        for (const BoardResult& br : results) {
            const BoardRead& r = br.read;
            QJsonObject o = boardObject(r);
            o["standby"] = br.standby;
            if (what == ReadWhat::Cells) {
                QJsonArray codes, volts, status;
                for (int i = 0; i < 12; ++i) {
                    codes.append(r.cellCodes[static_cast<std::size_t>(i)]);
                    volts.append(volts4(r.cellVolts[static_cast<std::size_t>(i)]));
                    status.append(r.cellStatus[static_cast<std::size_t>(i)]);
                }
                o["codes"] = codes;
                o["volts"] = volts;
                o["status"] = status;
            } else if (what == ReadWhat::Flags) {
                o["flgr"] = QJsonArray{qs(byteText(r.flags[0])), qs(byteText(r.flags[1])), qs(byteText(r.flags[2]))};
                o["underVoltage"] = intArray(flaggedCells(r.flags, false));
                o["overVoltage"] = intArray(flaggedCells(r.flags, true));
            } else {
                static const char* names[] = {"etmp1", "etmp2", "itmp"};
                for (int k = 0; k < 3; ++k) {
                    o[names[k]] = volts4(r.tempVolts[static_cast<std::size_t>(k)]);
                    o[QString(names[k]) + "Code"] = r.tempCodes[static_cast<std::size_t>(k)];
                }
                o["thermalShutdown"] = r.thermalBit == 1;
            }
            boards.append(o);
        }
        const char* cmd = what == ReadWhat::Cells   ? "read-cells"
                          : what == ReadWhat::Flags ? "read-flags"
                                                    : "read-temps";
        return jsonText(QJsonObject{{"command", cmd}, {"boards", boards}});
    }
    std::vector<std::string> header{"BOARD", "ADDR", "PEC"};
    if (what == ReadWhat::Cells) {
        for (int i = 1; i <= 12; ++i) header.push_back("CELL" + std::to_string(i));
        header.push_back("STATUS");
    } else if (what == ReadWhat::Flags) {
        header.insert(header.end(), {"FLGR0", "FLGR1", "FLGR2", "UNDER", "OVER"});
    } else {
        header.insert(header.end(), {"ETMP1", "ETMP2", "ITMP", "THSD"});
    }
    header.push_back("NOTE");
    Table t(header);
    auto list = [](const std::vector<int>& v) {
        std::string s;
        for (int c : v) s += (s.empty() ? "" : ",") + std::to_string(c);
        return s.empty() ? std::string("-") : s;
    };
    for (const BoardResult& br : results) {
        const BoardRead& r = br.read;
        std::vector<std::string> row{std::to_string(r.slot + 1), r.address, verdict(r)};
        if (what == ReadWhat::Cells) {
            std::string status;
            for (int i = 0; i < 12; ++i) {
                row.push_back(fixed(r.cellVolts[static_cast<std::size_t>(i)], 4));
                status += std::to_string(r.cellStatus[static_cast<std::size_t>(i)]);
            }
            row.push_back(status);
        } else if (what == ReadWhat::Flags) {
            for (uint8_t f : r.flags) row.push_back(byteText(f));
            row.push_back(list(flaggedCells(r.flags, false)));
            row.push_back(list(flaggedCells(r.flags, true)));
        } else {
            for (float v : r.tempVolts) row.push_back(fixed(v, 4));
            row.push_back(r.thermalBit == 1 ? "yes" : "no");
        }
        row.push_back(br.standby ? "standby" : "");
        t.add(row);
    }
    return t.text();
}

std::string formatSelfTest(const std::vector<SelfTestVerdict>& verdicts, bool json) {
    auto patterns = [](const SelfTestVerdict& v, const std::vector<bool>& passed) {
        std::string s;
        for (std::size_t i = 0; i < v.digits.size() && i < passed.size(); ++i) {
            const std::string pattern = v.digits[i] == "E" ? "555" : v.digits[i] == "F" ? "AAA" : "FFF";
            s += (s.empty() ? "" : " ") + pattern + (passed[i] ? ":ok" : ":FAIL");
        }
        return s;
    };
    bool all = !verdicts.empty();
    for (const auto& v : verdicts) all = all && v.passed();
    if (json) {
        QJsonArray boards;
        for (const auto& v : verdicts) {
            QJsonObject o;
            o["board"] = v.slot + 1;
            o["address"] = qs(defaultBoardAddress(v.slot));
            o["standby"] = v.standby;
            QJsonObject cells, temps;
            for (std::size_t i = 0; i < v.digits.size(); ++i) {
                cells[qs(v.digits[i])] = i < v.cellsPassed.size() && v.cellsPassed[i];
                temps[qs(v.digits[i])] = i < v.tempsPassed.size() && v.tempsPassed[i];
            }
            o["cells"] = cells;
            o["temps"] = temps;
            o["passed"] = v.passed();
            boards.append(o);
        }
        return jsonText(QJsonObject{{"command", "selftest"}, {"boards", boards}, {"passed", all}});
    }
    Table t({"BOARD", "ADDR", "CELLS", "TEMPS", "VERDICT"});
    for (const auto& v : verdicts)
        t.add({std::to_string(v.slot + 1), defaultBoardAddress(v.slot), patterns(v, v.cellsPassed),
               patterns(v, v.tempsPassed),
               v.standby    ? "FAIL (standby, CDC 0)"
               : v.passed() ? "pass"
                            : "FAIL"});
    return t.text();
}

std::string standbyNotice(const std::vector<int>& boardSlots) {
    if (boardSlots.empty()) return {};
    std::string boards;
    for (int s : boardSlots) boards += (boards.empty() ? "" : ", ") + std::to_string(s + 1);
    return std::string(boardSlots.size() == 1 ? "board " : "boards ") + boards +
           (boardSlots.size() == 1 ? " is" : " are") + " in standby (CDC 0) and convert" +
           (boardSlots.size() == 1 ? "s" : "") + " nothing: write a configuration with CDC 1..7 first (--config)";
}

std::string silentBoardLine(const BoardRead& read) {
    const std::string board = "board " + std::to_string(read.slot + 1) + " (0x" + read.address + ")";
    if (read.reply.empty()) return board + " does not answer: no reply to " + read.command;
    char pecs[64];
    std::snprintf(pecs, sizeof pecs, "PEC %02X received, %02X computed", read.rxPec, read.calcPec);
    return board + " does not answer: its " + read.command + " reply fails its check (" + pecs + ", reply \"" +
           read.reply + "\")";
}

std::string boardTallyLine(int slot, const std::string& address, const BoardTally& tally) {
    std::string line = "board " + std::to_string(slot + 1) + " (0x" + address + "): " + std::to_string(tally.reads) +
                       (tally.reads == 1 ? " read, " : " reads, ") + std::to_string(tally.failed) +
                       " failed (PEC mismatch or no reply), ";
    if (!tally.answered()) return line + (tally.reads == 0 ? "not read" : "never answered");
    return line + "last good read " +
           QDateTime::fromMSecsSinceEpoch(tally.lastGoodMs, Qt::UTC).toString(Qt::ISODateWithMs).toStdString();
}

namespace {

// A text for one table cell: control characters shown as escapes ("\n", "\t", "\x1B"), so
// a label with a line break cannot break the table's lines.
std::string oneLine(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c != 0x7F) {
            out += ch;
            continue;
        }
        switch (c) {
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: {
                static const char* digits = "0123456789ABCDEF";
                out += "\\x";
                out += digits[c >> 4];
                out += digits[c & 15];
            }
        }
    }
    return out;
}

}  // namespace

std::string formatRecordingList(const std::vector<RecordingInfo>& recordings, bool json) {
    if (json) {
        QJsonArray list;
        for (const RecordingInfo& r : recordings)
            list.append(QJsonObject{{"id", static_cast<qint64>(r.id)},
                                    {"start", qs(isoUtc(r.startUtcMs))},
                                    {"end", r.endUtcMs ? QJsonValue(qs(isoUtc(r.endUtcMs))) : QJsonValue()},
                                    {"host", qs(r.host)},
                                    {"label", qs(r.label)},
                                    {"boards", r.boards},
                                    {"reads", static_cast<qint64>(r.rows)},
                                    {"ended", recordingEndText(r.end)},
                                    {"rowsDropped", static_cast<qint64>(r.rowsDropped)}});
        return jsonText(QJsonObject{{"command", "list"}, {"recordings", list}});
    }
    Table t({"ID", "START", "END", "HOST", "BOARDS", "READS", "ENDED", "DROPPED", "LABEL"});
    for (const RecordingInfo& r : recordings)
        t.add({std::to_string(r.id), isoUtc(r.startUtcMs), r.endUtcMs ? isoUtc(r.endUtcMs) : "-", oneLine(r.host),
               std::to_string(r.boards), std::to_string(r.rows), recordingEndText(r.end), std::to_string(r.rowsDropped),
               oneLine(r.label)});
    return t.text();
}

std::string formatReplayRow(int64_t rowId, const BoardRead& r, bool json) {
    if (json) {
        QJsonObject o = boardObject(r);
        o["row"] = static_cast<qint64>(rowId);
        o["utcMs"] = static_cast<qint64>(r.utcMs);
        o["command"] = qs(r.command);
        switch (r.kind) {
            case ReadKind::Config: o["cfgr"] = qs(configBytesText(r.config)); break;
            case ReadKind::Cells: {
                QJsonArray volts;
                for (int i = r.firstCell - 1; i < r.firstCell - 1 + r.cellCount && i < 12; ++i)
                    volts.append(volts4(r.cellVolts[static_cast<std::size_t>(i)]));
                o["firstCell"] = r.firstCell;
                o["volts"] = volts;
                break;
            }
            case ReadKind::Flags:
                o["flgr"] = QJsonArray{qs(byteText(r.flags[0])), qs(byteText(r.flags[1])), qs(byteText(r.flags[2]))};
                break;
            case ReadKind::Temps:
                o["temps"] = QJsonArray{volts4(r.tempVolts[0]), volts4(r.tempVolts[1]), volts4(r.tempVolts[2])};
                o["thermalShutdown"] = r.thermalBit == 1;
                break;
        }
        return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString() + "\n";
    }
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(r.utcMs, Qt::UTC);
    std::string line = t.toString(Qt::ISODateWithMs).toStdString() + "  board " + std::to_string(r.slot + 1) + "  " +
                       r.command + std::string(6 - std::min<std::size_t>(6, r.command.size()), ' ') + "  " +
                       (r.pecMatch ? "match   " : "MISMATCH") + " ";
    switch (r.kind) {
        case ReadKind::Config: line += " " + configBytesText(r.config); break;
        case ReadKind::Cells:
            for (int i = r.firstCell - 1; i < r.firstCell - 1 + r.cellCount && i < 12; ++i)
                line += " " + fixed(r.cellVolts[static_cast<std::size_t>(i)], 4);
            break;
        case ReadKind::Flags:
            for (uint8_t f : r.flags) line += " " + byteText(f);
            break;
        case ReadKind::Temps:
            for (float v : r.tempVolts) line += " " + fixed(v, 4);
            if (r.thermalBit == 1) line += "  THSD";
            break;
    }
    return line + "\n";
}

}  // namespace zmx
