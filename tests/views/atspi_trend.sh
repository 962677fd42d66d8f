#!/usr/bin/env bash
# atspi_trend.sh GUI: starts the window program on the simulated stack with the stack view
# under a virtual X server and a private D-Bus session with the accessibility bridge on, and
# lets atspi_trend.py read the trend chart through AT-SPI. Every step has a time-out and the
# program is ended at the end, whatever happened.
set -uo pipefail
gui=${1:?usage: atspi_trend.sh PATH/zmx7730-gui}
here=$(cd "$(dirname "$0")" && pwd)

if [[ ${ATSPI_TREND_INNER:-} != 1 ]]; then
  for tool in xvfb-run dbus-run-session /usr/bin/python3; do
    command -v "$tool" >/dev/null || { echo "atspi_trend: $tool is missing (scripts/deps installs it)" >&2; exit 1; }
  done
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
    { echo "atspi_trend: python3-pyatspi is missing (scripts/deps installs it)" >&2; exit 1; }
  export ATSPI_TREND_INNER=1
  exec timeout -k 5 150 xvfb-run -a -s "-screen 0 1600x1000x24" dbus-run-session -- "$0" "$gui"
fi

# Inside the X server and the D-Bus session.
work=$(mktemp -d)
# The program's remembered geometry and recording target stay out of the user's settings.
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0

timeout -k 5 120 "$gui" --simulate --stack-view >"$work/gui.log" 2>&1 &
pid=$!
/usr/bin/timeout -k 5 90 /usr/bin/python3 "$here/atspi_trend.py"
status=$?
if kill -0 "$pid" 2>/dev/null; then
  kill -TERM "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
else
  echo "atspi_trend: the program ended early:" >&2
  status=1
fi
if ((status != 0)); then cat "$work/gui.log" >&2; fi
rm -rf "$work"
exit "$status"
