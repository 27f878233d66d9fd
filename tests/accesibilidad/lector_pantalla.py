#!/usr/bin/python3
"""Reads the main window as a screen reader does: a display of its own
(Xvfb), a session bus of its own, the accessibility bus and its registry,
then the real program with accessibility on and an empty data folder.
Checks the names of the view buttons and of today's day cell after pressing
"Avisal" through its accessible action. Everything started is stopped at the
end; any service that does not start fails the test.

Usage: lector_pantalla.py PATH/TO/bindelora
"""

import datetime
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

MESES = ["", "enero", "febrero", "marzo", "abril", "mayo", "junio", "julio",
         "agosto", "septiembre", "octubre", "noviembre", "diciembre"]
BOTONES = ["Lista", "Datos", "Cumples", "Avisal", "Configuración"]


class Fallo(Exception):
    pass


def esperar(condicion, segundos, que):
    fin = time.monotonic() + segundos
    while time.monotonic() < fin:
        valor = condicion()
        if valor:
            return valor
        time.sleep(0.1)
    raise Fallo("no llegó a tiempo: " + que)


def pantalla_libre():
    for n in range(90, 400):
        if not os.path.exists("/tmp/.X%d-lock" % n) and not os.path.exists("/tmp/.X11-unix/X%d" % n):
            return n
    raise Fallo("no hay número de pantalla libre")


class Servicios:
    def __init__(self):
        self.procesos = []
        self.tmp = tempfile.mkdtemp(prefix="bindelora-lector-")
        os.chmod(self.tmp, 0o700)
        self.entorno = dict(os.environ)
        for v in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
            self.entorno.pop(v, None)

    def lanzar(self, nombre, orden, **kw):
        try:
            p = subprocess.Popen(orden, env=self.entorno, start_new_session=True, **kw)
        except OSError as e:
            raise Fallo("no arranca %s: %s" % (nombre, e))
        self.procesos.append((nombre, p))
        return p

    def vivo(self, nombre, p):
        if p.poll() is not None:
            raise Fallo("%s terminó (código %s)" % (nombre, p.returncode))

    def arrancar(self, programa):
        # The display.
        n = pantalla_libre()
        xvfb = self.lanzar("Xvfb", ["Xvfb", ":%d" % n, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        esperar(lambda: os.path.exists("/tmp/.X11-unix/X%d" % n) or xvfb.poll() is not None, 15, "Xvfb")
        self.vivo("Xvfb", xvfb)
        self.entorno["DISPLAY"] = ":%d" % n
        runtime = os.path.join(self.tmp, "runtime")
        os.mkdir(runtime, 0o700)
        self.entorno["XDG_RUNTIME_DIR"] = runtime

        # The session bus.
        bus = self.lanzar("dbus-daemon", ["dbus-daemon", "--session", "--nofork", "--print-address=1",
                                          "--address=unix:path=" + os.path.join(self.tmp, "bus")],
                          stdout=subprocess.PIPE, text=True)
        direccion = bus.stdout.readline().strip()
        self.vivo("dbus-daemon", bus)
        if not direccion:
            raise Fallo("dbus-daemon no dio su dirección")
        self.entorno["DBUS_SESSION_BUS_ADDRESS"] = direccion
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = direccion
        os.environ["DISPLAY"] = self.entorno["DISPLAY"]
        os.environ["XDG_RUNTIME_DIR"] = runtime

        # The accessibility bus and its registry.
        lanzador = self.lanzar("at-spi-bus-launcher", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        # Asked without activating it: the bus would start a launcher of its own.
        def con_dueno():
            r = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
                                "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"], env=self.entorno,
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            return "boolean true" in r.stdout
        esperar(lambda: con_dueno() or lanzador.poll() is not None, 15, "at-spi-bus-launcher")
        self.vivo("at-spi-bus-launcher", lanzador)
        registro = self.lanzar("at-spi2-registryd", ["/usr/libexec/at-spi2-registryd"])
        time.sleep(0.5)
        self.vivo("at-spi2-registryd", registro)

        # The program, from a private copy so its data stay beside it.
        carpeta = os.path.join(self.tmp, "programa")
        os.mkdir(carpeta, 0o700)
        copia = os.path.join(carpeta, "bindelora")
        shutil.copy2(programa, copia)
        self.entorno["XDG_DATA_HOME"] = os.path.join(self.tmp, "datos")
        self.entorno["HOME"] = self.tmp
        self.entorno["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.entorno["QT_ACCESSIBILITY"] = "1"
        self.entorno["QT_QPA_PLATFORM"] = "xcb"
        self.programa = self.lanzar("bindelora", [copia], cwd=carpeta)
        time.sleep(1)
        self.vivo("bindelora", self.programa)

    def parar(self):
        for nombre, p in reversed(self.procesos):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    os.killpg(p.pid, signal.SIGKILL)
                    p.wait()
            if p.stdout:
                p.stdout.close()
        shutil.rmtree(self.tmp, ignore_errors=True)


def descendientes(nodo, profundidad=0):
    if nodo is None or profundidad > 40:
        return
    yield nodo
    try:
        hijos = [nodo.getChildAtIndex(i) for i in range(nodo.childCount)]
    except Exception:
        return
    for h in hijos:
        yield from descendientes(h, profundidad + 1)


def buscar_aplicacion(pyatspi):
    escritorio = pyatspi.Registry.getDesktop(0)
    for i in range(escritorio.childCount):
        app = escritorio.getChildAtIndex(i)
        if app is not None and app.name.lower() == "bindelora":
            return app
    return None


def leer(pyatspi):
    app = esperar(lambda: buscar_aplicacion(pyatspi), 20, "la aplicación bindelora en el escritorio")

    def botones_de_vista():
        hallados = {n.name: n for n in descendientes(app)
                    if n.name in BOTONES and n.getRole() == pyatspi.ROLE_PUSH_BUTTON}
        return hallados if len(hallados) == len(BOTONES) else None
    botones = esperar(botones_de_vista, 20, "los botones de vista " + ", ".join(BOTONES))
    for nombre in BOTONES:
        b = botones[nombre]
        if not b.getState().contains(pyatspi.STATE_FOCUSABLE):
            raise Fallo("el botón %s no toma el foco" % nombre)

    # Avisal through its action, as a screen reader presses it.
    accion = botones["Avisal"].queryAction()
    nombres = [accion.getName(i).lower() for i in range(accion.nActions)]
    if "press" not in nombres:
        raise Fallo("Avisal no ofrece pulsar: %s" % nombres)
    accion.doAction(nombres.index("press"))

    hoy = datetime.date.today()
    esperado = "%d de %s de %d, hoy" % (hoy.day, MESES[hoy.month], hoy.year)
    dia = esperar(lambda: next((n for n in descendientes(app) if n.name.startswith(esperado)), None), 20,
                  "la celda de hoy «%s»" % esperado)
    print("celda:", dia.name, "rol:", dia.getRoleName())
    print("botones:", ", ".join(BOTONES))


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    servicios = Servicios()
    try:
        servicios.arrancar(sys.argv[1])
        import pyatspi
        leer(pyatspi)
        servicios.vivo("bindelora", servicios.programa)
    except Fallo as e:
        print("FALLO:", e, file=sys.stderr)
        return 1
    finally:
        servicios.parar()
    print("bien")
    return 0


if __name__ == "__main__":
    sys.exit(main())
