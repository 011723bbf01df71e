#!/usr/bin/env bash
# The set-up against a registry that is mid-update, with a stand-in apt-get
# early on PATH: `update` fails one index with status 100, as Debian's mirrors
# do during a sync, and a plain install of an i386 package or a source fetch is
# refused ("held broken packages") but goes through with -t RELEASE.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
bin=$(mktemp -d /tmp/tarvex-apt-XXXXXX)
trap 'rm -rf "$bin"' EXIT
cat >"$bin/apt-get" <<'STAND_IN'
#!/usr/bin/env bash
echo "$*" >>"$(dirname "$0")/calls"
release=; [ "$1" = -t ] && { release=$2; shift 2; }
case "$1" in
update)
  echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
  echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
  exit 100 ;;
install|source)
  case " $* " in *" nosuchpkg "*) echo "E: Unable to locate package nosuchpkg" >&2; exit 100 ;; esac
  if [ -z "$release" ] && [[ "$1" = source || " $* " = *:i386* ]]; then
    echo " wine32:i386 : Depends: libwine:i386 but it is not going to be installed"
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100
  fi
  exit 0 ;;
esac
STAND_IN
chmod +x "$bin/apt-get"
export PATH="$bin:$PATH"
source "$top/scripts/apt.sh"
fail=0
# check NAME WANTED-STATUS PATTERN... -- COMMAND...: runs it in this shell,
# as setup.sh does, and looks for each pattern in what it printed.
check() {
  local name=$1 want=$2 pats=() pat out status
  shift 2
  while [ "$1" != -- ]; do pats+=("$1"); shift; done
  shift
  "$@" >"$bin/out" 2>&1
  status=$?
  out=$(cat "$bin/out")
  [ "$status" = "$want" ] || { echo "FAIL $name: status $status, wanted $want"; echo "$out"; fail=1; }
  for pat in "${pats[@]}"; do
    grep -qF -- "$pat" <<<"$out" || { echo "FAIL $name: no \"$pat\" in:"; echo "$out"; fail=1; }
  done
}
release=$(apt_release)

check "i386 install" 0 "could not read every index" "binary-i386/Packages.xz  File has unexpected size" \
  "trying once more preferring the release's own suite ($release)" "held broken packages" "that worked" \
  -- apt_install wine wine32:i386
grep -qx -- "-t $release install -y -qq --no-install-recommends wine wine32:i386" "$bin/calls" ||
  { echo "FAIL: no install with -t $release"; cat "$bin/calls"; fail=1; }

check "missing package" 1 "could not get nosuchpkg from the package registry; apt says:" \
  "Unable to locate package nosuchpkg" -- apt_install nosuchpkg
check "source" 0 "apt-get source was refused" "that worked" \
  -- apt_with_fallback "the source of sqlite3" source -qq --download-only sqlite3

# One set-up run reads the indexes once, however many installs it makes.
[ "$(grep -c '^update' "$bin/calls")" = 1 ] || { echo "FAIL: the indexes were read more than once"; fail=1; }
[ $fail = 0 ] && echo "registry test: passed"
exit $fail
