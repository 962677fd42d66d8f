#include "views/widgets/RecordMenu.h"

#include <QAction>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTimer>

#include "record/RecordExport.h"
#include "record/RecordReader.h"
#include "record/RecordWriter.h"
#include "session/StackSession.h"
#include "views/ReplayTimeline.h"
#include "views/widgets/StackViewWindow.h"
#include "views/widgets/ViewMenus.h"
#include "window/shell/Form1.h"
#include "window/shell/widgets/WindowDump.h"

namespace zmx {

namespace {

constexpr int kStatusMs = 500;
constexpr int kReadChunk = 20000;
const char* const kTargetKey = "record/target";

QAction* addAction(QMenu* menu, const char* name, const QString& text, const QString& tip) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    a->setProperty(kAddedControlProperty, true);
    if (!tip.isEmpty()) a->setToolTip(tip);
    return a;
}

}  // namespace

RecordMenu::RecordMenu(Form1& form, ViewMenus& views, QString linkName)
    : form_(form), views_(views), linkName_(std::move(linkName)) {
    prompts_.target = [this](const QString& title, const QString& current) {
        bool ok = false;
        const QString t = QInputDialog::getText(&form_, title, QStringLiteral("SQLite file or postgresql:// URL:"),
                                                QLineEdit::Normal, current, &ok);
        return ok ? t.trimmed() : QString();
    };
    prompts_.saveFile = [this](const QString& title, const QString& suggested) {
        return QFileDialog::getSaveFileName(&form_, title, suggested,
                                            QStringLiteral("CSV table (*.csv);;Workbook (*.xlsx)"));
    };

    menu_ = form_.menuBar()->addMenu(QStringLiteral("&Record"));
    menu_->setObjectName(QStringLiteral("mnuRecord"));
    menu_->setProperty(kAddedControlProperty, true);
    statusAction_ = addAction(menu_, "mnuRecordStatus", QStringLiteral("Not recording"), {});
    statusAction_->setEnabled(false);
    menu_->addSeparator();
    startAction_ =
        addAction(menu_, "mnuRecordStart", QStringLiteral("&Start recording to..."),
                  QStringLiteral("Keep every read of this window in an SQLite file or a PostgreSQL database"));
    stopAction_ = addAction(menu_, "mnuRecordStop", QStringLiteral("S&top recording"), {});
    stopAction_->setEnabled(false);
    QAction* exportAction = addAction(menu_, "mnuRecordExport", QStringLiteral("&Export recording..."),
                                      QStringLiteral("Write a recording as a CSV table or an .xlsx workbook"));
    QAction* openAction = addAction(menu_, "mnuRecordOpen", QStringLiteral("&Open recording..."),
                                    QStringLiteral("Play a recording back in the stack view"));

    connect(startAction_, &QAction::triggered, this, [this] {
        const QString t = prompts_.target(QStringLiteral("Start recording"), rememberedTarget());
        QString error;
        if (!t.isEmpty() && !startRecording(t, &error)) showError(error);
    });
    connect(stopAction_, &QAction::triggered, this, [this] { stopRecording(); });
    connect(exportAction, &QAction::triggered, this, [this] {
        const QString path = prompts_.saveFile(QStringLiteral("Export recording"), QStringLiteral("recording.csv"));
        QString error;
        if (!path.isEmpty() && !exportRecording(path, &error)) showError(error);
    });
    connect(openAction, &QAction::triggered, this, [this] {
        const QString t = prompts_.target(QStringLiteral("Open recording"), rememberedTarget());
        QString error;
        if (!t.isEmpty() && !openRecording(t, &error)) showError(error);
    });

    statusTimer_ = new QTimer(this);
    statusTimer_->setInterval(kStatusMs);
    connect(statusTimer_, &QTimer::timeout, this, [this] { updateStatus(); });
}

RecordMenu::~RecordMenu() { stopRecording(); }

QString RecordMenu::rememberedTarget() { return QSettings().value(QLatin1String(kTargetKey)).toString(); }

void RecordMenu::remember(const QString& target) { QSettings().setValue(QLatin1String(kTargetKey), target); }

void RecordMenu::showError(const QString& text) {
    if (form_.seams().messageBox) form_.seams().messageBox(text);
}

bool RecordMenu::startRecording(const QString& target, QString* error) {
    if (writer_) stopRecording();
    const StackSession& s = form_.session();
    const RecordingContext context =
        contextFromState(s.state(), linkName_.toStdString(), s.lastIdentReply(), std::string());
    std::string why;
    writer_ = RecordWriter::open(target.toStdString(), context, &why);
    if (!writer_) {
        if (error) *error = QStringLiteral("Cannot record to %1: %2").arg(target, QString::fromStdString(why));
        return false;
    }
    form_.session().addListener(writer_.get());
    target_ = target;
    lastEvent_.clear();
    remember(target);
    startAction_->setEnabled(false);
    stopAction_->setEnabled(true);
    statusTimer_->start();
    updateStatus();
    return true;
}

void RecordMenu::stopRecording() {
    if (!writer_) return;
    form_.session().removeListener(writer_.get());
    const WriterStatus last = writer_->close();
    writer_.reset();
    statusTimer_->stop();
    QString line = QStringLiteral("Recording to %1 stopped: %2 rows written")
                       .arg(QString::fromStdString(last.target))
                       .arg(last.rowsWritten);
    if (last.rowsDropped > 0) line += QStringLiteral(", %1 rows lost").arg(last.rowsDropped);
    if (!last.lastError.empty()) line += QStringLiteral("; last error: %1").arg(QString::fromStdString(last.lastError));
    startAction_->setEnabled(true);
    stopAction_->setEnabled(false);
    showStatus(line);
}

void RecordMenu::updateStatus() {
    if (!writer_) return;
    for (const std::string& e : writer_->takeEvents()) lastEvent_ = QString::fromStdString(e);
    const WriterStatus st = writer_->status();
    QString line =
        QStringLiteral("Recording to %1: %2 rows written").arg(QString::fromStdString(st.target)).arg(st.rowsWritten);
    if (st.rowsQueued > 0) line += QStringLiteral(", %1 waiting").arg(st.rowsQueued);
    if (st.rowsDropped > 0) line += QStringLiteral(", %1 lost").arg(st.rowsDropped);
    if (!st.answering)
        line += QStringLiteral(" - database not answering: %1").arg(QString::fromStdString(st.lastError));
    else if (!lastEvent_.isEmpty()) line += QStringLiteral(" - %1").arg(lastEvent_);
    showStatus(line);
}

void RecordMenu::showStatus(const QString& line) {
    status_ = line;
    statusAction_->setText(line);
    if (StackViewWindow* v = views_.stackView()) v->setRecordStatus(line);
}

bool RecordMenu::exportRecording(const QString& path, QString* error) {
    QString target = target_;
    if (writer_) writer_->flush(5000);
    else target = rememberedTarget();
    if (target.isEmpty()) {
        if (error) *error = QStringLiteral("Nothing has been recorded yet: start a recording first.");
        return false;
    }
    std::string why;
    auto reader = RecordReader::open(target.toStdString(), &why);
    if (!reader) {
        if (error) *error = QStringLiteral("Cannot read %1: %2").arg(target, QString::fromStdString(why));
        return false;
    }
    const std::optional<int64_t> id = writer_ ? std::optional<int64_t>(writer_->recordingId()) : reader->latestId();
    if (!id) {
        if (error) *error = QStringLiteral("%1 holds no recording.").arg(target);
        return false;
    }
    const bool xlsx = path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
    const bool ok =
        xlsx ? exportXlsx(*reader, *id, path.toStdString(), &why) : exportCsv(*reader, *id, path.toStdString(), &why);
    if (!ok && error) *error = QStringLiteral("Cannot export to %1: %2").arg(path, QString::fromStdString(why));
    return ok;
}

bool RecordMenu::openRecording(const QString& target, QString* error) {
    std::string why;
    auto reader = RecordReader::open(target.toStdString(), &why);
    if (!reader) {
        if (error) *error = QStringLiteral("Cannot open %1: %2").arg(target, QString::fromStdString(why));
        return false;
    }
    const std::optional<int64_t> id = reader->latestId();
    if (!id) {
        if (error) *error = QStringLiteral("%1 holds no recording.").arg(target);
        return false;
    }
    auto timeline = std::make_unique<ReplayTimeline>();
    for (int64_t after = 0;;) {
        const std::vector<StoredRead> chunk = reader->reads(*id, after, kReadChunk);
        if (chunk.empty()) break;
        after = chunk.back().rowId;
        for (const StoredRead& r : chunk) timeline->addRead(r.read);
    }
    if (!reader->lastError().empty()) {
        if (error)
            *error = QStringLiteral("Cannot read %1: %2").arg(target, QString::fromStdString(reader->lastError()));
        return false;
    }
    for (const StoredConfigWrite& w : reader->configWrites(*id)) timeline->addWrite(w.write);
    remember(target);
    StackViewWindow* view = views_.openStackView();
    view->showReplay(std::move(timeline), QStringLiteral("%1, recording %2").arg(target).arg(*id));
    return true;
}

}  // namespace zmx
