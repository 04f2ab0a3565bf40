#!/usr/bin/env bash
# Installs what the build needs from Debian's packages, when it is missing.
# As root it runs apt-get itself; otherwise it prints the command to run.
set -eu

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have_cmd cmake || need+=(cmake)
have_cmd make || need+=(make)
have_cmd g++ || need+=(g++)
# A package, or "command:package" for a package needed only when the command
# is missing (Node.js may come from elsewhere than Debian).
for pkg in "$@"; do
  case "$pkg" in
    *:*) have_cmd "${pkg%%:*}" || need+=("${pkg#*:}") ;;
    *) have_pkg "$pkg" || need+=("$pkg") ;;
  esac
done

[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}"
else
  echo "Missing build dependencies. Install them with:" >&2
  echo "  sudo apt-get install -y ${need[*]}" >&2
  exit 1
fi
