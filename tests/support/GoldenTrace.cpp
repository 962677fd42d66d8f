#include "support/GoldenTrace.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QList>

namespace zmx::test {

namespace {

QString goldenPath(const QString& relPath) { return qEnvironmentVariable("ZMX_SOURCE_DIR") + "/" + relPath; }

// The first line where a and b differ, numbered from 1 (0: none).
int firstDifference(const QList<QByteArray>& a, const QList<QByteArray>& b) {
    const qsizetype n = std::max(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (i >= a.size() || i >= b.size() || a[i] != b[i]) return static_cast<int>(i + 1);
    return 0;
}

}  // namespace

QString compareWithGolden(const QString& relPath, const QByteArray& text) {
    QFile file(goldenPath(relPath));
    if (qEnvironmentVariable("ZMX_UPDATE_GOLDEN") == "1") {
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return "cannot write " + file.fileName();
        file.write(text);
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) return "cannot read " + file.fileName() + " (ZMX_UPDATE_GOLDEN=1 writes it)";
    const QByteArray golden = file.readAll();
    if (golden == text) return {};
    const QList<QByteArray> want = golden.split('\n'), got = text.split('\n');
    const int line = firstDifference(want, got);
    const auto at = [line](const QList<QByteArray>& lines) {
        return line - 1 < lines.size() ? QString::fromUtf8(lines[line - 1]) : QStringLiteral("<end>");
    };
    return QStringLiteral("%1 differs at line %2:\n  golden: %3\n  now:    %4")
        .arg(relPath)
        .arg(line)
        .arg(at(want), at(got));
}

QByteArray traceLinesSince(const QString& path, qint64& offset) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    file.seek(offset);
    const QByteArray raw = file.readAll();
    offset += raw.size();
    QByteArray out;
    for (const QByteArray& line : raw.split('\n')) {
        if (line.isEmpty()) continue;
        // The time stamp is the wall clock's; everything after it is the transfer's.
        const qsizetype tab = line.indexOf('\t');
        out += "> " + line.mid(tab + 1) + '\n';
    }
    return out;
}

QMap<QString, QString> windowControls(const QByteArray& dumpJson) {
    QMap<QString, QString> shown;
    const QJsonObject root = QJsonDocument::fromJson(dumpJson).object();
    const auto addAll = [&](const QJsonArray& controls, const QString& prefix) {
        for (const QJsonValue& v : controls) {
            const QJsonObject o = v.toObject();
            const QString name = prefix + o.value("name").toString();
            for (auto it = o.begin(); it != o.end(); ++it) {
                if (it.key() == "name") continue;
                shown.insert(name + " " + it.key(), it.value().toVariant().toString());
            }
        }
    };
    addAll(root.value("controls").toArray(), {});
    addAll(root.value("added").toArray(), "added/");
    for (const QJsonValue& w : root.value("windows").toArray())
        addAll(w.toObject().value("controls").toArray(), w.toObject().value("name").toString() + "/");
    return shown;
}

QByteArray changedControls(const QMap<QString, QString>& before, const QMap<QString, QString>& now) {
    QByteArray out;
    for (auto it = now.begin(); it != now.end(); ++it)
        if (before.value(it.key(), QStringLiteral("\x01")) != it.value())
            out += "~ " + it.key().toUtf8() + "=" + it.value().toUtf8().replace('\n', "\\n") + '\n';
    return out;
}

}  // namespace zmx::test
