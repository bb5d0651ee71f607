#!/usr/bin/env bash
# Starts a private CUPS scheduler with a PDF printer as its default, for end-to-end printing
# tests, without touching the machine's own printing system.
#
#   bash scripts/setup-printer.sh start DIR   # DIR: e.g. build/cups
#   bash scripts/setup-printer.sh stop DIR
#
# start: installs cups and printer-driver-cups-pdf when missing (Debian, as root), writes a
# scheduler configuration under DIR (configuration, spool, logs, state; where DIR is closed to
# the lp user, as in root's home, DIR becomes a link to a folder under /tmp), starts
# /usr/sbin/cupsd on the socket DIR/cups.sock only (no network port, no sharing, no browsing)
# and creates the queue TervanPDF (cups-pdf backend) as that scheduler's default. The
# scheduler runs in a mount namespace of its own in which /etc/cups/cups-pdf.conf is DIR's copy.
# Nothing in /etc/cups, no system queue and no system default changes: clients find the
# scheduler only through CUPS_SERVER. Every job becomes one file
# $TERVAN_PDF_DIR/job_<id>-<title>.pdf, complete once the scheduler reports the job completed.
#
# On success stdout holds exactly the two lines
#   CUPS_SERVER=<socket>
#   TERVAN_PDF_DIR=<dir>
# On failure one line saying why goes to stderr, stdout stays empty and the exit status is
# still 0: callers decide what a missing printer means.
#
# stop: ends the scheduler started in DIR (by its pid file); quiet when none runs.
set -Eeuo pipefail

reason=""
trap 'reason=${reason:-"line $LINENO: $BASH_COMMAND failed"}' ERR
on_exit() {
  local status=$?
  if [ "$status" -ne 0 ]; then
    printf 'setup-printer: no PDF printer: %s\n' "${reason:-status $status}" >&2
  fi
  exit 0
}
trap on_exit EXIT
die() {
  reason=$*
  exit 1
}
log() { printf 'setup-printer: %s\n' "$*" >&2; }

[ $# -eq 2 ] || die "usage: setup-printer.sh start|stop DIR"
action=$1
target=$2
mkdir -p "$target"
dir=$(cd "$target" && pwd -P)
readonly queue=TervanPDF
sock=$dir/cups.sock
pidfile=$dir/state/cupsd.pid

cupsd_pid() {
  local pid
  pid=$(cat "$pidfile" 2>/dev/null || true)
  [[ "$pid" =~ ^[0-9]+$ ]] && [ -e "/proc/$pid" ] &&
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = cupsd ] && echo "$pid"
}

stop() {
  local pid _
  pid=$(cupsd_pid) || return 0
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 40); do
    [ -e "/proc/$pid" ] || return 0
    grep -q '^State:[[:space:]]*Z' "/proc/$pid/status" 2>/dev/null && return 0
    sleep 0.25
  done
  die "cupsd (pid $pid) did not stop within 10 s"
}

if [ "$action" = stop ]; then
  stop
  exit 0
fi
[ "$action" = start ] || die "usage: setup-printer.sh start|stop DIR"
# cups-pdf is a backend that only runs as root.
[ "$(id -u)" -eq 0 ] || die "must run as root (uid is $(id -u))"

# --- packages ---------------------------------------------------------------
packages=(cups printer-driver-cups-pdf)
missing=()
for p in "${packages[@]}"; do
  # shellcheck disable=SC2016 # ${Status} is dpkg-query's
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  log "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  timeout 600 apt-get update -qq >&2 || die "apt-get update failed"
  timeout 900 apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2 ||
    die "apt-get install ${missing[*]} failed"
fi
for f in /usr/sbin/cupsd /usr/lib/cups/backend/cups-pdf /usr/sbin/lpadmin /usr/bin/lpstat; do
  [ -x "$f" ] || die "$f is missing after installing ${packages[*]}"
done
ppd_src=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd
[ -f "$ppd_src" ] || die "$ppd_src is missing (package printer-driver-cups-pdf broken?)"

# --- a fresh scheduler tree ---------------------------------------------------
stop
if [ -L "$target" ]; then
  old=$(readlink -f "$target")
  rm -f "$target"
  if [[ "$old" == /tmp/tervan-cups.* ]]; then rm -rf "$old"; fi
fi
mkdir -p "$target"
chmod go+x "$target"
# The scheduler's filters run as lp and must reach its files. Where the build tree is closed to
# lp (a clone in root's home), the tree is a folder of its own under /tmp, linked from DIR.
if ! runuser -u lp -- test -x "$target/." 2>/dev/null; then
  rm -rf "$target"
  ln -s "$(mktemp -d /tmp/tervan-cups.XXXXXX)" "$target"
  chmod go+x "$target/."
fi
dir=$(cd "$target" && pwd -P)
sock=$dir/cups.sock
pidfile=$dir/state/cupsd.pid
rm -rf "$dir/etc" "$dir/spool" "$dir/cache" "$dir/state" "$dir/log" "$dir/pdf" "$sock"
mkdir -p "$dir/etc/ppd" "$dir/etc/ssl" "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/log"

cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ServerKeychain $dir/etc/ssl
CreateSelfSignedCerts no
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/state/printcap
DataDir /usr/share/cups
ServerBin /usr/lib/cups
DocumentRoot /usr/share/cups/doc-root
User lp
Group lp
SystemGroup root
Sandboxing relaxed
EOF
cat >"$dir/etc/cupsd.conf" <<EOF
LogLevel warn
Listen $sock
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
DefaultAuthType None
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF

# cups-pdf reads its settings only from /etc/cups/cups-pdf.conf. The scheduler runs in a
# mount namespace of its own in which that one file is our copy, so the machine's stays as it
# is and the queue writes into DIR/pdf.
mkdir -p "$dir/pdf/out" "$dir/pdf/spool"
chmod 1777 "$dir/pdf/out"
cat >"$dir/etc/cups-pdf.conf" <<EOF
Out $dir/pdf/out
AnonDirName $dir/pdf/out
Spool $dir/pdf/spool
Log $dir/log
Grp lp
Label 1
TitlePref 1
Truncate 250
DecodeHexStrings 1
UserUMask 0022
AnonUMask 0022
EOF
[ -f /etc/cups/cups-pdf.conf ] || die "/etc/cups/cups-pdf.conf is missing (package printer-driver-cups-pdf broken?)"
unshare -m --propagation private true 2>/dev/null ||
  die "cannot give the scheduler a mount namespace of its own (unshare -m refused)"
# cupsd forks into the background and keeps the namespace alive.
unshare -m --propagation private sh -c \
  'mount --bind "$1/etc/cups-pdf.conf" /etc/cups/cups-pdf.conf &&
   exec /usr/sbin/cupsd -c "$1/etc/cupsd.conf" -s "$1/etc/cups-files.conf"' sh "$dir" \
  </dev/null >/dev/null 2>&1 || die "cupsd failed to start (see $dir/log/error_log)"
export CUPS_SERVER=$sock
up=0
for _ in $(seq 1 60); do
  if lpstat -r 2>/dev/null | grep -q '^scheduler is running'; then
    up=1
    break
  fi
  sleep 0.25
done
[ "$up" -eq 1 ] || die "the scheduler does not answer on $sock (see $dir/log/error_log)"

# lpadmin warns that printer drivers are deprecated even when it succeeds.
err=$(lpadmin -p "$queue" -v cups-pdf:/ -P "$ppd_src" -E \
  -o pdftops-renderer-default=pdftocairo -o printer-is-shared=false 2>&1) ||
  die "lpadmin could not create queue $queue: $err"
lpadmin -d "$queue" >/dev/null 2>&1 || die "lpadmin -d $queue failed"
lpstat -d 2>/dev/null | grep -q ": $queue\$" || die "$queue is not the private scheduler's default"
lpstat -a "$queue" 2>/dev/null | grep -q "^$queue accepting" || die "$queue does not accept jobs"

echo "CUPS_SERVER=$sock"
echo "TERVAN_PDF_DIR=$dir/pdf/out"
