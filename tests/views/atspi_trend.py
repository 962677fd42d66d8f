"""Reads the trend chart of a running zmx7730-gui through AT-SPI, as a screen reader does.

It drives the window through the accessibility tree only: a VOV threshold below every
simulated cell, measuring mode, the write and continuous mode; then it waits for the
"Cell voltage trend" chart's description to name the board, a cell's latest value and the
cells over VOV. Exit status 0 when it does, 1 otherwise (with what was found).
"""

import re
import sys
import time

import pyatspi

APP = "zmx7730-gui"
VOV_VOLTS = "3.600"  # the simulated cells sit at 3.62..3.78 V
WAIT_S = 60


def normalised(text):
    return " ".join((text or "").split())


def poll(what, find, seconds=WAIT_S):
    """find() until it returns something, or fail naming what was awaited."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            found = find()
        except Exception:  # the tree changes while it is walked: try again
            found = None
        if found:
            return found
        time.sleep(0.2)
    sys.exit("atspi_trend: gave up waiting for %s" % what)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == APP:
            return app
    return None


def control(app, label):
    """The control whose accessible name (or description) is label, spaces normalised."""
    def matches(node):
        return node is not None and label in (normalised(node.name), normalised(node.description))
    return pyatspi.findDescendant(app, matches)


def press(app, label):
    node = poll("the control '%s'" % label, lambda: control(app, label))
    actions = node.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i) in ("Press", "Toggle"):
            actions.doAction(i)
            return node
    sys.exit("atspi_trend: '%s' offers no Press action" % label)


def main():
    app = poll("the program on the accessibility bus", application)
    chart = poll("the trend chart", lambda: control(app, "Cell voltage trend"))

    vov = poll("the VOV box", lambda: control(app, "VOV threshold in volts"))
    vov.queryEditableText().setTextContents(VOV_VOLTS)
    # The CDC step takes the thresholds from the boxes into every board's image, when the
    # thresholds apply to every board.
    scope = poll("the threshold scope", lambda: control(app, "Thresholds for every board"))
    if not scope.getState().contains(pyatspi.STATE_CHECKED):
        press(app, "Thresholds for every board")
        poll("every board's thresholds", lambda: scope.getState().contains(pyatspi.STATE_CHECKED), 10)
    press(app, "CDC increment")  # out of standby: the chips measure
    cdc = control(app, "CDC value")
    poll("CDC 1", lambda: cdc.queryText().getText(0, -1).strip() == "1", 10)
    press(app, "0x01 WRCFG")  # WRITE CONFIG, by its command (its caption changes)
    # A button presses on a short timer: the write goes out before continuous mode starts.
    time.sleep(0.5)
    press(app, "START CONTINUOUS READ CELLS")

    said = poll("a description with a cell over VOV",
                lambda: chart.description if "over VOV" in (chart.description or "") else None)
    print("Cell voltage trend:", said)
    checks = {
        "the board": "Board 1" in said,
        "a latest cell value": re.search(r"Latest: cell \d+ \d\.\d{3} V", said) is not None,
        "a cell over VOV": re.search(r"Cell \d+ over VOV since \d\d:\d\d:\d\d\.", said) is not None,
    }
    missing = [name for name, ok in checks.items() if not ok]
    if missing:
        sys.exit("atspi_trend: the description does not name " + ", ".join(missing))
    return 0


if __name__ == "__main__":
    sys.exit(main())
