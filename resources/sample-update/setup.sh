#!/bin/sh
# A sample installer for the notifier's sample update. It behaves towards the
# notifier as a real installer does: it reports its progress and its end by
# broadcasting the setup milestone message with glm-milestone, then exits.
#
#   setup.sh [--outcome installed|left|failed|none|odd] [--delay SECONDS] [--log FILE]
#            [--wait-for FILE] [--elevate] [other words...]
#
#   installed  milestones 70, 100, then 200 with status 10: installed
#   left       milestones 70, then 200 with status 30: the user left the installer
#   failed     milestones 70, 400, then 200 with status 40: the installation failed
#   none       milestone 70, then it exits without a completion report
#   odd        milestones 70, then 200 with status 99 (no outcome the notifier
#              knows), then it exits
#
# --delay waits that long before the completion report (so a test or a user
# can watch the notifier wait); --log appends the working folder and every
# argument to FILE before the first milestone. --wait-for holds the installer
# after milestone 70 until FILE exists, so that a test sees the notifier while
# the installer provably runs and then lets it go on; as a safety net it gives
# up after a minute and exits with status 3 without a completion report. The
# program that broadcasts is $GLM_MILESTONE, else glm-milestone from the PATH.
#
# --elevate shows how an installer that needs root gets it and still
# reaches the notifier: unless it runs as root already, the script runs
# itself again as root through pkexec, else sudo (without --elevate), and
# installs there. As root, glm-milestone finds PKEXEC_UID or SUDO_UID (set
# by pkexec and sudo) and reports to that user's session; the variables that
# place the session's runtime folder, which both programs drop from the
# environment, are passed on by name. When the elevation fails (refused,
# cancelled, neither program installed) the script reports a failed
# installation itself.
set -u
outcome=installed
delay=0
log=
wait_for=
elevate=0
for arg in "$@"; do
  case "${expect:-}" in
    outcome) outcome=$arg; expect=; continue ;;
    delay) delay=$arg; expect=; continue ;;
    log) log=$arg; expect=; continue ;;
    wait_for) wait_for=$arg; expect=; continue ;;
  esac
  case "$arg" in
    --outcome) expect=outcome ;;
    --delay) expect=delay ;;
    --log) expect=log ;;
    --wait-for) expect=wait_for ;;
    --elevate) elevate=1 ;;
  esac
done

milestone() {
  "${GLM_MILESTONE:-glm-milestone}" "$@" || echo "setup.sh: nobody heard milestone $*" >&2
}

if [ "$elevate" = 1 ] && [ "$(id -u)" != 0 ]; then
  # The same command as root, without --elevate, with the variables that
  # place the session's runtime folder.
  self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
  n=$#
  while [ "$n" -gt 0 ]; do
    arg=$1
    shift
    n=$((n - 1))
    [ "$arg" = --elevate ] || set -- "$@" "$arg"
  done
  set -- "$self" "$@"
  for name in GLM_MILESTONE BRELVO_RUNTIME_DIR XDG_RUNTIME_DIR; do
    eval "value=\${$name:-}"
    [ -n "$value" ] && set -- "$name=$value" "$@"
  done
  if command -v pkexec >/dev/null 2>&1; then
    pkexec env "$@" && exit 0
  elif command -v sudo >/dev/null 2>&1; then
    sudo env "$@" && exit 0
  else
    echo "setup.sh: neither pkexec nor sudo can make this installer root" >&2
  fi
  milestone 200 40
  exit 1
fi

if [ -n "$log" ]; then
  {
    echo "cwd=$(pwd)"
    for arg in "$@"; do echo "arg=$arg"; done
  } >> "$log"
fi

milestone 70
if [ -n "$wait_for" ]; then
  tries=0
  while [ ! -e "$wait_for" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 1200 ]; then
      echo "setup.sh: $wait_for did not appear within a minute" >&2
      exit 3
    fi
    sleep 0.05
  done
fi
[ "$delay" != 0 ] && sleep "$delay"
case "$outcome" in
  installed) milestone 100; milestone 200 10 ;;
  left) milestone 200 30 ;;
  failed) milestone 400; milestone 200 40 ;;
  none) exit 1 ;;
  odd) milestone 200 99 ;;
  *) echo "setup.sh: unknown outcome '$outcome'" >&2; exit 2 ;;
esac
exit 0
