#include "support/PgServer.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <algorithm>

namespace zmx::test {

namespace {
constexpr const char* kServerUser = "nobody";
}

PgServer::PgServer() {
    // The newest installed server version.
    QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    if (!versions.isEmpty()) bin_ = root.filePath(versions.last() + QStringLiteral("/bin"));
    port_ = 20000 + static_cast<int>(getpid() % 20000);
}

PgServer::~PgServer() {
    if (running_)
        run(bin_ + QStringLiteral("/pg_ctl"),
            {QStringLiteral("-D"), dir_->filePath(QStringLiteral("data")), QStringLiteral("-m"),
             QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")},
            30000);
}

bool PgServer::run(const QString& program, const QStringList& args, int timeoutMs) {
    QStringList full = args;
    QString exe = program;
    if (geteuid() == 0) {
        full =
            QStringList{QStringLiteral("-u"), QString::fromLatin1(kServerUser), QStringLiteral("--"), program} + args;
        exe = QStringLiteral("runuser");
    }
    QProcess p;
    p.setWorkingDirectory(dir_->path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(exe, full);
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        QFile log(dir_->filePath(QStringLiteral("server.log")));
        const QString logText = log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
        error_ = QStringLiteral("%1 %2 failed: %3 %4\n%5")
                     .arg(exe, full.join(QLatin1Char(' ')), p.errorString(), QString::fromLocal8Bit(p.readAll()),
                          logText.right(2000));
        if (p.state() != QProcess::NotRunning) p.kill();
        return false;
    }
    return true;
}

bool PgServer::setUp() {
    if (bin_.isEmpty() || !QFile::exists(bin_ + QStringLiteral("/initdb"))) {
        error_ = QStringLiteral(
            "no PostgreSQL server installed under /usr/lib/postgresql (scripts/deps installs "
            "the postgresql package)");
        return false;
    }
    dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/zmx-pg-XXXXXX"));
    if (!dir_->isValid()) {
        error_ = QStringLiteral("cannot make a temporary folder: ") + dir_->errorString();
        return false;
    }
    if (geteuid() == 0) {
        const passwd* pw = getpwnam(kServerUser);
        if (!pw || chown(QFile::encodeName(dir_->path()).constData(), pw->pw_uid, pw->pw_gid) != 0) {
            error_ = QStringLiteral("cannot hand %1 to user %2").arg(dir_->path(), QString::fromLatin1(kServerUser));
            return false;
        }
    }
    if (!run(bin_ + QStringLiteral("/initdb"),
             {QStringLiteral("-D"), dir_->filePath(QStringLiteral("data")), QStringLiteral("-U"), QStringLiteral("zmx"),
              QStringLiteral("--auth=trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
              QStringLiteral("--locale=C"), QStringLiteral("--no-sync")},
             120000))
        return false;
    return start();
}

bool PgServer::start() {
    const QString options =
        QStringLiteral("-k %1 -p %2 -c listen_addresses='' -c fsync=off").arg(dir_->path()).arg(port_);
    if (!run(bin_ + QStringLiteral("/pg_ctl"),
             {QStringLiteral("-D"), dir_->filePath(QStringLiteral("data")), QStringLiteral("-l"),
              dir_->filePath(QStringLiteral("server.log")), QStringLiteral("-o"), options, QStringLiteral("-w"),
              QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")},
             90000))
        return false;
    running_ = true;
    return true;
}

bool PgServer::stop() {
    if (!run(bin_ + QStringLiteral("/pg_ctl"),
             {QStringLiteral("-D"), dir_->filePath(QStringLiteral("data")), QStringLiteral("-m"),
              QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")},
             60000))
        return false;
    running_ = false;
    return true;
}

QString PgServer::url() const {
    return QStringLiteral("postgresql://zmx@localhost:%1/postgres?host=%2").arg(port_).arg(dir_->path());
}

}  // namespace zmx::test
