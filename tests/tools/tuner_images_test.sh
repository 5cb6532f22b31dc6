#!/usr/bin/env bash
# The picture generator writes exactly the 176 screen pictures, under their exact names, as plain
# 24-bit bottom-up BMPs, and draws the same bytes every run.
set -euo pipefail
gen=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/a" "$dir/b"
"$gen" "$dir/a"
"$gen" "$dir/b"

names=(Metronome bar{1..38} tuner n{0..9} BTRRW1 BTRRW2 BTRW1 BTRW2 BTCLR BTCLR2 BTFW1 BTFW2 BTFFW1 BTFFW2
       CurrentKey TargetKey cent C "C#" Db D "D#" Eb E F "F#" Gb G "G#" Ab A "A#" Bb B auto none hz numno
       T{1..37} {0..9} minus poweroff poweron flat sharp instoff inston inst{1..4}{off,on} st{1..6}{off,on}
       Config Config2 up1 up2 down1 down2 beat measure Conductor tempo ball1 ball2 signal1 signal2 shadow
       led led2 led3)
[ "${#names[@]}" -eq 176 ] || { echo "name list has ${#names[@]} entries"; exit 1; }
count=$(find "$dir/a" -type f | wc -l)
[ "$count" -eq 176 ] || { echo "expected 176 files, found $count"; exit 1; }

u32() { echo $(( h[$1] | h[$1 + 1] << 8 | h[$1 + 2] << 16 | h[$1 + 3] << 24 )); }
for n in "${names[@]}"; do
    f="$dir/a/$n.bmp"
    [ -f "$f" ] || { echo "missing $n.bmp"; exit 1; }
    read -r -a h <<< "$(od -An -v -tu1 -N54 "$f" | tr -s ' \n' '  ')"
    size=$(stat -c %s "$f")
    w=$(u32 18) ht=$(u32 22)
    stride=$(( (w * 3 + 3) / 4 * 4 ))
    if [ "${h[0]}" -ne 66 ] || [ "${h[1]}" -ne 77 ] || [ "$(u32 2)" -ne "$size" ] || [ "$(u32 10)" -ne 54 ] ||
       [ "$(u32 14)" -ne 40 ] || [ "${h[26]}" -ne 1 ] || [ "${h[28]}" -ne 24 ] || [ "$(u32 30)" -ne 0 ] ||
       [ "$w" -lt 1 ] || [ "$w" -gt 640 ] || [ "$ht" -lt 1 ] || [ "$ht" -gt 480 ] ||
       [ "$size" -ne $(( 54 + stride * ht )) ]; then
        echo "$n.bmp is not a plain 24-bit BMP"; exit 1
    fi
done
diff -r "$dir/a" "$dir/b" > /dev/null || { echo "two runs differ"; exit 1; }
echo "176 pictures, all plain 24-bit BMPs, the same on every run"
