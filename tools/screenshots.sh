#!/bin/sh
# Takes the README's pictures from the real program: each of the five views
# and the today's-events window, under a private Xvfb, on sample data in a
# temporary folder (the user's own data and settings are never touched).
#
#   tools/screenshots.sh [PROGRAM] [OUTDIR]    (default build/bin/bindelora docs)
#
# Writes OUTDIR/vista-lista.png, vista-datos.png, vista-cumples.png,
# vista-avisal.png, vista-buscar.png and sucesos-hoy.png.
# Needs Xvfb, xdotool and ImageMagick's import (make screenshots installs them).
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
programa=$(realpath "${1:-$here/build/bin/bindelora}")
salida=${2:-$here/docs}
mkdir -p "$salida"
salida=$(realpath "$salida")

for herramienta in Xvfb xdotool import iconv; do
    command -v $herramienta >/dev/null 2>&1 || { echo "missing: $herramienta" >&2; exit 1; }
done
[ -x "$programa" ] || { echo "no program at $programa" >&2; exit 1; }

tmp=$(mktemp -d)
xvfb=""
pid=""
limpiar() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$tmp"
}
trap limpiar EXIT

# A copy of the program keeps the sample data beside itself.
mkdir -p "$tmp/prog" "$tmp/config" "$tmp/datos"
cp "$programa" "$tmp/prog/bindelora"

# --- sample data -----------------------------------------------------------
# Day counts since 30 December 1899, as the agenda file keeps birthdays.
dias() {
    echo $(( ($(date -u -d "$1" +%s) - $(date -u -d 1899-12-30 +%s)) / 86400 ))
}
hoy_d=$(date +%d)
hoy_m=$(date +%m)
ano=$(date +%Y)
# Birthdays spread around today, one of them today; leap years only, so
# that a 29 February is a date in each.
cumple() {  # cumple OFFSET_DAYS YEAR
    dias "$2-$(date -d "$1 days" +%m-%d)"
}

contacto() {  # contacto NOM AP1 AP2 TFC TFM EMA GRP CUM DIR VAR
    printf 'NOM:%s\r\nAP1:%s\r\nAP2:%s\r\nTFC:%s\r\nTFM:%s\r\nEMA:%s\r\nGRP:%s\r\nCUM:%s\r\nAVS:0\r\n' \
        "$1" "$2" "$3" "$4" "$5" "$6" "$7" "$8"
    [ -z "$9" ] || printf 'DIR:%s\r\n' "$9"
    printf -- '----\r\n'
    [ -z "${10}" ] || printf 'VAR:%s\r\n' "${10}"
    printf -- '----\r\n'
}

{
    printf 'VER:2.1\r\n----\r\n'
    contacto "Lucía" "Fernández" "Ortega" "915 550 123" "600 111 222" "lucia.fo@correo.es" "Familia" \
        "$(cumple 0 1984)" "Calle Mayor, 12, 3º B" "Prima de Madrid"
    contacto "Andrés" "García" "López" "914 443 210" "611 222 333" "andres@correo.es" "Trabajo" \
        "$(cumple 3 1980)" "Avenida de América, 40" ""
    contacto "María José" "Martín" "Sanz" "" "622 333 444" "mj.martin@correo.es" "Amigos" \
        "$(cumple 12 1992)" "Plaza del Sol, 5" "Vegetariana"
    contacto "Javier" "Núñez" "Rodríguez" "983 221 100" "633 444 555" "" "Familia" \
        "$(cumple 27 1956)" "Calle del Río, 8, Valladolid" ""
    contacto "Carmen" "Ruiz" "Blanco" "" "644 555 666" "carmen.ruiz@correo.es" "Trabajo" \
        "$(cumple 45 1988)" "" ""
    contacto "Pablo" "Sánchez" "Iglesias" "954 120 987" "" "pablo.si@correo.es" "Amigos" \
        "$(cumple 80 1996)" "Calle Feria, 101, Sevilla" ""
    contacto "Elena" "Torres" "Vidal" "" "655 666 777" "" "Amigos" \
        "$(cumple 150 1976)" "" ""
    contacto "Tomás" "Vega" "Alonso" "916 778 899" "666 777 888" "tomas.vega@correo.es" "Trabajo" \
        "0" "" ""
} | iconv -f UTF-8 -t CP1252 >"$tmp/prog/bindelora.dat"

siguiente_d=$(date -d "5 days" +%d)
siguiente_m=$(date -d "5 days" +%m)
{
    printf '%s%s%sReunión de antiguos alumnos\r\n' "$hoy_d" "$hoy_m" "$ano"
    printf '%s%s9999Santo de Luis\r\n' "$siguiente_d" "$siguiente_m"
    printf '0100%04dPagar el alquiler\r\n' $((ano + 1))
    printf '06019999Reyes\r\n'
    printf '25129999Navidad\r\n'
} | iconv -f UTF-8 -t CP1252 >"$tmp/prog/bindelora.avs"

# --- display ---------------------------------------------------------------
exec 3>"$tmp/pantalla"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
i=0
while [ ! -s "$tmp/pantalla" ]; do
    i=$((i + 1)); [ $i -le 100 ] || { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
DISPLAY=:$(head -n1 "$tmp/pantalla")
export DISPLAY

# The program's visible windows, by pid. With WIDTH HEIGHT: the first of
# that size; with "otra": the first that is not the main window.
ventana() {  # ventana WIDTH HEIGHT | ventana otra
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        if [ "$1" = otra ]; then
            [ "$id" = "$principal" ] || { echo "$id"; return 0; }
        elif [ "$WIDTH" -eq "$1" ] && [ "$HEIGHT" -eq "$2" ]; then
            echo "$id"; return 0
        fi
    done
    return 1
}

esperar_ventana() {  # esperar_ventana (WIDTH HEIGHT | otra)
    i=0
    until ventana "$@" >/dev/null; do
        i=$((i + 1)); [ $i -le 100 ] || return 1
        sleep 0.1
    done
    sleep 0.8   # let it paint
    ventana "$@"
}

iniciar() {  # iniciar SWITCH
    env HOME="$tmp" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/datos" \
        "$tmp/prog/bindelora" "$@" >"$tmp/salida" 2>&1 &
    pid=$!
    principal=$(esperar_ventana 669 400) || { cat "$tmp/salida" >&2; echo "no main window" >&2; exit 1; }
}

terminar() {
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
}

foto() {  # foto WINDOW NAME
    import -window "$1" "$salida/$2.png"
    echo "$salida/$2.png"
}

iniciar /LISTA
foto "$principal" vista-lista
terminar

iniciar /DATOS
foto "$principal" vista-datos
# The search form opens from the Datos view's "Buscar" button.
xdotool mousemove --window "$principal" 488 354 click 1
sleep 0.8
foto "$principal" vista-buscar
terminar

iniciar /CUMPLES
foto "$principal" vista-cumples
terminar

# The Avisal view shows the entries that fall today in a window of its own.
iniciar /AVISAL
if hoy=$(esperar_ventana otra); then
    foto "$hoy" sucesos-hoy
    xdotool key --window "$hoy" Escape
    sleep 0.8
else
    echo "no today's-events window was shown" >&2
fi
foto "$principal" vista-avisal
terminar
