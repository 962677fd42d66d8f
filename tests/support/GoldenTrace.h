#pragma once
// Golden files for behaviour that must not change when the code is restructured: a test
// builds a text (transfers and what the window shows) and compares it byte for byte with a
// file committed under tests/. With ZMX_UPDATE_GOLDEN=1 the test writes the file instead.

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>

namespace zmx::test {

// Compares text with the golden file at relPath (relative to the source tree); empty when
// equal (or just written), else the first differing line of each side.
QString compareWithGolden(const QString& relPath, const QByteArray& text);

// The lines of a link trace file from offset on, without their time stamps; offset moves
// to the end of what was read.
QByteArray traceLinesSince(const QString& path, qint64& offset);

// What the window shows, one "control field=value" entry per control, read from its dump.
QMap<QString, QString> windowControls(const QByteArray& dumpJson);

// The entries of now that differ from before, one line each, in name order.
QByteArray changedControls(const QMap<QString, QString>& before, const QMap<QString, QString>& now);

}  // namespace zmx::test
