#!/bin/sh
# A sample installer for the notifier's sample update. It behaves towards the
# notifier as a real installer does: it reports its progress and its end by
# broadcasting the setup milestone message with glm-milestone, then exits.
#
#   setup.sh [--outcome installed|left|failed|none|odd] [--delay SECONDS] [--log FILE]
#            [--wait-for FILE] [other words...]
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
set -u
outcome=installed
delay=0
log=
wait_for=
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
  esac
done

if [ -n "$log" ]; then
  {
    echo "cwd=$(pwd)"
    for arg in "$@"; do echo "arg=$arg"; done
  } >> "$log"
fi

milestone() {
  "${GLM_MILESTONE:-glm-milestone}" "$@" || echo "setup.sh: nobody heard milestone $*" >&2
}

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
