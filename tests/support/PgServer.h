#pragma once
// A throwaway PostgreSQL server for tests: initdb and pg_ctl of the installed Debian
// package on a temporary folder, listening only on a Unix socket in that folder. Run as
// the unprivileged user "nobody" when the test runs as root (initdb refuses root).

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace zmx::test {

class PgServer {
public:
    PgServer();
    ~PgServer();  // stops the server, removes its folder

    // initdb and start; false with the reason (and the server log) in error().
    bool setUp();
    bool start();
    bool stop();  // fast shutdown: open connections are cut
    // postgresql://zmx@localhost:PORT/postgres?host=<socket folder>
    QString url() const;
    const QString& error() const { return error_; }

private:
    bool run(const QString& program, const QStringList& args, int timeoutMs);
    QString bin_;
    std::unique_ptr<QTemporaryDir> dir_;
    int port_ = 0;
    bool running_ = false;
    QString error_;
};

}  // namespace zmx::test
