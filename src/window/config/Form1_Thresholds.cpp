// Under- and over-voltage threshold entry: the two boxes, their key filter and leave
// validation, the step buttons, and the redraw of the boxes and of CFGR4/CFGR5.

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "protocol/Hex.h"
#include "rules/Colors.h"
#include "rules/Thresholds.h"
#include "window/config/ThresholdBoxEvents.h"
#include "window/shell/Form1.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

namespace zmx {

namespace {

// Routes the key and focus events of the two threshold boxes to their handlers, and keeps
// the validation of one leave from running again while it is still showing its message.
class ThresholdBoxEvents : public QObject {
public:
    static constexpr const char* kName = "ThresholdBoxEvents";
    explicit ThresholdBoxEvents(Form1& form) : QObject(&form), form_(form) { setObjectName(kName); }

    bool leaveRunning = false;  // a leave is being validated (its message may be showing)
    int leaves = 0;             // validations run so far

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const int index = boxIndex(watched);
        if (index < 0) return false;
        switch (event->type()) {
            case QEvent::KeyPress: return keyPress(index, static_cast<QKeyEvent*>(event));
            case QEvent::FocusIn:
                if (isMoveBetweenControls(static_cast<QFocusEvent*>(event))) form_.Text2_GotFocus(index);
                return false;
            case QEvent::FocusOut:
                if (isMoveBetweenControls(static_cast<QFocusEvent*>(event))) form_.Text2_LostFocus(index);
                return false;
            default: return false;
        }
    }

private:
    int boxIndex(QObject* watched) const {
        for (int i = 0; i < 2; ++i)
            if (watched == form_.ui.Text2[i]) return i;
        return -1;
    }

    // The window losing or regaining activation (a message box, another program, the box's
    // own context menu) is not the user leaving the box: the entry stays as typed.
    static bool isMoveBetweenControls(const QFocusEvent* event) {
        return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
    }

    bool keyPress(int index, QKeyEvent* event) {
        int key = 0;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            key = kKeyEnter;
        } else if (event->key() == Qt::Key_Backspace) {
            key = kKeyBackspace;
        } else {
            const QString text = event->text();
            // Keys without a character, and control characters (Tab, Escape, the editing
            // shortcuts), are not typed characters: the box handles them as usual.
            if (text.isEmpty() || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7F) return false;
            if (text.size() != 1) return true;  // several characters at once are never a number key
            key = text.at(0).unicode();
        }
        const int passed = form_.Text2_KeyPress(index, key);
        // Enter has moved the focus on; the box itself has nothing more to do with it.
        return passed == 0 || key == kKeyEnter;
    }

    Form1& form_;
};

ThresholdBoxEvents* boxEventsOf(Form1& form) {
    // Found by name: the class carries no meta-object of its own for a typed search.
    return dynamic_cast<ThresholdBoxEvents*>(
        form.findChild<QObject*>(QString::fromLatin1(ThresholdBoxEvents::kName), Qt::FindDirectChildrenOnly));
}

// Clears the re-entry mark when the validation ends, however it ends.
struct LeaveMark {
    explicit LeaveMark(ThresholdBoxEvents* events) : events_(events) {
        if (!events_) return;
        events_->leaveRunning = true;
        ++events_->leaves;
    }
    ~LeaveMark() {
        if (events_) events_->leaveRunning = false;
    }
    ThresholdBoxEvents* events_;
};

// The slots a stored threshold goes to: the selected board in custom scope, every board of
// the stack in global scope, none when neither option is selected.
template <typename Store>
void storeByScope(Form1& form, Store store) {
    if (form.ui.Option1[0]->isChecked()) {
        store(form.st.selectedBoard);
    } else if (form.ui.Option1[1]->isChecked()) {
        for (int s = 0; s <= form.st.lastBoardIndex; ++s) store(s);
    }
}

}  // namespace

void installThresholdBoxEvents(Form1& form) {
    auto* events = new ThresholdBoxEvents(form);
    for (QLineEdit* box : form.ui.Text2) box->installEventFilter(events);
}

namespace {

bool leaveRunning(Form1& form) {
    const ThresholdBoxEvents* events = boxEventsOf(form);
    return events && events->leaveRunning;
}

int leavesSoFar(Form1& form) {
    const ThresholdBoxEvents* events = boxEventsOf(form);
    return events ? events->leaves : 0;
}

}  // namespace

int Form1::Text2_KeyPress(int index, int key) {
    QLineEdit* box = ui.Text2[index];
    // Typing makes the entry pending until it is stored and the boxes are redrawn.
    setForeground(box, toQColor(kOlive));
    setBackground(box, toQColor(kLightGrey));
    const int caret = box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
    const int passed = FilterNumericKey(box->text().toStdString(), caret, key);
    if (passed == kKeyEnter) {
        // Leaving the box is what stores the entry.
        const int before = leavesSoFar(*this);
        ui.Command1[5]->setFocus(Qt::OtherFocusReason);
        // When no leave followed (the button cannot take the focus, or the window is not
        // the active one), the entry is validated all the same, once.
        if (leavesSoFar(*this) == before && !leaveRunning(*this)) Text2_LostFocus(index);
    }
    return passed;
}

void Form1::Text2_GotFocus(int index) {
    // No fresh entry starts while a leave is still being validated.
    if (leaveRunning(*this)) return;
    ui.Text2[index]->clear();
}

void Form1::Text2_LostFocus(int index) {
    // The message box of a refused entry takes the focus itself; that is not a second leave.
    if (leaveRunning(*this)) return;
    const LeaveMark mark(boxEventsOf(*this));

    const EntryCheck check = checkEntry(ui.Text2[0]->text().toStdString(), ui.Text2[1]->text().toStdString());
    if (const char* message = entryMessage(check.verdict)) {
        seams().messageBox(QString::fromLatin1(message));
    } else if (index == 0) {
        storeByScope(*this, [&](int s) { st.vuvCode[s] = check.vuvCode; });
    } else {
        storeByScope(*this, [&](int s) { st.vovCode[s] = check.vovCode; });
    }
    // A refused entry is replaced by the stored value.
    ShowThresholds();
}

void Form1::Command2_Click(int index) {
    // Stepping always acts on the selected board only and makes no ordering check.
    const int s = st.selectedBoard;
    switch (index) {
        case 0: st.vuvCode[s] = stepCode(st.vuvCode[s], -1); break;
        case 1: st.vuvCode[s] = stepCode(st.vuvCode[s], +1); break;
        case 2: st.vovCode[s] = stepCode(st.vovCode[s], -1); break;
        case 3: st.vovCode[s] = stepCode(st.vovCode[s], +1); break;
        default: return;
    }
    ShowThresholds();
}

void Form1::ShowThresholds() {
    const int s = st.selectedBoard;
    st.cfgImage[s][4] = byteText(static_cast<uint8_t>(st.vuvCode[s]));
    ui.Text2[0]->setText(QString::fromStdString(thresholdText(Threshold::Vuv, st.vuvCode[s])));
    st.cfgImage[s][5] = byteText(static_cast<uint8_t>(st.vovCode[s]));
    ui.Text2[1]->setText(QString::fromStdString(thresholdText(Threshold::Vov, st.vovCode[s])));
    // The zero-code markers point out a threshold still at its lowest code.
    ui.Shape16[7]->setVisible(st.vuvCode[s] == 0);
    ui.Shape16[8]->setVisible(st.vovCode[s] == 0);
    RefreshConfigView();
}

}  // namespace zmx
