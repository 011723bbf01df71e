# Asking Debian's package registry, sourced by setup.sh and
# sqlite_amalgamation.sh. A registry mid-update fails one index of many
# ("File has unexpected size ... Mirror sync in progress?"): apt-get update then
# exits 100, and installs that mix the suites can be refused as "held broken
# packages" (the amd64 half of a Multi-Arch: same library from the security
# suite, its i386 twin only from the main suite). So a failed update is reported
# and the set-up goes on, and a refused install or source fetch is tried once
# more preferring the release's own suite, which apt never uses to downgrade.

apt_release() { (. /etc/os-release && echo "${VERSION_CODENAME:-}"); }

# apt's own error and warning lines, indented, out of its whole output.
apt_errors() { grep -E '^(E|W|Err):| : Depends: ' <<<"$1" | sed 's/^/    /'; }

# Reads the indexes once per set-up run; an index that fails is named and the
# run goes on with the others.
apt_refresh() {
  [ -z "${APT_REFRESHED:-}" ] || return 0
  APT_REFRESHED=1
  local out
  if ! out=$(apt-get update -qq 2>&1); then
    echo "apt-get update could not read every index; going on with those it read:"
    apt_errors "$out"
  fi
}

# Runs one apt-get command that asks the registry (install, source) and, when
# refused, once more with -t RELEASE. WHAT names it in the failure sentence.
apt_with_fallback() {
  local what=$1 out release
  shift
  if out=$(DEBIAN_FRONTEND=noninteractive apt-get "$@" 2>&1); then return 0; fi
  release=$(apt_release)
  if [ -n "$release" ]; then
    echo "apt-get $1 was refused; trying once more preferring the release's own suite ($release):"
    apt_errors "$out"
    if out=$(DEBIAN_FRONTEND=noninteractive apt-get -t "$release" "$@" 2>&1); then
      echo "  that worked"
      return 0
    fi
  fi
  echo "could not get $what from the package registry; apt says:"
  apt_errors "$out"
  return 1
}

apt_install() {
  apt_refresh
  apt_with_fallback "$*" install -y -qq --no-install-recommends "$@"
}
