#include "cli/ConfigFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cctype>
#include <cmath>
#include <map>

#include "protocol/Hex.h"
#include "rules/CellStatus.h"
#include "rules/Thresholds.h"

namespace zmx {

namespace {

constexpr ConfigBytes kPowerOnImage{0xE0, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr int kMaxBoards = 10;

int lineAt(std::string_view text, std::size_t offset) {
    int line = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i)
        if (text[i] == '\n') ++line;
    return line;
}

// The line of every object key of a valid JSON text, by its path ("boards/1/cdc"); the
// parser itself keeps no positions, and an error should point at the line to fix.
std::map<std::string, int> keyLines(std::string_view text) {
    std::map<std::string, int> lines;
    struct Level {
        bool object;
        std::string key;
    };
    std::vector<Level> stack;
    bool expectKey = false;
    int line = 1;
    // The key being read belongs to the innermost object; the outer objects are named by
    // the key they are currently the value of.
    auto path = [&](const std::string& key) {
        std::string p;
        for (std::size_t j = 0; j + 1 < stack.size(); ++j)
            if (stack[j].object) p += stack[j].key + "/";
        return p + key;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') ++line;
        else if (c == '{' || c == '[') {
            stack.push_back({c == '{', {}});
            expectKey = c == '{';
        } else if (c == '}' || c == ']') {
            if (!stack.empty()) stack.pop_back();
            expectKey = false;
        } else if (c == ',') expectKey = !stack.empty() && stack.back().object;
        else if (c == '"') {
            std::string s;
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size()) ++i;
                if (text[i] == '\n') ++line;
                s += text[i];
            }
            if (expectKey && !stack.empty()) {
                lines.emplace(path(s), line);
                stack.back().key = s;
                expectKey = false;
            }
        }
    }
    return lines;
}

// Why a field cannot be used; thrown inside the parse and turned into the one error line.
struct FieldError {
    std::string field;
    std::string message;
};

int wholeNumber(const QJsonValue& v, const std::string& field, int lo, int hi, const std::string& what) {
    const double d = v.toDouble(NAN);
    if (!v.isDouble() || d != std::floor(d) || d < lo || d > hi) throw FieldError{field, what};
    return static_cast<int>(d);
}

bool flag(const QJsonValue& v, const std::string& field) {
    if (v.isBool()) return v.toBool();
    return wholeNumber(v, field, 0, 1, "takes true or false (or 1 or 0)") == 1;
}

std::array<bool, 12> cellSet(const QJsonValue& v, const std::string& field) {
    if (!v.isArray()) throw FieldError{field, "takes a list of cell numbers 1..12, e.g. [1, 5]"};
    std::array<bool, 12> cells{};
    for (const QJsonValue& item : v.toArray())
        cells[static_cast<std::size_t>(wholeNumber(item, field, 1, 12, "takes cell numbers from 1 to 12") - 1)] = true;
    return cells;
}

ConfigBytes bytesOf(const QJsonValue& v, const std::string& field) {
    const char* what = "takes six bytes in hex, e.g. \"E1 00 00 00 00 00\"";
    if (!v.isString()) throw FieldError{field, what};
    const std::string text = v.toString().toStdString();
    ConfigBytes bytes{};
    std::size_t n = 0, i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == ',' || text[i] == '\t') {
            ++i;
            continue;
        }
        std::size_t len = 0;
        while (i + len < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + len]))) ++len;
        if (len == 0 || len > 2 || n == 6) throw FieldError{field, what};
        bytes[n++] = static_cast<uint8_t>(hexTextValue(text.substr(i, len), 2));
        i += len;
    }
    if (n != 6) throw FieldError{field, what};
    return bytes;
}

// One entry ("all" or a board) as given: the bytes when named, the named fields that are
// present, and the threshold volts for the order check.
struct Entry {
    std::optional<ConfigBytes> cfgr;
    std::optional<int> cdc;
    std::optional<bool> tenCells, levelPoll;
    std::optional<std::array<bool, 2>> gpio;
    std::optional<std::array<bool, 12>> discharge, mask;
    std::optional<float> vuv, vov;
};

float volts(const QJsonValue& v, const std::string& field, Threshold which) {
    if (!v.isDouble()) throw FieldError{field, "takes a number of volts"};
    const float f = static_cast<float>(v.toDouble());
    if (!inEntryRange(which, f)) throw FieldError{field, which == Threshold::Vuv ? kVuvRangeMessage : kVovRangeMessage};
    return f;
}

Entry entryOf(const QJsonValue& value) {
    if (!value.isObject()) throw FieldError{"", "a board's entry must be an object of fields"};
    Entry e;
    const QJsonObject o = value.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
        const std::string k = it.key().toStdString();
        const QJsonValue& v = it.value();
        if (k == "cfgr") e.cfgr = bytesOf(v, k);
        else if (k == "cdc") e.cdc = wholeNumber(v, k, 0, 7, "CDC takes a whole number from 0 to 7");
        else if (k == "tenCells") e.tenCells = flag(v, k);
        else if (k == "lvlpl") e.levelPoll = flag(v, k);
        else if (k == "gpio") {
            if (!v.isArray() || v.toArray().size() != 2)
                throw FieldError{k, "takes [GPIO1, GPIO2], each 1 (Hi-Z) or 0 (out low)"};
            e.gpio = std::array<bool, 2>{flag(v.toArray()[0], k), flag(v.toArray()[1], k)};
        } else if (k == "discharge") e.discharge = cellSet(v, k);
        else if (k == "mask") e.mask = cellSet(v, k);
        else if (k == "vuv") e.vuv = volts(v, k, Threshold::Vuv);
        else if (k == "vov") e.vov = volts(v, k, Threshold::Vov);
        else
            throw FieldError{k,
                             "is not a configuration field (cfgr, cdc, tenCells, lvlpl, gpio, discharge, mask, "
                             "vuv, vov)"};
    }
    return e;
}

int16_t codeOf(Threshold which, float v) {
    const float unrounded = unroundedCode(which, v);
    return roundedCode(unrounded).value_or(unrounded < 0 ? 0 : 255);
}

void applyNamed(const Entry& e, ConfigFields& f, std::optional<float>& vuv, std::optional<float>& vov) {
    if (e.cdc) f.cdc = *e.cdc;
    if (e.tenCells) f.tenCells = *e.tenCells;
    if (e.levelPoll) f.levelPoll = *e.levelPoll;
    if (e.gpio) f.gpio = *e.gpio;
    if (e.discharge) f.discharge = *e.discharge;
    if (e.mask) f.mask = *e.mask;
    if (e.vuv) {
        f.vuvCode = codeOf(Threshold::Vuv, *e.vuv);
        vuv = e.vuv;
    }
    if (e.vov) {
        f.vovCode = codeOf(Threshold::Vov, *e.vov);
        vov = e.vov;
    }
}

}  // namespace

ConfigFields decodeConfig(const ConfigBytes& b) {
    ConfigFields f;
    f.cdc = b[0] & 0x07;
    f.tenCells = b[0] & 0x08;
    f.levelPoll = b[0] & 0x10;
    f.gpio = {static_cast<bool>(b[0] & 0x20), static_cast<bool>(b[0] & 0x40)};
    f.wdt = b[0] & 0x80;
    for (int i = 0; i < 12; ++i) {
        const CfgBit d = dischargeBitOf(i), m = maskBitOf(i);
        f.discharge[static_cast<std::size_t>(i)] = (b[static_cast<std::size_t>(d.byte)] >> d.bit) & 1;
        f.mask[static_cast<std::size_t>(i)] = (b[static_cast<std::size_t>(m.byte)] >> m.bit) & 1;
    }
    f.vuvCode = b[4];
    f.vovCode = b[5];
    return f;
}

ConfigBytes encodeConfig(const ConfigFields& f) {
    ConfigBytes b{};
    b[0] = static_cast<uint8_t>((f.cdc & 0x07) | (f.tenCells ? 0x08 : 0) | (f.levelPoll ? 0x10 : 0) |
                                (f.gpio[0] ? 0x20 : 0) | (f.gpio[1] ? 0x40 : 0) | (f.wdt ? 0x80 : 0));
    for (int i = 0; i < 12; ++i) {
        const CfgBit d = dischargeBitOf(i), m = maskBitOf(i);
        if (f.discharge[static_cast<std::size_t>(i)]) b[static_cast<std::size_t>(d.byte)] |= uint8_t(1 << d.bit);
        if (f.mask[static_cast<std::size_t>(i)]) b[static_cast<std::size_t>(m.byte)] |= uint8_t(1 << m.bit);
    }
    b[4] = static_cast<uint8_t>(f.vuvCode);
    b[5] = static_cast<uint8_t>(f.vovCode);
    return b;
}

std::string configBytesText(const ConfigBytes& bytes) {
    std::string s;
    for (uint8_t b : bytes) s += (s.empty() ? "" : " ") + byteText(b);
    return s;
}

ConfigFile parseConfigFile(std::string_view text, int boards, std::string_view sourceName) {
    ConfigFile out;
    const std::string src(sourceName);
    QJsonParseError pe{};
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())), &pe);
    if (pe.error != QJsonParseError::NoError) {
        out.error = src + " line " + std::to_string(lineAt(text, static_cast<std::size_t>(pe.offset))) +
                    ": not valid JSON (" + pe.errorString().toStdString() + ")";
        return out;
    }
    const auto lines = keyLines(text);
    auto fail = [&](const std::string& path, const std::string& message) {
        const auto it = lines.find(path);
        out.error = src + (it != lines.end() ? " line " + std::to_string(it->second) : std::string()) + ": " + message;
        out.images.clear();
    };
    if (!doc.isObject() || !doc.object().contains("boards") || !doc.object()["boards"].isObject()) {
        fail("boards", "the file must be an object with \"boards\": {\"1\": {...}, \"all\": {...}}");
        return out;
    }
    for (const QString& k : doc.object().keys())
        if (k != "boards") {
            fail(k.toStdString(), "field \"" + k.toStdString() + "\" is not known (only \"boards\")");
            return out;
        }

    const QJsonObject table = doc.object()["boards"].toObject();
    std::optional<Entry> all;
    std::array<std::optional<Entry>, kMaxBoards> own;
    for (auto it = table.begin(); it != table.end(); ++it) {
        const std::string key = it.key().toStdString();
        const std::string where = key == "all" ? "of \"all\"" : "of board " + key;
        int slot = -1;
        if (key != "all") {
            bool ok = false;
            const int n = it.key().toInt(&ok);
            if (!ok || n < 1 || n > kMaxBoards) {
                fail("boards/" + key, "board \"" + key + "\" is not a board number 1..10 or \"all\"");
                return out;
            }
            if (n > boards) {
                fail("boards/" + key,
                     "board " + key + " is not in the stack of " + std::to_string(boards) + " board(s) (--boards)");
                return out;
            }
            slot = n - 1;
        }
        try {
            Entry e = entryOf(it.value());
            if (slot < 0) all = std::move(e);
            else own[static_cast<std::size_t>(slot)] = std::move(e);
        } catch (const FieldError& err) {
            fail("boards/" + key + (err.field.empty() ? "" : "/" + err.field),
                 (err.field.empty() ? "entry " + where : "field \"" + err.field + "\" " + where) + ": " + err.message);
            return out;
        }
    }

    out.images.resize(static_cast<std::size_t>(boards));
    for (int s = 0; s < boards; ++s) {
        const auto& mine = own[static_cast<std::size_t>(s)];
        if (!mine && !all) continue;
        ConfigFields f = decodeConfig(kPowerOnImage);
        std::optional<float> vuv, vov;
        if (mine && mine->cfgr) {
            f = decodeConfig(*mine->cfgr);
        } else if (all) {
            if (all->cfgr) f = decodeConfig(*all->cfgr);
            applyNamed(*all, f, vuv, vov);
        }
        if (mine) applyNamed(*mine, f, vuv, vov);
        // Both thresholds in volts: the window's ordering rule (VUV below VOV).
        if (vuv && vov && unroundedCode(Threshold::Vuv, *vuv) >= unroundedCode(Threshold::Vov, *vov)) {
            const std::string key = mine && mine->vuv ? std::to_string(s + 1) : "all";
            fail("boards/" + key + "/vuv", std::string("board ") + std::to_string(s + 1) + ": " + kOrderMessage);
            return out;
        }
        out.images[static_cast<std::size_t>(s)] = encodeConfig(f);
    }
    return out;
}

ConfigFile loadConfigFile(const std::string& path, int boards) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        ConfigFile out;
        out.error = "cannot read the configuration file " + path + ": " + file.errorString().toStdString();
        return out;
    }
    const QByteArray data = file.readAll();
    return parseConfigFile(std::string_view(data.constData(), static_cast<std::size_t>(data.size())), boards, path);
}

}  // namespace zmx
