#!/usr/bin/env bash
# The installed copy: `cmake --install` into a clean folder, and the
# installed programs find the installed data by themselves.
set -euo pipefail
build=$1
cmake=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
DESTDIR="$tmp/root" "$cmake" --install "$build" --prefix /usr > /dev/null
usr="$tmp/root/usr"
for f in bin/kestrava bin/kestrava-cli share/kestrava/1033/StrTab.ini share/kestrava/demo/demo.ksv \
         share/kestrava/model/kp240.ini share/applications/kestrava.desktop share/mime/packages/kestrava.xml \
         share/icons/hicolor/256x256/apps/kestrava.png share/icons/hicolor/48x48/mimetypes/application-x-kestrava-project.png; do
  [ -e "$usr/$f" ] || { echo "not installed: $f"; exit 1; }
done
if find "$usr/share/kestrava" -name '*.stamp' | grep -q .; then echo "build stamps installed"; exit 1; fi
grep -q '^MimeType=application/x-kestrava-project;$' "$usr/share/applications/kestrava.desktop"
grep -q 'pattern="\*.ksv"' "$usr/share/mime/packages/kestrava.xml"
unset KESTRAVA_DATA
"$usr/bin/kestrava-cli" --version | grep -q '^kestrava-cli [0-9]'
"$usr/bin/kestrava-cli" info "$usr/share/kestrava/demo/demo.ksv" | grep -q "Pump station"
"$usr/bin/kestrava-cli" models | grep -q KP240
mkdir -p "$tmp/home"
QT_QPA_PLATFORM=offscreen HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/config" \
  "$usr/bin/kestrava" --screenshot "$tmp/shot.png" "$usr/share/kestrava/demo/demo.ksv" > "$tmp/out.txt" 2> "$tmp/err.txt" \
  || { echo "the installed editor failed"; cat "$tmp/err.txt"; exit 1; }
grep -q '^scene 1 canvas' "$tmp/out.txt"
[ "$(head -c 8 "$tmp/shot.png" | od -An -tx1 | tr -d ' ')" = "89504e470d0a1a0a" ]
QT_QPA_PLATFORM=offscreen HOME="$tmp/home" "$usr/bin/kestrava" --version 2>/dev/null | grep -q '^Kestrava [0-9]'
echo "1 passed, 0 failed"
