#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb) with the openbox window manager
# managing it, as users run the program: windows are reparented, decorated and
# focused by a real window manager. Usage: with-openbox.sh command [args...]
# The command's exit status is this script's.
set -euo pipefail
if [[ -z "${STAMPORA_UNDER_XVFB:-}" ]]; then
  export STAMPORA_UNDER_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
# A private configuration: no user's openbox settings, no autostart.
export XDG_CONFIG_HOME=$(mktemp -d)
openbox --sm-disable --config-file /etc/xdg/openbox/rc.xml >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true; rm -rf "$XDG_CONFIG_HOME"' EXIT
# The window manager owns the screen once it has set _NET_SUPPORTING_WM_CHECK and
# answers for it; on a loaded machine that can take seconds. A run without it would
# test nothing of what this harness is for, so it fails instead.
managed=
for _ in $(seq 400); do
  if wmctrl -m >/dev/null 2>&1; then managed=1; break; fi
  sleep 0.05
done
if [[ -z "$managed" ]]; then
  echo "with-openbox.sh: openbox did not take the screen within 20 s" >&2
  exit 1
fi
"$@"
