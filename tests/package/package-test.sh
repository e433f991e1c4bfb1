#!/usr/bin/env bash
# The Debian package on this machine (ctest label package):
#   1. builds it with scripts/package;
#   2. checks its files, control data and maintainer scripts (dpkg-deb -c/-I);
#   3. runs lintian (installed here when missing): no errors;
#   4. installs it with apt-get and checks the group and the shared folders;
#   5. makes two test users, a member of brelvo (with `adduser USER brelvo`,
#      as the README says) and one outside it, lets the member use sudo, and
#      runs the desktop tests (test_package) against the installation;
#   6. installs it again, removes it and installs it once more: the store
#      is kept every time;
#   7. purges it and checks that nothing of it is left.
# Its steps have time limits of their own, well within ctest's, so that it
# always gets to clean up (only a SIGKILL keeps it from that).
# Whatever fails, it purges the package and removes what it made: the test
# users, their sudo rule, the group, /var/lib/brelvo, and sudo when it
# installed it. It refuses to run when a brelvo-notifier package, the group
# brelvo or its test users exist already.
#
# It runs in a mount namespace of its own, whose /var/lib is the machine's
# without brelvo: the package's shared folders and store are made there, and
# a store that this machine already has is never read or changed. The
# package's files, dpkg's and apt's records, the group and the users are the
# machine's own.
#
#   package-test.sh TEST_PACKAGE BRELVO_REG WORK_FOLDER
#
# BRELVO_REG is the build's brelvo-reg, which reads the store while the
# package is removed.
#
# Exit status 0 passed, 1 failed or refused, 77 skipped (not root). Size and
# times go to WORK_FOLDER/summary.txt and the end of the output.
set -uo pipefail
test_program=$1
build_reg=$2
work=$(realpath -m "$3")
repo=$(cd "$(dirname "$0")/../.." && pwd)
member=brelvo-pkgtest-member
outsider=brelvo-pkgtest-outsider
sudoers=/etc/sudoers.d/brelvo-package-test
export DEBIAN_FRONTEND=noninteractive

say() { echo "package-test: $*"; }
failed=0
fail() {
  say "FAIL: $*"
  failed=1
}

if [ "$(id -u)" != 0 ]; then
  say "skipped: installing a package needs root"
  exit 77
fi
if [ "${PACKAGE_TEST_NAMESPACE:-}" != 1 ]; then
  command -v unshare >/dev/null || { say "unshare (util-linux) is needed"; exit 1; }
  exec env PACKAGE_TEST_NAMESPACE=1 unshare --mount --propagation private -- "$0" "$@"
fi

package_status() { dpkg-query -W -f='${db:Status-Status}' brelvo-notifier 2>/dev/null || true; }
is_installed() {
  local s
  s=$(package_status)
  [ -n "$s" ] && [ "$s" != not-installed ]
}

refuse=""
is_installed && refuse="$refuse a brelvo-notifier package ($(package_status)) is installed;"
getent group brelvo >/dev/null && refuse="$refuse the group brelvo exists;"
for u in "$member" "$outsider"; do
  id "$u" >/dev/null 2>&1 && refuse="$refuse the user $u exists;"
done
[ -e "$sudoers" ] && refuse="$refuse $sudoers exists;"
if [ -n "$refuse" ]; then
  say "refused, this machine is not clean:$refuse remove that first"
  exit 1
fi

installed_sudo=0
private_var_lib=0
# shellcheck disable=SC2317 # called by the trap
cleanup() {
  set +e
  if is_installed; then
    apt-get purge -y -qq brelvo-notifier >/dev/null 2>&1 || dpkg --purge brelvo-notifier >/dev/null 2>&1
  fi
  for u in "$member" "$outsider"; do
    id "$u" >/dev/null 2>&1 && userdel "$u"
  done
  rm -f "$sudoers"
  # This test's own /var/lib/brelvo; the group was absent when it began.
  [ "$private_var_lib" = 1 ] && rm -rf /var/lib/brelvo
  getent group brelvo >/dev/null && groupdel brelvo
  if [ "$installed_sudo" = 1 ]; then
    # sudo's own scripts refuse to go from a machine whose root has no password.
    SUDO_FORCE_REMOVE=yes apt-get purge -y -qq sudo >/dev/null 2>&1 || say "sudo could not be removed"
  fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

rm -rf "$work"
mkdir -p "$work/machine-var-lib"

# This namespace's /var/lib: every entry of the machine's but brelvo.
machine=$work/machine-var-lib
mount --rbind /var/lib "$machine" && mount -t tmpfs -o mode=0755 package-test-var-lib /var/lib || {
  say "cannot set up this test's /var/lib"
  exit 1
}
for entry in "$machine"/* "$machine"/.[!.]*; do
  [ -e "$entry" ] || [ -L "$entry" ] || continue
  name=$(basename "$entry")
  [ "$name" = brelvo ] && continue
  if [ -L "$entry" ]; then
    cp -P "$entry" "/var/lib/$name"
  elif [ -d "$entry" ]; then
    mkdir "/var/lib/$name" && mount --rbind "$entry" "/var/lib/$name"
  else
    : >"/var/lib/$name" && mount --bind "$entry" "/var/lib/$name"
  fi || { say "cannot show /var/lib/$name in this test's /var/lib"; exit 1; }
done
private_var_lib=1
now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }

# Tools of the test itself.
# shellcheck source=scripts/lib/packages.sh
. "$repo/scripts/lib/packages.sh"
ensure_packages lintian xvfb xauth xdotool >/dev/null || fail "the test's tools cannot be installed"
if ! command -v sudo >/dev/null 2>&1; then
  if apt-get install -y -qq --no-install-recommends sudo >/dev/null; then
    installed_sudo=1
  else
    fail "sudo cannot be installed"
  fi
fi

# 1. The package.
say "building the package (scripts/package)"
t0=$(now)
if ! timeout 3600 "$repo/scripts/package" --output "$work" >"$work/package.log" 2>&1; then
  tail -n 30 "$work/package.log"
  fail "scripts/package failed (log: $work/package.log)"
  exit 1
fi
build_time=$(seconds "$t0" "$(now)")
deb=$(tail -n 1 "$work/package.log")
version=$(sed -n 's/^project(Notifier VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "brelvo-notifier_${version}_${arch}.deb" ] || fail "the package is named $(basename "$deb")"
[ -f "$deb" ] || { fail "no package at $deb"; exit 1; }

# 2. Files, control data, maintainer scripts.
contents=$(dpkg-deb -c "$deb")
echo "$contents" >"$work/contents.txt"
files=$(awk '$1 !~ /^d/ { print $6 }' <<<"$contents" | sed 's|^\./|/|')
for f in /usr/bin/Notifier /usr/bin/brelvo-reg /usr/bin/updcfg /usr/bin/glm-milestone \
         /usr/lib/notifier/NotifierQt.so /usr/lib/notifier/brelvo-open \
         /etc/xdg/autostart/brelvo-notifier.desktop \
         /usr/share/doc/brelvo-notifier/copyright /usr/share/doc/brelvo-notifier/changelog.gz \
         /usr/share/man/man1/Notifier.1.gz /usr/share/man/man1/brelvo-reg.1.gz \
         /usr/share/man/man1/updcfg.1.gz /usr/share/man/man1/glm-milestone.1.gz; do
  grep -qx "$f" <<<"$files" || fail "the package lacks $f"
done
grep -E '(^|/)(setup\.sh|Update\.cfg|test_[^/]*|rescomp)$' <<<"$files" && fail "the package holds files of the tests or the sample update"
awk '$2 != "root/root"' <<<"$contents" | grep -q . && fail "the package holds files not owned by root"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = brelvo-notifier ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), the project's is $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
depends=$(field Depends)
for d in libc6 libstdc++6 libsqlite3-0 libqt6widgets6 adduser libglib2.0-0 libsystemd0 libdw1 libfontconfig1 \
    libfreetype6 libjpeg62-turbo libxcb1 libwayland-client0; do
  tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qxF "$d" || fail "Depends lacks $d: $depends"
done
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -tvf -)
for s in postinst postrm; do
  grep -qE "^-rwxr-xr-x .* \./$s$" <<<"$control" || fail "no executable $s in the control data"
  dpkg-deb -I "$deb" "$s" | sh -n || fail "$s is no valid shell script"
done
[ "$(dpkg-deb -I "$deb" conffiles)" = /etc/xdg/autostart/brelvo-notifier.desktop ] ||
  fail "conffiles: $(dpkg-deb -I "$deb" conffiles)"
grep -q '\./md5sums$' <<<"$control" || fail "no md5sums in the control data"

# 3. lintian.
lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1
lintian_status=$?
sed 's/^/  lintian: /' "$work/lintian.txt"
[ $lintian_status -eq 0 ] || fail "lintian reports errors"

# 4. Install.
t0=$(now)
apt-get install -y -qq "$deb" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "apt-get install failed"; exit 1; }
install_time=$(seconds "$t0" "$(now)")
getent group brelvo >/dev/null || fail "no group brelvo"
for d in /var/lib/brelvo /var/lib/brelvo/updates; do
  [ "$(stat -c '%U:%G %a' "$d")" = "root:brelvo 2775" ] || fail "$d is $(stat -c '%U:%G %a' "$d")"
done
[ "$(stat -c '%U:%G %a' /var/lib/brelvo/registry.sqlite)" = "root:brelvo 664" ] ||
  fail "the store is $(stat -c '%U:%G %a' /var/lib/brelvo/registry.sqlite)"
for p in /usr/bin/Notifier /usr/bin/brelvo-reg /usr/bin/updcfg /usr/bin/glm-milestone /usr/lib/notifier/brelvo-open /usr/lib/notifier/NotifierQt.so; do
  ldd "$p" | grep -q 'not found' && fail "$p misses libraries: $(ldd "$p" | grep 'not found')"
done

# 5. The desktop tests, with users of their own.
for u in "$member" "$outsider"; do
  useradd --no-create-home --no-user-group --gid nogroup --shell /usr/sbin/nologin "$u" ||
    fail "the test user $u cannot be made"
done
adduser --quiet "$member" brelvo || fail "$member cannot join brelvo"
printf '%s ALL=(root) NOPASSWD: ALL\n' "$member" >"$sudoers"
chmod 0440 "$sudoers"
visudo -cqf "$sudoers" || fail "the member's sudo rule is refused"
# The store's first write after the installation is a member's, with a umask
# that shares nothing; root and the member write after it, a user outside
# the group is refused.
as_user() {
  local user=$1
  shift
  setpriv --reuid="$user" --regid=nogroup --init-groups env -i PATH=/usr/bin:/bin \
    sh -c 'umask 077; exec "$@"' sh "$@"
}
key='HKLM\SOFTWARE\Brelvo\Brelvo Software Updater'
as_user "$member" brelvo-reg add "$key" /v PackageTest /d member /f >/dev/null || fail "a member's first write failed"
env -u BRELVO_REGISTRY brelvo-reg add "$key" /v PackageTest /d root /f >/dev/null || fail "root's write after a member's failed"
as_user "$member" brelvo-reg add "$key" /v PackageTest /d member-again /f >/dev/null || fail "a member's write after root's failed"
as_user "$outsider" brelvo-reg add "$key" /v PackageTest /d outsider /f >/dev/null 2>&1 && fail "a user outside the group wrote the store"
as_user "$outsider" brelvo-reg query "$key" /v PackageTest | grep -q 'REG_SZ    member-again$' ||
  fail "a user outside the group does not read the member's write"
for f in /var/lib/brelvo/registry.sqlite /var/lib/brelvo/registry.sqlite-wal /var/lib/brelvo/registry.sqlite-shm; do
  [ "$(stat -c '%G %a' "$f")" = "brelvo 664" ] || fail "$f is $(stat -c '%U:%G %a' "$f")"
done
env -u BRELVO_REGISTRY brelvo-reg delete "$key" /v PackageTest /f >/dev/null || fail "root cannot delete the value"

if [ $failed -eq 0 ]; then
  PACKAGE_TEST_MEMBER=$member PACKAGE_TEST_OUTSIDER=$outsider timeout 1200 "$test_program" ||
    fail "the desktop tests failed"
fi

# 6. An upgrade (here: the same version again) and a removal keep the store
# and what it holds.
store_value() {
  BRELVO_REGISTRY=/var/lib/brelvo/registry.sqlite "$build_reg" query "$key" /v PackageKept 2>/dev/null |
    grep -q 'REG_SZ    kept$'
}
env -u BRELVO_REGISTRY brelvo-reg add "$key" /v PackageKept /d kept /f >/dev/null || fail "root cannot write the store"
apt-get install -y -qq --reinstall "$deb" >>"$work/install.log" 2>&1 || fail "installing the package again failed"
store_value || fail "installing again lost the store's values"
[ "$(stat -c '%U:%G %a' /var/lib/brelvo/registry.sqlite)" = "root:brelvo 664" ] ||
  fail "installing again changed the store to $(stat -c '%U:%G %a' /var/lib/brelvo/registry.sqlite)"
apt-get remove -y -qq brelvo-notifier >"$work/remove.log" 2>&1 || fail "apt-get remove failed"
[ -e /usr/bin/Notifier ] && fail "the removed package left /usr/bin/Notifier"
store_value || fail "removing the package lost the store's values"
getent group brelvo >/dev/null || fail "removing the package deleted the group"
apt-get install -y -qq "$deb" >>"$work/install.log" 2>&1 || fail "installing the removed package again failed"
store_value || fail "installing the removed package again lost the store's values"

# 7. Purge: nothing of the package stays.
t0=$(now)
apt-get purge -y -qq brelvo-notifier >"$work/purge.log" 2>&1 || { cat "$work/purge.log"; fail "apt-get purge failed"; }
purge_time=$(seconds "$t0" "$(now)")
is_installed && fail "the package is still known to dpkg: $(package_status)"
getent group brelvo >/dev/null && fail "the group brelvo is left"
[ -e /var/lib/brelvo ] && fail "/var/lib/brelvo is left: $(ls -A /var/lib/brelvo)"
while read -r f; do
  [ -e "$f" ] && fail "$f is left"
done <<<"$files"
for d in /usr/lib/notifier /usr/share/doc/brelvo-notifier; do
  [ -e "$d" ] && fail "$d is left"
done

size=$(stat -c %s "$deb")
{
  echo "package: $(basename "$deb"), $size bytes, Installed-Size $(field Installed-Size) KiB"
  echo "build: $build_time s, install: $install_time s, purge: $purge_time s"
  echo "lintian: $(grep -c '^E:' "$work/lintian.txt") errors, $(grep -c '^W:' "$work/lintian.txt") warnings"
} >"$work/summary.txt"
sed 's/^/package-test: /' "$work/summary.txt"
if [ $failed -eq 0 ]; then
  say "passed"
else
  say "failed"
fi
exit $failed
