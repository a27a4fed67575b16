#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test against a real print queue: starts a CUPS scheduler of its own on the loopback
# interface, with its configuration, spool, cache and logs in a temporary folder, adds a
# cups-pdf queue, runs the test with CUPS_SERVER pointing at it, and stops the scheduler.
# Exit code 77 (skipped) when no scheduler can be started here, saying why.
#
# Where the PDF files land: the cups-pdf backend always reads /etc/cups/cups-pdf.conf (its
# path is built in) and writes into its `Out` folder for the job's user (Debian:
# ${HOME}/PDF). It needs a scheduler running as root; as root the jobs are root's, so the
# files land in root's home (/root/PDF). The test removes the file it printed.
#
# Usage: scripts/cups-test.sh TEST-EXECUTABLE [TEST-ARGUMENTS...]
set -uo pipefail
skip() { echo "SKIPPED: $*"; exit 77; }

[ $# -ge 1 ] || { echo "usage: $0 TEST-EXECUTABLE [ARGS...]" >&2; exit 2; }
command -v cupsd >/dev/null || skip "cupsd is not installed (scripts/setup.sh --test installs cups)"
command -v lpadmin >/dev/null || skip "lpadmin is not installed (scripts/setup.sh --test installs cups)"
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -f "$ppd" ] && [ -e /usr/lib/cups/backend/cups-pdf ] ||
  skip "the cups-pdf backend is not installed (scripts/setup.sh --test installs printer-driver-cups-pdf)"
[ "$(id -u)" -eq 0 ] || skip "the cups-pdf backend needs a scheduler running as root"

work=$(mktemp -d /tmp/lumivue-cups.XXXXXX) || skip "no temporary folder"
chmod 755 "$work" # the filters run as lp and read the spool below it
cupsd_pid=""
cleanup() {
  if [ -n "$cupsd_pid" ]; then
    kill "$cupsd_pid" 2>/dev/null
    wait "$cupsd_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work"/{root,spool/tmp,cache,state,log}
port=$((20000 + RANDOM % 20000))
cat >"$work/cups-files.conf" <<CONF
ServerRoot $work/root
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
AccessLog $work/log/access_log
ErrorLog $work/log/error_log
PageLog $work/log/page_log
Printcap $work/printcap
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
User lp
Group lp
Sandboxing Relaxed
CONF
cat >"$work/cupsd.conf" <<CONF
Listen 127.0.0.1:$port
Browsing Off
DefaultAuthType None
<Location />
  Order allow,deny
  Allow 127.0.0.1
</Location>
<Location /admin>
  Order allow,deny
  Allow 127.0.0.1
</Location>
CONF

cupsd -f -c "$work/cupsd.conf" -s "$work/cups-files.conf" >"$work/log/cupsd.out" 2>&1 &
cupsd_pid=$!
export CUPS_SERVER="127.0.0.1:$port"
for _ in $(seq 100); do
  lpstat -r 2>/dev/null | grep -q "is running" && break
  kill -0 "$cupsd_pid" 2>/dev/null || break
  sleep 0.1
done
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  cat "$work/log/cupsd.out" "$work/log/error_log" 2>/dev/null | tail -5
  skip "the CUPS scheduler could not start"
fi

queue=LumivueTestPDF
lpadmin -p "$queue" -E -v cups-pdf:/ -P "$ppd" 2>/dev/null || skip "cannot add the cups-pdf queue"

# The folder cups-pdf writes the job's user's files into.
out=$(sed -n 's/^[[:space:]]*Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf 2>/dev/null | tail -1)
out=${out:-/var/spool/cups-pdf/\${USER\}}
user=$(id -un)
home=$(getent passwd "$user" | cut -d: -f6)
out=${out//\$\{HOME\}/$home}
out=${out//\$\{USER\}/$user}

echo "scheduler on $CUPS_SERVER, queue $queue, files in $out"
LUMIVUE_CUPS_QUEUE="$queue" LUMIVUE_CUPS_OUT="$out" QT_QPA_PLATFORM=offscreen "$@"
status=$?
[ $status -ne 0 ] && tail -20 "$work/log/error_log" 2>/dev/null
exit $status
