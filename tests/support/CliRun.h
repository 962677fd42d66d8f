#pragma once
// Runs the built zmx7730-cli (or another of the programs) as a user would, and keeps what it
// printed and its exit status.

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace zmx::test {

struct Run {
    int code = -1;  // -1 when the program crashed or did not end
    QString out, err;
};

inline QString program(const char* name = "zmx7730-cli") {
    return QDir(qEnvironmentVariable("ZMX_BINARY_DIR")).filePath(name);
}

inline Run cli(const QStringList& args, const QString& dir = {}) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(program(), args);
    if (!p.waitForFinished(60000)) p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace zmx::test
