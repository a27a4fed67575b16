#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test against real print queues: starts a CUPS scheduler of its own on the loopback
# interface, with its configuration, spool, cache and logs in a temporary folder, adds cups-pdf
# queues (A4, Letter, A4 with unequal margins, one refusing jobs, one to stop), runs the test with
# CUPS_SERVER pointing at it, and stops the scheduler. The test drives the scheduler through
# a control script it is given (kill, start, freeze, thaw, fill and empty the spool, remove
# a queue, stop one).
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
cleanup() {
  pkill -KILL -f "cupsd -[cC] $work/" 2>/dev/null
  sleep 0.2
  mountpoint -q "$work/spool" && umount "$work/spool"
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work"/{root,spool,cache,state,log}
# A small spool of its own, so the test can fill it; without one the full-spool case skips.
spool_size=""
if mount -t tmpfs -o size=16m,mode=0710 lumivue-spool "$work/spool" 2>/dev/null; then
  spool_size=16m
fi
mkdir -p "$work/spool/tmp"
chmod 1770 "$work/spool/tmp"
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
# Queues are saved at once, so a scheduler killed and started again still has them.
DirtyCleanInterval 0
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

export CUPS_SERVER="127.0.0.1:$port"
# The control script: start and kill the scheduler, fill and empty its spool.
control="$work/control.sh"
cat >"$control" <<CONTROL
#!/bin/sh
case "\$1" in
  start)
    cupsd -c "$work/cupsd.conf" -s "$work/cups-files.conf" >>"$work/log/cupsd.out" 2>&1 || exit 1
    for _ in \$(seq 100); do
      lpstat -h "$CUPS_SERVER" -r 2>/dev/null | grep -q "is running" && exit 0
      sleep 0.1
    done
    exit 1 ;;
  kill) pkill -KILL -f "cupsd -[cC] $work/" ; sleep 0.2 ;;
  freeze) pkill -STOP -f "cupsd -[cC] $work/" ;;
  thaw) pkill -CONT -f "cupsd -[cC] $work/" ;;
  fill) cat /dev/zero >"$work/spool/filler" 2>/dev/null; exit 0 ;;
  empty) rm -f "$work/spool/filler" ;;
  remove) lpadmin -h "$CUPS_SERVER" -x LumivueGone ;;
  stop) cupsdisable -h "$CUPS_SERVER" -r "Out of toner" LumivueStopped ;;
  *) exit 2 ;;
esac
CONTROL
chmod 755 "$control"
if ! "$control" start; then
  cat "$work/log/cupsd.out" "$work/log/error_log" 2>/dev/null | tail -5
  skip "the CUPS scheduler could not start"
fi

# A4 as the driver has it (the whole sheet printable), Letter by default, and A4 with 18 pt
# left and right and 36 pt top and bottom the printer cannot reach.
sed 's|^\*ImageableArea A4/A4: .*|*ImageableArea A4/A4: "18 36 577 806"|' "$ppd" >"$work/margins.ppd"
queue=LumivueA4
lpadmin -p LumivueA4 -E -v cups-pdf:/ -P "$ppd" 2>/dev/null || skip "cannot add the cups-pdf queue"
lpadmin -p LumivueLetter -E -v cups-pdf:/ -P "$ppd" -o PageSize=Letter 2>/dev/null || skip "cannot add a queue"
lpadmin -p LumivueMargins -E -v cups-pdf:/ -P "$work/margins.ppd" 2>/dev/null || skip "cannot add a queue"
lpadmin -p LumivueGone -E -v cups-pdf:/ -P "$ppd" 2>/dev/null || skip "cannot add a queue"
lpadmin -p LumivueRefuses -E -v cups-pdf:/ -P "$ppd" 2>/dev/null || skip "cannot add a queue"
lpadmin -p LumivueStopped -E -v cups-pdf:/ -P "$ppd" 2>/dev/null || skip "cannot add a queue"
cupsreject -h "$CUPS_SERVER" LumivueRefuses 2>/dev/null || skip "cannot make a queue refuse jobs"

# The folder cups-pdf writes the job's user's files into.
out=$(sed -n 's/^[[:space:]]*Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf 2>/dev/null | tail -1)
out=${out:-/var/spool/cups-pdf/\${USER\}}
user=$(id -un)
home=$(getent passwd "$user" | cut -d: -f6)
out=${out//\$\{HOME\}/$home}
out=${out//\$\{USER\}/$user}

echo "scheduler on $CUPS_SERVER, queue $queue and others, files in $out, spool ${spool_size:-not its own}"
LUMIVUE_CUPS_QUEUE="$queue" LUMIVUE_CUPS_OUT="$out" LUMIVUE_CUPS_CONTROL="$control" \
  LUMIVUE_CUPS_SPOOL_OWN="${spool_size:+1}" QT_QPA_PLATFORM=offscreen "$@"
status=$?
[ $status -ne 0 ] && tail -20 "$work/log/error_log" 2>/dev/null
exit $status
