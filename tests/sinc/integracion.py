#!/usr/bin/env python3
"""The sync folder against a real server: Radicale on 127.0.0.1 at a free
port (temporary store, no authentication) and vdirsyncer carrying both the
program's folder and a second folder, the "phone", to and from it. Each
change made on one side must arrive on the other: adding, changing and
deleting a contact and an entry on each side, and a conflict.

    integracion.py CONDUCTOR BINDELORA

BINDELORA --sincronizar runs the headless exchanges, CONDUCTOR the runs of
the window (see conductor.cpp). Any failure, including not being able to
start the services, fails the test."""

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

CONDUCTOR = sys.argv[1]
PROGRAMA = sys.argv[2] if len(sys.argv) > 2 else None
RAIZ = tempfile.mkdtemp(prefix="bindelora-integracion-")
# A copy of the program in a folder of its own keeps its data beside it.
COPIA = os.path.join(RAIZ, "datos", "bindelora")
ENTORNO = dict(os.environ, XDG_CONFIG_HOME=os.path.join(RAIZ, "config"), XDG_DATA_HOME=os.path.join(RAIZ, "xdg"))
AGENDA = os.path.join(RAIZ, "datos", "bindelora.dat")
AVISAL = os.path.join(RAIZ, "datos", "bindelora.avs")
CARPETA = os.path.join(RAIZ, "sinc")
MOVIL = os.path.join(RAIZ, "movil")
CONFIG = os.path.join(RAIZ, "vdirsyncer.conf")
servidor = None
fallos = 0
pasos = 0


def puerto_libre():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def arrancar_radicale():
    puerto = puerto_libre()
    almacen = os.path.join(RAIZ, "radicale")
    conf = os.path.join(RAIZ, "radicale.conf")
    with open(conf, "w") as f:
        f.write(f"""[server]
hosts = 127.0.0.1:{puerto}
[auth]
type = none
[rights]
type = owner_only
[storage]
filesystem_folder = {almacen}
[logging]
level = warning
""")
    registro = open(os.path.join(RAIZ, "radicale.log"), "w")
    proc = subprocess.Popen(["radicale", "-C", conf], stdout=registro, stderr=subprocess.STDOUT)
    limite = time.time() + 30
    while time.time() < limite:
        if proc.poll() is not None:
            break
        try:
            urllib.request.urlopen(f"http://127.0.0.1:{puerto}/.web/", timeout=1).read()
            return proc, puerto
        except Exception:
            time.sleep(0.2)
    proc.kill()
    registro.close()
    with open(os.path.join(RAIZ, "radicale.log")) as f:
        sys.stderr.write(f.read())
    raise SystemExit("FALLO: Radicale no arranca en 127.0.0.1")


def escribir_config(puerto):
    url = f"http://127.0.0.1:{puerto}/prueba/"
    partes = ["[general]", f'status_path = "{RAIZ}/estado-vdirsyncer/"', ""]
    for lado, ruta in (("libro", CARPETA), ("movil", MOVIL)):
        for tipo, coleccion, ext, remoto in (("contactos", "contactos", ".vcf", "carddav"),
                                             ("sucesos", "sucesos", ".ics", "caldav")):
            partes += [f"[pair {lado}_{tipo}]", f'a = "{lado}_{tipo}_local"', f'b = "{lado}_{tipo}_servidor"',
                       f'collections = ["{coleccion}"]', "",
                       f"[storage {lado}_{tipo}_local]", 'type = "filesystem"', f'path = "{ruta}"',
                       f'fileext = "{ext}"', "",
                       f"[storage {lado}_{tipo}_servidor]", f'type = "{remoto}"', f'url = "{url}"',
                       'username = "prueba"', 'password = "prueba"', ""]
    with open(CONFIG, "w") as f:
        f.write("\n".join(partes))


def vdirsyncer(*args, entrada=None):
    r = subprocess.run(["vdirsyncer", "-c", CONFIG, *args], input=entrada, capture_output=True, text=True,
                       timeout=120)
    if r.returncode != 0:
        sys.stderr.write(r.stdout + r.stderr)
        raise SystemExit(f"FALLO: vdirsyncer {' '.join(args)}")


def sincronizar_todo():
    """Both folders with the server, the phone's last so it sees all."""
    vdirsyncer("sync", "libro_contactos", "libro_sucesos")
    vdirsyncer("sync", "movil_contactos", "movil_sucesos")
    vdirsyncer("sync", "libro_contactos", "libro_sucesos")


def conductor(*args):
    r = subprocess.run([CONDUCTOR, *args], capture_output=True, text=True, timeout=120)
    sys.stdout.write(r.stdout)
    if r.returncode != 0:
        sys.stderr.write(r.stderr)
        raise SystemExit(f"FALLO: conductor {' '.join(args[:1])} termina con {r.returncode}")
    return r.stdout


def intercambio():
    r = subprocess.run([COPIA, "--sincronizar"], capture_output=True, text=True, timeout=120, env=ENTORNO)
    sys.stdout.write(r.stdout)
    if r.returncode != 0:
        sys.stderr.write(r.stderr)
        raise SystemExit(f"FALLO: bindelora --sincronizar termina con {r.returncode}")
    comprobar("bindelora --sincronizar da una línea de resumen", r.stdout.startswith("Sincronización: "))
    return r.stdout


def preparar_programa():
    shutil.copy2(PROGRAMA, COPIA)
    r = subprocess.run([COPIA, "--sincronizar-en", CARPETA], capture_output=True, text=True, timeout=60, env=ENTORNO)
    if r.returncode != 0:
        sys.stderr.write(r.stdout + r.stderr)
        raise SystemExit("FALLO: bindelora --sincronizar-en")


def sesion(*ops):
    return conductor("sesion", AGENDA, AVISAL, CARPETA, *ops)


def libro():
    if not os.path.exists(AGENDA):
        return ""
    with open(AGENDA, encoding="cp1252") as f:
        return f.read()


def sucesos():
    if not os.path.exists(AVISAL):
        return ""
    with open(AVISAL, encoding="cp1252") as f:
        return f.read()


def archivos_movil(tipo):
    carpeta = os.path.join(MOVIL, tipo)
    r = {}
    for n in sorted(os.listdir(carpeta)) if os.path.isdir(carpeta) else []:
        with open(os.path.join(carpeta, n), encoding="utf-8") as f:
            r[n] = f.read()
    return r


def en_movil(tipo, trozo):
    return [n for n, t in archivos_movil(tipo).items() if trozo in t]


def editar_movil(tipo, trozo, de, a):
    nombres = en_movil(tipo, trozo)
    if len(nombres) != 1:
        raise SystemExit(f"FALLO: en el móvil {len(nombres)} archivos con {trozo!r}")
    ruta = os.path.join(MOVIL, tipo, nombres[0])
    with open(ruta, encoding="utf-8") as f:
        t = f.read()
    if de not in t:
        raise SystemExit(f"FALLO: {de!r} no está en {ruta}")
    with open(ruta, "w", encoding="utf-8", newline="") as f:
        f.write(t.replace(de, a))


def nuevo_en_movil(tipo, nombre, texto):
    with open(os.path.join(MOVIL, tipo, nombre), "w", encoding="utf-8", newline="") as f:
        f.write(texto)


def borrar_en_movil(tipo, trozo):
    for n in en_movil(tipo, trozo):
        os.remove(os.path.join(MOVIL, tipo, n))


def comprobar(que, cierto):
    global fallos, pasos
    pasos += 1
    print(("ok   " if cierto else "FALLO") + " " + que, flush=True)
    if not cierto:
        fallos += 1


def pruebas():
    os.makedirs(os.path.dirname(AGENDA))
    preparar_programa()
    os.makedirs(os.path.join(MOVIL, "contactos"))
    os.makedirs(os.path.join(MOVIL, "sucesos"))
    # The program's first exchange makes its folders; vdirsyncer then makes
    # the collections on the server.
    intercambio()
    vdirsyncer("discover", entrada="y\n" * 20)

    # Added here.
    # Eva and New Year stay to the end: vdirsyncer refuses to empty a side.
    sesion("anadir:Ana:Ruiz:600111222", "sanadir:24:12:9999:Nochebuena", "anadir:Eva:Sol:699000000",
           "sanadir:1:1:9999:Año nuevo")
    sincronizar_todo()
    comprobar("contacto añadido aquí llega al móvil", len(en_movil("contactos", "600111222")) == 1)
    comprobar("suceso añadido aquí llega al móvil", len(en_movil("sucesos", "SUMMARY:Nochebuena")) == 1)

    # Changed here.
    sesion("cambiar:Ana:movil:600999999", "scambiar:Nochebuena:Nochebuena en casa")
    sincronizar_todo()
    comprobar("contacto cambiado aquí cambia en el móvil",
              len(en_movil("contactos", "600999999")) == 1 and not en_movil("contactos", "600111222"))
    comprobar("suceso cambiado aquí cambia en el móvil",
              len(en_movil("sucesos", "Nochebuena en casa")) == 1 and len(archivos_movil("sucesos")) == 2)

    # Added on the phone.
    nuevo_en_movil("contactos", "luis.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:luis-del-movil\r\n"
                   "N:Pardo;Luis;;;\r\nFN:Luis Pardo\r\nTEL;TYPE=CELL:622000000\r\n"
                   "X-MOVIL-TONO:campana\r\nEND:VCARD\r\n")
    nuevo_en_movil("sucesos", "cita.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Movil//ES\r\n"
                   "BEGIN:VEVENT\r\nUID:cita-del-movil\r\nDTSTAMP:20261201T000000Z\r\n"
                   "DTSTART;VALUE=DATE:20300115\r\nDTEND;VALUE=DATE:20300116\r\nSUMMARY:Cita del móvil\r\n"
                   "END:VEVENT\r\nEND:VCALENDAR\r\n")
    sincronizar_todo()
    intercambio()
    comprobar("contacto añadido en el móvil llega aquí", "NOM:Luis\nAP1:Pardo" in libro() and "622000000" in libro())
    comprobar("suceso añadido en el móvil llega aquí", "15012030Cita del móvil" in sucesos())

    # Changed on the phone.
    editar_movil("contactos", "luis-del-movil", "622000000", "633000000")
    editar_movil("sucesos", "cita-del-movil", "SUMMARY:Cita del móvil", "SUMMARY:Cita movida")
    sincronizar_todo()
    intercambio()
    comprobar("contacto cambiado en el móvil cambia aquí", "633000000" in libro() and "622000000" not in libro())
    comprobar("suceso cambiado en el móvil cambia aquí", "15012030Cita movida" in sucesos() and "Cita del" not in sucesos())

    # Changed here, what the phone keeps of its own survives.
    sesion("cambiar:Luis:email:luis@example.org")
    sincronizar_todo()
    luis = en_movil("contactos", "luis-del-movil")
    comprobar("lo que el libro no guarda sobrevive a un cambio hecho aquí",
              len(luis) == 1 and "X-MOVIL-TONO:campana" in archivos_movil("contactos")[luis[0]]
              and "luis@example.org" in archivos_movil("contactos")[luis[0]])

    # Deleted on the phone.
    borrar_en_movil("contactos", "luis-del-movil")
    borrar_en_movil("sucesos", "cita-del-movil")
    sincronizar_todo()
    intercambio()
    comprobar("contacto borrado en el móvil se borra aquí", "Luis" not in libro())
    comprobar("suceso borrado en el móvil se borra aquí", "Cita" not in sucesos())

    # A conflict: the phone changes Ana while a run here changes her too.
    otro_lado = " && ".join([
        f"{sys.executable} {os.path.abspath(__file__)} --editar-movil {MOVIL} 600999999 644000000",
        f"vdirsyncer -c {CONFIG} sync movil_contactos",
        f"vdirsyncer -c {CONFIG} sync libro_contactos"])
    sesion(f"orden:{otro_lado}", "cambiar:Ana:movil:655000000")
    sincronizar_todo()
    salida = intercambio()
    comprobar("un conflicto se nombra", "Conflicto, se guardan las dos versiones: Ana Ruiz" in salida)
    comprobar("un conflicto deja las dos versiones aquí", "655000000" in libro() and "644000000" in libro())
    sincronizar_todo()
    comprobar("un conflicto deja las dos versiones en el móvil",
              len(en_movil("contactos", "655000000")) == 1 and len(en_movil("contactos", "644000000")) == 1)

    # Deleted here.
    sesion("borrar:Ana", "borrar:Ana", "sborrar:Nochebuena en casa")
    sincronizar_todo()
    comprobar("contacto borrado aquí se borra en el móvil", not en_movil("contactos", "Ruiz"))
    comprobar("suceso borrado aquí se borra en el móvil", not en_movil("sucesos", "Nochebuena"))
    comprobar("lo que no se tocó sigue en los dos lados",
              len(en_movil("contactos", "699000000")) == 1 and "NOM:Eva" in libro()
              and len(en_movil("sucesos", "Año nuevo")) == 1 and "01019999Año nuevo" in sucesos())

    # Nothing left to do: an exchange changes nothing.
    salida = intercambio()
    comprobar("sin cambios no se escribe nada", "carpeta 0 escritos, 0 borrados" in salida)


def main():
    global servidor
    if len(sys.argv) == 5 and sys.argv[1] == "--editar-movil":
        # The phone's edit inside a run of the program (see the conflict).
        global MOVIL
        MOVIL = sys.argv[2]
        editar_movil("contactos", sys.argv[3], sys.argv[3], sys.argv[4])
        return 0
    if not PROGRAMA or not os.access(PROGRAMA, os.X_OK):
        print("FALLO: falta el programa bindelora")
        return 1
    for programa in ("radicale", "vdirsyncer"):
        if not shutil.which(programa):
            print(f"FALLO: falta {programa} (make deps lo instala)")
            return 1
    try:
        servidor, puerto = arrancar_radicale()
        escribir_config(puerto)
        pruebas()
    except SystemExit as e:
        print(e)
        return 1
    finally:
        if servidor:
            servidor.terminate()
            try:
                servidor.wait(timeout=10)
            except subprocess.TimeoutExpired:
                servidor.kill()
        if fallos == 0:
            shutil.rmtree(RAIZ, ignore_errors=True)
        else:
            print("Carpeta de la prueba:", RAIZ)
    print(f"{pasos - fallos} passed, {fallos} failed")
    return 1 if fallos else 0


if __name__ == "__main__":
    sys.exit(main())
