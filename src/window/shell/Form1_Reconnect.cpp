// --reconnect: a controller that stops answering is waited for. The window stays as it was,
// a red line says since when the controller is gone, the identification goes out once a tick
// (and, for a controller that may be the lost one, every board's configuration read, which
// decides), and when the same controller is back the program carries on where it was
// (continuous mode with the board it was due to read). Another one is named and not taken.

#include <QLabel>

#include "link/ControllerLink.h"
#include "link/LinkDiscovery.h"
#include "link/ReadDeadline.h"
#include "protocol/Identification.h"
#include "session/ControllerReturn.h"
#include "session/StackSession.h"
#include "window/shell/Form1.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/WindowDump.h"

namespace zmx {

namespace {

constexpr int kBackLineTicks = 50;  // the "back" line stays five seconds
constexpr int kStatusLineHeight = 22;

QString printable(const std::string& s) {
    QString out;
    for (unsigned char c : s) out += (c >= 0x20 && c < 0x7F) ? QChar(c) : QChar('?');
    return out.trimmed();
}

}  // namespace

void Form1::setReconnect(bool on, const LinkProbes* probes) {
    if (!on) {
        watch_.reset();
        return;
    }
    watch_ = std::make_unique<ControllerReturn>(*session_, probes ? *probes : realLinkProbes());
    if (!linkStatus_) {
        QWidget* parent = centralWidget() ? centralWidget() : this;
        linkStatus_ = new QLabel(parent);
        linkStatus_->setObjectName(QStringLiteral("Label_LinkStatus"));
        // Not one of the window's own controls: the window dump lists it under "added".
        linkStatus_->setProperty(kAddedControlProperty, true);
        linkStatus_->setAlignment(Qt::AlignCenter);
        linkStatus_->setAutoFillBackground(true);
        QFont f = linkStatus_->font();
        f.setBold(true);
        linkStatus_->setFont(f);
        linkStatus_->setGeometry(0, 600 - kStatusLineHeight, 900, kStatusLineHeight);
        linkStatus_->hide();
    }
}

bool Form1::controllerLost() const { return watch_ && watch_->lost(); }

void Form1::showLinkStatus(const QString& text, bool lost) {
    if (!linkStatus_) return;
    linkStatus_->setText(text);
    setBackground(linkStatus_, lost ? QColor(0xFF, 0x00, 0x00) : QColor(0x00, 0x80, 0x00));
    setForeground(linkStatus_, QColor(0xFF, 0xFF, 0xFF));
    linkStatus_->raise();
    linkStatus_->show();
}

void Form1::tickLinkStatus() {
    if (linkStatusTicksLeft_ > 0 && --linkStatusTicksLeft_ == 0 && linkStatus_) linkStatus_->hide();
}

bool Form1::identifyWatched() {
    if (watch_->identifyOnTick(steadyNowMs()) == ReconnectWatch::Event::Lost) {
        // The identification caption keeps the controller's name: nothing shown is lost.
        const std::string why = link_.backend().lastError();
        link_.traceNote("LinkLost", "no answer from " + link_.backend().name() + (why.empty() ? "" : " [" + why + "]"));
        linkStatusTicksLeft_ = 0;
        showLinkStatus(QStringLiteral("LK200 lost: waiting for it to come back (0.0 s)"), true);
        return false;
    }
    ui.Label_IDstring->setText(QString::fromLatin1(identificationCaption(session_->lastIdentReply())));
    return true;
}

void Form1::waitForController() {
    const int64_t now = steadyNowMs();
    const QString gone = QString::fromStdString(gapText(watch_->watch().lostForMs(now)));
    const ControllerReturn::Outcome r = watch_->lookForLost(now);
    const ReconnectWatch& watch = watch_->watch();
    switch (r.event) {
        case ReconnectWatch::Event::Back: {
            const std::string gap = gapText(watch.lastGapMs());
            const std::string where = r.movedTo.empty() ? std::string() : ", on " + r.movedTo;
            link_.traceNote("LinkBack", "after " + gap + where);
            ui.Label_IDstring->setText(QString::fromLatin1(identificationCaption(session_->lastIdentReply())));
            // What the boards hold may have changed while the controller was away (a board that
            // lost power is back at its power-on configuration): the check read every one again.
            for (int s = 0; s <= st.lastBoardIndex; ++s) paintStatusLamp(s);
            ShowReadback();
            showLinkStatus(QStringLiteral("LK200 back after %1%2: every board's configuration read again")
                               .arg(QString::fromStdString(gap), QString::fromStdString(where)),
                           false);
            linkStatusTicksLeft_ = kBackLineTicks;
            return;
        }
        case ReconnectWatch::Event::Stranger: {
            const QString reply = printable(session_->lastIdentReply());
            link_.traceNote("LinkStranger", "not the lost controller (" + watch.mismatchText() + "): " + r.device +
                                                " answered \"" + reply.toStdString() + "\"");
            showLinkStatus(
                QStringLiteral("LK200 lost: waiting for it to come back (%1; another controller "
                               "answered: \"%2\" on %3, %4; not taken)")
                    .arg(gone, reply, QString::fromStdString(r.device), QString::fromStdString(watch.mismatchText())),
                true);
            return;
        }
        default: showLinkStatus(QStringLiteral("LK200 lost: waiting for it to come back (%1)").arg(gone), true); return;
    }
}

}  // namespace zmx
