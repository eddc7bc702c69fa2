#!/usr/bin/env bash
# dump/pack through the real executable: the demo project comes back byte for
# byte, and bad input gives one line on stderr and a non-zero exit.
set -euo pipefail
cli=$1
demo=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$cli" info "$demo" > "$tmp/info.txt"
grep -q "Pump station" "$tmp/info.txt"
"$cli" dump "$demo" -o "$tmp/demo.json"
"$cli" pack "$tmp/demo.json" -o "$tmp/back.ksv"
cmp "$demo" "$tmp/back.ksv"
"$cli" render "$demo" --scene 1 -o "$tmp/scene.png"
"$cli" render "$demo" --scene 1 --background -o "$tmp/background.png"
"$cli" render "$demo" --all -o "$tmp/new/screens" > /dev/null
[ -f "$tmp/new/screens/screen-1.png" ]
[ "$(head -c 8 "$tmp/scene.png" | od -An -tx1 | tr -d ' ')" = "89504e470d0a1a0a" ]
if "$cli" render "$demo" --scene 99 -o "$tmp/none.png" 2>/dev/null; then echo "render accepted a missing screen"; exit 1; fi
"$cli" compile "$demo" -o "$tmp/demo.img" > "$tmp/compile.txt"
grep -q "0 error(s)" "$tmp/compile.txt"
# The same project compiles to the same image; --seed chooses the noise bytes.
"$cli" compile "$demo" -o "$tmp/again.img" > /dev/null
cmp "$tmp/demo.img" "$tmp/again.img"
"$cli" compile "$demo" --seed 7 -o "$tmp/seed7.img" > /dev/null
"$cli" compile "$demo" --seed 7 -o "$tmp/seed7b.img" > /dev/null
cmp "$tmp/seed7.img" "$tmp/seed7b.img"
if cmp -s "$tmp/demo.img" "$tmp/seed7.img"; then echo "--seed changed nothing"; exit 1; fi
cmp -i 32 <(head -c 254 "$tmp/demo.img") <(head -c 254 "$tmp/seed7.img")
[ "$(head -c 36 "$tmp/demo.img" | tail -c 4 | od -An -tu4 | tr -d ' ')" = "1002" ]
# Every protocol family a port can run is listed with its controller.
"$cli" protocols > "$tmp/protocols.txt"
for name in "Modbus RTU" "Modbus ASCII" "Modbus ASCII with device areas" "Percent-sign command" "Text command" \
  "STX hexadecimal" "STX E commands" "STX E commands (second port type)" "STX station commands" "STX M commands" \
  "STX decimal stations" "ASCII one-byte addresses" "At-sign command" "At-sign command (write-protected)" \
  "STX letter areas" "STX letter areas (second port type)" "Binary header 163" "Binary header 90 23" \
  "Binary header 75 33" "Binary area codes"; do
  grep -qF "$name (UID " "$tmp/protocols.txt" || { echo "protocols does not list $name"; exit 1; }
done
head -c 20 "$demo" > "$tmp/short.ksv"
for bad in "$tmp/short.ksv" "$tmp/missing.ksv" "$tmp/demo.json"; do
  if "$cli" info "$bad" 2> "$tmp/err.txt"; then echo "info accepted $bad"; exit 1; fi
  [ "$(wc -l < "$tmp/err.txt")" -eq 1 ] || { echo "expected one error line for $bad"; cat "$tmp/err.txt"; exit 1; }
done
echo "1 passed, 0 failed"
