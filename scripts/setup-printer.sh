#!/usr/bin/env bash
# Sets up a default printer that writes PDF files, for end-to-end printing tests.
#
# Run as root on Debian 12 (works without systemd and without a display):
#   - installs cups and printer-driver-cups-pdf when they are missing;
#   - starts the CUPS scheduler (/usr/sbin/cupsd) when it is not running;
#   - points cups-pdf's output at one fixed directory, for every user;
#   - creates the queue TervanPDF (cups-pdf backend), enables it, makes it
#     accept jobs and makes it the system default destination.
#
# Every job printed to the queue becomes one file
#   $TERVAN_PDF_DIR/job_<CUPS job id>-<job title>.pdf
# (the title is cut to 64 characters, unusual characters become "_"), with
# text that pdftotext can read back. The file is created when conversion
# starts and is complete only once CUPS reports the job completed
# (e.g. 'lpstat -W not-completed -o TervanPDF' prints nothing).
#
# On success the last line of stdout is "TERVAN_PDF_DIR=<dir>"; nothing else
# goes to stdout. On any failure one line saying why goes to stderr, nothing
# goes to stdout, and the exit status is still 0: callers decide what a
# missing printer means. Safe to run again; quick when all is already set up.
#
# Typical use:
#   TERVAN_PDF_DIR=$(bash scripts/setup-printer.sh | sed -n 's/^TERVAN_PDF_DIR=//p')
set -Eeuo pipefail

reason=""
failed_command=""
new_conf=""
trap 'failed_command="line $LINENO: $BASH_COMMAND"' ERR
on_exit() {
  local status=$?
  [ -z "$new_conf" ] || rm -f "$new_conf"
  if [ "$status" -ne 0 ]; then
    [ -n "$reason" ] || reason="command failed with status $status (${failed_command:-unknown command})"
    printf 'setup-printer: no PDF printer: %s\n' "${reason//$'\n'/ }" >&2
  fi
  exit 0
}
trap on_exit EXIT

die() {
  reason=$*
  exit 1
}

# matches REGEX COMMAND...: COMMAND's stdout matches REGEX (COMMAND may fail).
matches() {
  local re=$1 out
  shift
  out=$("$@" 2>/dev/null) || true
  grep -Eq -- "$re" <<<"$out"
}

log() { printf 'setup-printer: %s\n' "$*" >&2; }

readonly queue=TervanPDF
readonly out_dir=/var/spool/cups-pdf/tervan
readonly conf=/etc/cups/cups-pdf.conf
readonly ppd_path=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd
readonly packages=(cups printer-driver-cups-pdf)

[ "$(id -u)" -eq 0 ] || die "must run as root (uid is $(id -u))"

# One run at a time (two runs could otherwise start two schedulers).
lock_file=/run/lock/tervan-setup-printer.lock
[ -d /run/lock ] || lock_file=/tmp/tervan-setup-printer.lock
exec 9>"$lock_file"
flock -w 900 9 || die "another run of setup-printer.sh still holds $lock_file"

# --- packages ---------------------------------------------------------------
missing=()
for p in "${packages[@]}"; do
  # shellcheck disable=SC2016 # ${Status} is dpkg-query's, not the shell's
  matches 'install ok installed' dpkg-query -W -f='${Status}' "$p" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  log "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  timeout 600 apt-get update -qq >&2 || die "apt-get update failed"
  timeout 900 apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2 \
    || die "apt-get install ${missing[*]} failed"
fi
for f in /usr/sbin/cupsd /usr/lib/cups/backend/cups-pdf /usr/sbin/lpadmin /usr/bin/lpstat; do
  [ -x "$f" ] || die "$f is missing after installing ${packages[*]}"
done

# --- cups-pdf configuration -------------------------------------------------
# cups-pdf reads this file for each job. One output directory for every user
# (root included) and for anonymous jobs; files named job_<id>-<title>.pdf so
# that no job overwrites another; files readable by all.
declare -A want=(
  [Out]="$out_dir"
  [AnonDirName]="$out_dir"
  [Label]=1
  [TitlePref]=1
  [UserUMask]=0022
  [AnonUMask]=0022
)
[ -f "$conf" ] || die "$conf is missing (package printer-driver-cups-pdf broken?)"
new_conf=$(mktemp)
# Comment out every active line for a key we manage, then append our block.
awk -v keys="${!want[*]}" '
  BEGIN { n = split(keys, k, " "); for (i = 1; i <= n; i++) managed[k[i]] = 1 }
  /^# BEGIN tervan/ { skip = 1; next }
  /^# END tervan/ { skip = 0; next }
  skip { next }
  { key = $1; if (key in managed) print "#" $0; else print }
' "$conf" >"$new_conf"
{
  echo "# BEGIN tervan: settings for PDF printing tests (scripts/setup-printer.sh)"
  for k in Out AnonDirName Label TitlePref UserUMask AnonUMask; do
    echo "$k ${want[$k]}"
  done
  echo "# END tervan"
} >>"$new_conf"
conf_changed=0
if ! cmp -s "$new_conf" "$conf"; then
  cat "$new_conf" >"$conf"
  conf_changed=1
  log "updated $conf"
fi
rm -f "$new_conf"
new_conf=""
mkdir -p "$out_dir"
chmod 1777 "$out_dir"

# AppArmor (when active) lets the cups-pdf backend write below
# /var/spool/cups-pdf/, which holds $out_dir: no profile change needed.

# --- scheduler --------------------------------------------------------------
scheduler_running() { matches '^scheduler is running' lpstat -r; }

wait_for_scheduler() {
  local _
  for _ in $(seq 1 60); do # at most ~15 s
    scheduler_running && return 0
    sleep 0.25
  done
  return 1
}

# The process named in cupsd's pid file is alive (not merely a zombie).
cupsd_alive() {
  local pid
  pid=$(cat /run/cups/cupsd.pid 2>/dev/null || true)
  [[ "$pid" =~ ^[0-9]+$ ]] && [ -e "/proc/$pid" ] &&
    matches '^cupsd$' cat "/proc/$pid/comm" &&
    ! matches '^State:[[:space:]]+Z' cat "/proc/$pid/status"
}

start_cupsd() {
  if cupsd_alive; then
    # Started a moment ago, or busy: never run a second scheduler.
    wait_for_scheduler && return 0
    die "cupsd (pid $(cat /run/cups/cupsd.pid)) runs but does not answer 'lpstat -r' after 15 s"
  fi
  mkdir -p /run/cups
  # cupsd forks into the background itself; keep it off our stdout/stderr so
  # that callers capturing our output ($(...)) do not wait for the daemon.
  /usr/sbin/cupsd </dev/null >/dev/null 2>&1 9>&- || die "/usr/sbin/cupsd failed to start (see /var/log/cups/error_log)"
  wait_for_scheduler || die "CUPS scheduler not running 15 s after starting /usr/sbin/cupsd (see /var/log/cups/error_log)"
}

stop_cupsd() {
  local pid _
  pid=$(cat /run/cups/cupsd.pid 2>/dev/null || true)
  if ! [[ "$pid" =~ ^[0-9]+$ ]] || ! kill -TERM "$pid" 2>/dev/null; then
    log "cupsd pid unknown: not restarting it (cups-pdf reads $conf for each job anyway)"
    return 1
  fi
  for _ in $(seq 1 40); do # at most ~10 s
    # Gone, or a zombie whose parent has not reaped it yet.
    cupsd_alive || return 0
    sleep 0.25
  done
  die "cupsd (pid $pid) did not stop within 10 s"
}

if scheduler_running; then
  if [ "$conf_changed" -eq 1 ]; then
    log "restarting cupsd"
    if stop_cupsd; then start_cupsd; fi
  fi
else
  log "starting cupsd"
  start_cupsd
fi

# --- queue ------------------------------------------------------------------
# The CUPS-PDF PPD without options, so that cups-pdf.conf alone decides how
# files are named and which PDF version is written.
queue_ok() {
  matches ': cups-pdf:/$' lpstat -v "$queue" &&
    matches '^\*NickName:.*CUPS-PDF Printer \(no options\)' cat "/etc/cups/ppd/$queue.ppd"
}
if ! queue_ok; then
  log "creating queue $queue"
  if [ -f "$ppd_path" ]; then
    driver=(-P "$ppd_path")
  else
    model=$(lpinfo -m 2>/dev/null | awk '/CUPS-PDF_noopt/ { print $1; exit }')
    [ -n "$model" ] || die "no CUPS-PDF (no options) driver listed by 'lpinfo -m'"
    driver=(-m "$model")
  fi
  # lpadmin warns that printer drivers are deprecated even when it succeeds.
  if ! err=$(lpadmin -p "$queue" -v cups-pdf:/ "${driver[@]}" -E 2>&1); then
    die "lpadmin could not create queue $queue: $err"
  fi
  queue_ok || die "queue $queue not set up after lpadmin"
fi
# Convert the PDF that applications send into PostScript for cups-pdf with
# pdftocairo: the PDF that comes out then keeps its text extractable
# (pdftotext); the default (Ghostscript) turns the text into Type 3 glyphs
# that no longer map to characters. Not shared on the network.
if ! matches '(^| )pdftops-renderer=pdftocairo( |$)' lpoptions -p "$queue" ||
  ! matches '(^| )printer-is-shared=false( |$)' lpoptions -p "$queue"; then
  lpadmin -p "$queue" -o pdftops-renderer-default=pdftocairo -o printer-is-shared=false ||
    die "lpadmin could not set the options of queue $queue"
  matches '(^| )pdftops-renderer=pdftocairo( |$)' lpoptions -p "$queue" ||
    die "queue $queue does not keep pdftops-renderer=pdftocairo"
fi
enabled() { matches "^printer $queue .*enabled" lpstat -p "$queue"; }
accepting() { matches "^$queue accepting requests" lpstat -a "$queue"; }
is_default() { matches ": $queue\$" lpstat -d; }
enabled || cupsenable "$queue" || die "cupsenable $queue failed"
accepting || cupsaccept "$queue" || die "cupsaccept $queue failed"
is_default || lpadmin -d "$queue" || die "lpadmin -d $queue failed"
enabled || die "queue $queue is not enabled"
accepting || die "queue $queue does not accept jobs"
is_default || die "'lpstat -d' does not name $queue as the default destination"

echo "TERVAN_PDF_DIR=$out_dir"
