#include "window/shell/Seams.h"

#include <unistd.h>
#include <cstdio>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace zmx {

// Message boxes need widgets; the window installs its own box (see Form1.cpp). The logic
// default simply writes the text to standard error so nothing is ever lost silently.
Seams defaultSeams() {
    Seams s;
    s.messageBox = [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    s.exitProgram = [](int status) { QCoreApplication::exit(status); };
    s.now = [] { return QDateTime::currentDateTime(); };
    s.openFile = [](const QString& path, QString* error) {
        if (!QFileInfo::exists(path)) {
            if (error) *error = QStringLiteral("the file does not exist");
            return false;
        }
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
            if (error) *error = QStringLiteral("no application could open it");
            return false;
        }
        return true;
    };
    s.errorLine = [](const QString& line) {
        std::fprintf(stderr, "%s\n", qPrintable(line));
        std::fflush(stderr);
    };
    s.hasTerminal = [] { return ::isatty(STDERR_FILENO) == 1; };
    return s;
}

}  // namespace zmx
