#!/bin/sh
# Installs the build into a temporary prefix and checks what was installed.
#
#   instalacion.sh BUILD_DIR APP_ID ejecutar|lanzador|metainfo
#
# ejecutar: runs the installed program the way a user would, with its folder
#           not writable, and checks that the data files land in a temporary
#           XDG_DATA_HOME (and nowhere beside the program);
# lanzador: the .desktop launcher: desktop-file-validate and its contents;
# metainfo: the AppStream file: appstreamcli validate.
# Exit 77 (skipped) when a validator is not installed.
set -eu

build=$1
app_id=$2
que=$3

tmp=$(mktemp -d)
pid=""
trap 'if [ -n "$pid" ]; then kill -KILL "$pid" 2>/dev/null || true; fi; chmod -R u+w "$tmp"; rm -rf "$tmp"' EXIT

falla() {
    echo "FALLO: $*" >&2
    exit 1
}

instalar() {  # instalar PREFIX [DESTDIR]
    if [ $# -gt 1 ]; then
        DESTDIR=$2 cmake --install "$build" --prefix "$1" >"$tmp/install.log" 2>&1 ||
            { cat "$tmp/install.log" >&2; falla "cmake --install"; }
    else
        cmake --install "$build" --prefix "$1" >"$tmp/install.log" 2>&1 ||
            { cat "$tmp/install.log" >&2; falla "cmake --install"; }
    fi
}

case $que in
lanzador)
    command -v desktop-file-validate >/dev/null 2>&1 || { echo "desktop-file-validate missing: skipped"; exit 77; }
    prefijo="$tmp/con espacio"
    instalar "$prefijo"
    lanzador="$prefijo/share/applications/$app_id.desktop"
    [ -f "$lanzador" ] || falla "no launcher at $lanzador"
    desktop-file-validate "$lanzador" || falla "desktop-file-validate"
    # The launcher starts the installed program, whatever the prefix.
    grep -qx "TryExec=$prefijo/bin/bindelora" "$lanzador" || falla "TryExec"
    grep -qx "Exec=\"$prefijo/bin/bindelora\"" "$lanzador" || falla "Exec"
    [ -x "$prefijo/bin/bindelora" ] || falla "program not installed"
    for accion in Lista:LISTA:Lista Datos:DATOS:Datos Cumples:CUMPLES:Cumpleaños Avisal:AVISAL:Avisal; do
        id=${accion%%:*}
        resto=${accion#*:}
        switch=${resto%%:*}
        nombre=${resto#*:}
        sed -n "/^\[Desktop Action $id\]/,/^\[/p" "$lanzador" >"$tmp/accion"
        grep -qx "Name=$nombre" "$tmp/accion" || falla "action $id: Name"
        grep -qx "Exec=\"$prefijo/bin/bindelora\" /$switch" "$tmp/accion" || falla "action $id: Exec"
    done
    grep -qx "Actions=Lista;Datos;Cumples;Avisal;" "$lanzador" || falla "Actions"
    grep -qx "Categories=Office;ContactManagement;" "$lanzador" || falla "Categories"
    # The icon it names is installed, scalable and in bitmap sizes.
    icono=$(sed -n 's/^Icon=//p' "$lanzador")
    [ "$icono" = "$app_id" ] || falla "Icon=$icono"
    [ -f "$prefijo/share/icons/hicolor/scalable/apps/$icono.svg" ] || falla "scalable icon"
    for lado in 16 32 48 128 256; do
        png="$prefijo/share/icons/hicolor/${lado}x$lado/apps/$icono.png"
        [ -f "$png" ] || falla "icon $lado"
        # PNG header: width and height, big-endian, at bytes 16 and 20.
        medidas=$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ' | sed 's/^ //')
        b="0 0 $((lado / 256)) $((lado % 256))"
        [ "$medidas" = "$b $b" ] || falla "icon $lado is $medidas"
    done
    echo "launcher ok"
    ;;

metainfo)
    command -v appstreamcli >/dev/null 2>&1 || { echo "appstreamcli missing: skipped"; exit 77; }
    instalar /usr "$tmp/raiz"
    meta="$tmp/raiz/usr/share/metainfo/$app_id.metainfo.xml"
    [ -f "$meta" ] || falla "no metainfo at $meta"
    appstreamcli validate --no-net "$meta" || falla "appstreamcli validate"
    appstreamcli validate-tree --no-net "$tmp/raiz" || falla "appstreamcli validate-tree"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$meta" || falla "launchable"
    [ -f "$tmp/raiz/usr/share/applications/$app_id.desktop" ] || falla "launchable not installed"
    echo "metainfo ok"
    ;;

ejecutar)
    prefijo="$tmp/prefijo"
    instalar "$prefijo"
    programa="$prefijo/bin/bindelora"
    xdg="$tmp/xdg"
    casa="$tmp/casa"
    mkdir -p "$xdg" "$casa" "$casa/config"
    chmod 755 "$tmp"
    # The program's folder must not be writable by whoever runs it: root
    # writes anywhere, so root runs it as nobody, as a user would.
    como=""
    if [ "$(id -u)" -eq 0 ]; then
        command -v setpriv >/dev/null 2>&1 || { echo "setpriv missing: skipped"; exit 77; }
        chown -R 65534:65534 "$xdg" "$casa"
        como="setpriv --reuid=65534 --regid=65534 --clear-groups"
    fi
    chmod -R a+rX "$prefijo"
    chmod a-w "$prefijo/bin"

    ejecutar() {  # ejecutar ARGS...: starts, waits for the start, then SIGTERM
        rm -f "$tmp/salida"
        env -i PATH=/usr/bin:/bin HOME="$casa" XDG_DATA_HOME="$xdg" XDG_CONFIG_HOME="$casa/config" \
            QT_QPA_PLATFORM=offscreen $como "$programa" "$@" >"$tmp/salida" 2>&1 &
        pid=$!
        # The events file is created during the start.
        i=0
        while [ ! -f "$xdg/bindelora/bindelora.avs" ]; do
            i=$((i + 1))
            [ $i -le 200 ] || falla "the program did not start: $(cat "$tmp/salida")"
            kill -0 "$pid" 2>/dev/null || falla "the program ended at start: $(cat "$tmp/salida")"
            sleep 0.05
        done
        sleep 0.5
        kill -TERM "$pid"
        rc=0
        wait "$pid" || rc=$?
        pid=""
        [ $rc -eq 0 ] || falla "exit status $rc: $(cat "$tmp/salida")"
    }

    # First start on an empty data folder: as beside the program.
    ejecutar
    datos="$xdg/bindelora"
    [ "$(stat -c %a "$datos")" = 700 ] || falla "data folder mode $(stat -c %a "$datos")"
    printf 'VER:2.1\r\n----\r\n' | cmp -s - "$datos/bindelora.dat" || falla "first agenda file: $(od -c "$datos/bindelora.dat")"
    [ -f "$datos/bindelora.avs" ] && [ ! -s "$datos/bindelora.avs" ] || falla "first events file"
    [ "$(ls "$prefijo/bin")" = bindelora ] || falla "files beside the program: $(ls "$prefijo/bin")"
    [ -f "$casa/config/Quenturo/Bindelora.reg" ] || falla "the settings store stays where it was"

    # A later start reads and writes the same files: a contact born on
    # 1 January 2001 (day 36892) gets its birthday entered.
    printf 'VER:2.1\r\n----\r\nNOM:Ana\r\nAP1:Zamora\r\nAP2:\r\nTFC:\r\nTFM:\r\nEMA:\r\nGRP:\r\nCUM:36892\r\nAVS:0\r\n----\r\n----\r\n' \
        >"$datos/bindelora.dat"
    ejecutar /LISTA
    grep -q '^AVS:1' "$datos/bindelora.dat" || falla "the agenda file was not read back and written"
    printf '01019999Cumplea\361os de Ana Zamora\r\n' | cmp -s - "$datos/bindelora.avs" ||
        falla "events file: $(od -c "$datos/bindelora.avs")"
    [ "$(ls "$prefijo/bin")" = bindelora ] || falla "files beside the program"
    echo "installed run ok"
    ;;

*)
    falla "unknown check $que"
    ;;
esac
