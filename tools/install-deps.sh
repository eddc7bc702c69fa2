#!/usr/bin/env bash
# Installs the Debian packages listed in tools/packages.txt (or the list
# files given as arguments) that are missing. apt-get update runs once, and
# only when something has to be installed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$@")
[ ${#lists[@]} -eq 0 ] && lists=("$here/packages.txt")
mapfile -t wanted < <(cat "${lists[@]}" | grep -v '^\s*#' | awk 'NF{print $1}')
missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
