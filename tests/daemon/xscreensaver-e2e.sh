#!/usr/bin/env bash
# End to end with a real xscreensaver daemon: the demo screensaver installed for one user
# with `kxpack install --user`, the daemon told to run it, a screenshot that must show the
# show, and deactivation that must end the saver within two seconds without leaving files
# in its temporary folders.
#
#   xvfb-run -a -s "-noreset -screen 0 800x600x24" xscreensaver-e2e.sh KXPACK SAVER OUTDIR
#
# xscreensaver refuses to run hacks as root, so as root the test runs the daemon as the
# ordinary user kxsaver-e2e (created when missing) with a HOME in a temporary folder; as
# any other user it runs the daemon as that user. Everything started here is ended by its
# process id and the temporary folder is removed, also on failure.
#
# The daemon gets the environment of a login session: a private XDG_RUNTIME_DIR (where the
# saver extracts its media) and its own TMPDIR; both must be empty when the saver has ended.
set -euo pipefail

KXPACK=$1
SAVER=$2
OUTDIR=$3
USER_NAME=kxsaver-e2e

fail() {
  [ -s "${T:-}/daemon.log" ] && { echo "--- daemon log" >&2; cat "$T/daemon.log" >&2; }
  echo "FAIL: $*" >&2
  exit 1
}
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY: run under xvfb-run"
command -v xscreensaver >/dev/null || fail "xscreensaver is not installed"

T=$(mktemp -d /tmp/kxsaver-e2e-XXXXXX)
chmod 755 "$T"
mkdir -p "$T/bin" "$T/home" "$T/tmp" "$T/run" "$OUTDIR"
DAEMON_PID=""

cleanup() {
  set +e
  if [ -n "$DAEMON_PID" ]; then
    local pids="$DAEMON_PID $(pgrep -P "$DAEMON_PID" | tr '\n' ' ')"
    kill -TERM $pids 2>/dev/null
    for _ in $(seq 20); do kill -0 "$DAEMON_PID" 2>/dev/null || break; sleep 0.1; done
    kill -KILL $pids 2>/dev/null
  fi
  for pid in $(pgrep -f "$T/" ); do kill -KILL "$pid" 2>/dev/null; done
  rm -rf "$T"
}
trap cleanup EXIT

if [ "$(id -u)" -eq 0 ]; then
  id "$USER_NAME" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$USER_NAME"
  as_user() { runuser -u "$USER_NAME" -- "$@"; }
  chown "$USER_NAME" "$T/home" "$T/tmp" "$T/run"
else
  as_user() { "$@"; }
fi
chmod 700 "$T/tmp" "$T/run"

# The user's key to the display.
if [ -n "${XAUTHORITY:-}" ] && [ -f "$XAUTHORITY" ]; then
  xauth -f "$XAUTHORITY" nlist "$DISPLAY" | xauth -q -f "$T/home/.Xauthority" nmerge - 2>/dev/null
  [ "$(id -u)" -eq 0 ] && chown "$USER_NAME" "$T/home/.Xauthority"
fi

cp "$KXPACK" "$SAVER" "$T/bin/"
chmod 755 "$T/bin/"*
ENV=(env -i HOME="$T/home" DISPLAY="$DISPLAY" XAUTHORITY="$T/home/.Xauthority" PATH=/usr/bin:/bin
     TMPDIR="$T/tmp" XDG_RUNTIME_DIR="$T/run" SDL_AUDIODRIVER=dummy)

# A process is gone when it is no more or only a zombie: the daemon's helper that started it
# exits at once, and who inherits the zombie may reap it much later.
running() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [[ $state != Z* ]]
}

# The user's own settings come first; kxpack keeps them and adds the programs list.
cat > "$T/home/.xscreensaver" <<'SETTINGS'
# settings of the end-to-end test
timeout:	1:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
mode:		one
selected:	0
SETTINGS
[ "$(id -u)" -eq 0 ] && chown "$USER_NAME" "$T/home/.xscreensaver"
as_user "${ENV[@]}" "$T/bin/kxpack" install "$T/bin/$(basename "$SAVER")" --name kxsaver-demo --user \
  || fail "kxpack install --user"
grep -q "^timeout:	1:00:00" "$T/home/.xscreensaver" || fail "kxpack install lost the user's settings"
INSTALLED="$T/home/.local/share/kxsaver/kxsaver-demo"
[ -x "$INSTALLED" ] || fail "no $INSTALLED"

as_user "${ENV[@]}" sh -c 'echo $$ > "$0"; exec xscreensaver -no-splash -verbose' "$T/home/daemon.pid" \
  > "$T/daemon.log" 2>&1 &
for _ in $(seq 50); do [ -s "$T/home/daemon.pid" ] && break; sleep 0.1; done
DAEMON_PID=$(cat "$T/home/daemon.pid")
ready=""
for _ in $(seq 100); do
  if as_user "${ENV[@]}" xscreensaver-command -time >/dev/null 2>&1; then ready=1; break; fi
  sleep 0.1
done
[ -n "$ready" ] || fail "the daemon did not start"

# Our entry is the first of the list.
as_user "${ENV[@]}" xscreensaver-command -select 1 >/dev/null || fail "xscreensaver-command -select 1"
SAVER_PID=""
for _ in $(seq 150); do
  SAVER_PID=$(pgrep -f "^$INSTALLED" | head -1 || true)
  [ -n "$SAVER_PID" ] && break
  sleep 0.1
done
[ -n "$SAVER_PID" ] || fail "the daemon did not start the saver"

# Let the show run a few seconds, then look at the screen.
sleep 5
running "$SAVER_PID" || fail "the saver ended by itself"
import -display "$DISPLAY" -window root "$OUTDIR/xscreensaver-e2e.png"
read -r MEAN STDDEV < <(convert "$OUTDIR/xscreensaver-e2e.png" -colorspace Gray -format "%[fx:mean] %[fx:standard_deviation]\n" info:)
echo "screen: mean $MEAN, standard deviation $STDDEV (0..1)"
awk -v m="$MEAN" -v s="$STDDEV" 'BEGIN { exit !(m > 0.05 && s > 0.02) }' \
  || fail "the screen is black or flat (see $OUTDIR/xscreensaver-e2e.png)"
# The show goes on: the demo changes items every few seconds and its scenes move, so the
# screen looks different a little later, whatever is shown at the first look.
sleep 3.5
import -display "$DISPLAY" -window root "$OUTDIR/xscreensaver-e2e-later.png"
CHANGED=$(compare -metric AE "$OUTDIR/xscreensaver-e2e.png" "$OUTDIR/xscreensaver-e2e-later.png" null: 2>&1 || true)
echo "pixels changed in 3.5 s: $CHANGED"
awk -v n="$CHANGED" 'BEGIN { exit !(n + 0 > 1000) }' || fail "the screen stands still"

# The media are extracted into the session's runtime folder, so that its being empty at the
# end says something.
[ -n "$(find "$T/run" -type f | head -1)" ] || fail "no media extracted into $T/run"

# Deactivation: the daemon sends SIGTERM; the saver must be gone within two seconds.
START=$(date +%s%N)
as_user "${ENV[@]}" xscreensaver-command -deactivate >/dev/null || fail "xscreensaver-command -deactivate"
while running "$SAVER_PID"; do
  [ $(( ($(date +%s%N) - START) / 1000000 )) -lt 2000 ] || fail "the saver still runs 2 s after -deactivate"
  sleep 0.02
done
echo "saver ended $(( ($(date +%s%N) - START) / 1000000 )) ms after -deactivate"
LEFT=$(find "$T/run" "$T/tmp" -mindepth 1 | head -5)
[ -z "$LEFT" ] || fail "files left in the saver's temporary folders: $LEFT"
echo "PASS"
