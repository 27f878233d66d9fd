#!/bin/sh
# Renders every picture of the window skin to PNG and assembles a mock-up
# of the 669 x 400 main window, to check the pictures by eye.
#
#   tools/render_skin.sh [OUTDIR]      (default /tmp)
#
# Writes OUTDIR/skin-png/*.png, OUTDIR/skin-mockup.png (1:1),
# OUTDIR/skin-mockup-2x.png and OUTDIR/skin-buttons.png (all button states, 3x).
# Needs rsvg-convert (apt-get install -y librsvg2-bin) and ImageMagick.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
img="$here/src/ui/resources/img"
out=${1:-/tmp}
png="$out/skin-png"
mkdir -p "$png"

if ! command -v rsvg-convert >/dev/null 2>&1; then
    echo "rsvg-convert missing: apt-get install -y librsvg2-bin" >&2
    exit 1
fi
if command -v magick >/dev/null 2>&1; then IM=magick; else IM=convert; fi

for f in "$img"/*.svg; do
    rsvg-convert -o "$png/$(basename "$f" .svg).png" "$f"
done

# stretch a 64 px piece: stretch NAME WIDTH HEIGHT
stretch() {
    $IM "$png/$1.png" -filter Box -resize "$2x$3!" "$png/_$1_$2x$3.png"
    echo "$png/_$1_$2x$3.png"
}

W=669; H=400
top=$(stretch img12 $((613 - 134)) 32)
left=$(stretch img21 103 $((394 - 55)))
right=$(stretch img23 3 $((397 - 32)))
bottom=$(stretch img32 $((666 - 103)) 3)
# panel 525 x 329 at (120, 46): shadows 4 px in from its left / top end
sh_b=$(stretch s2 $((640 - 138)) 8)
sh_r=$(stretch s4 6 $((370 - 58)))

$IM -size ${W}x${H} xc:'#84B0D4' \
    "$png/img11.png" -geometry +0+0 -composite \
    "$top" -geometry +134+0 -composite \
    "$png/img13.png" -geometry +613+0 -composite \
    "$left" -geometry +0+55 -composite \
    "$right" -geometry +666+32 -composite \
    "$png/img31.png" -geometry +0+394 -composite \
    "$bottom" -geometry +103+397 -composite \
    "$png/img33.png" -geometry +666+397 -composite \
    "$png/s1.png" -geometry +124+375 -composite \
    "$sh_b" -geometry +138+375 -composite \
    "$png/s3.png" -geometry +640+370 -composite \
    "$png/s5.png" -geometry +645+50 -composite \
    "$sh_r" -geometry +645+58 -composite \
    -fill white -stroke '#5F86AC' -draw "rectangle 120,46 644,374" -stroke none \
    "$png/btnLista_pressed.png" -geometry +10+72 -composite \
    "$png/btnDatos_hover.png" -geometry +10+120 -composite \
    "$png/btnCumples_normal.png" -geometry +10+168 -composite \
    "$png/btnAvisal_disabled.png" -geometry +10+216 -composite \
    "$png/btnConfig_normal.png" -geometry +10+344 -composite \
    "$png/mini1.png" -geometry +621+6 -composite \
    "$png/cerr1.png" -geometry +644+6 -composite \
    "$png/buscar.png" -geometry +620+56 -composite \
    "$png/hagaclicaqui.png" -geometry +300+200 -composite \
    "$out/skin-mockup.png"
$IM "$out/skin-mockup.png" -filter point -resize 200% "$out/skin-mockup-2x.png"

# every state of every button, on the sidebar colour, 3x
rows=""
for b in Lista Datos Cumples Avisal Config; do
    $IM "$png/btn${b}_normal.png" "$png/btn${b}_hover.png" \
        "$png/btn${b}_pressed.png" "$png/btn${b}_disabled.png" \
        -background '#2B5584' -splice 6x6 +append "$png/_row_$b.png"
    rows="$rows $png/_row_$b.png"
done
$IM "$png/mini1.png" "$png/mini2.png" "$png/cerr1.png" "$png/cerr2.png" "$png/buscar.png" \
    -background '#2B5584' -splice 6x6 +append "$png/_row_small.png"
# shellcheck disable=SC2086
$IM $rows "$png/_row_small.png" -background '#2B5584' -append \
    -filter point -resize 300% "$out/skin-buttons.png"

echo "$out/skin-mockup.png $out/skin-mockup-2x.png $out/skin-buttons.png"
