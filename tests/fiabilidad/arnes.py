#!/usr/bin/env python3
"""Hostile runs of velmarion-cli against a throw-away home.

    arnes.py CLI GEN corpus        bad inputs of tests/corpus: exit 1, their message, databases untouched
    arnes.py CLI GEN caidas-import    kill -9 of the import at 20 moments on a 5k x 20 shipment
    arnes.py CLI GEN caidas-transfer  the same for the transfer
    arnes.py CLI GEN concurrencia  two imports, an import during a transfer, two transfers, at once

Each prints its figures and exits non-zero on any unsound case.
"""
import hashlib
import os
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

CLI, GEN, MODO = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]
AQUI = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(os.path.dirname(AQUI), "corpus")
PUNTOS = int(os.environ.get("VELMARION_PUNTOS_CAIDA", "20"))
ENTORNO = dict(os.environ, LC_ALL="C.UTF-8")
fallos = []


def fallo(texto):
    fallos.append(texto)
    print("FALLO:", texto, flush=True)


class Home:
    def __init__(self, raiz, nombre="home"):
        self.dir = os.path.join(raiz, nombre)
        os.makedirs(self.dir, exist_ok=True)
        self.ajustes = os.path.join(self.dir, "ajustes.ini")

    def base(self, *args):
        return [CLI, "--home", self.dir, "--settings", self.ajustes, *args]

    def cli(self, *args, timeout=300):
        return subprocess.run(self.base(*args), capture_output=True, text=True, stdin=subprocess.DEVNULL,
                              timeout=timeout, env=ENTORNO)

    def lanzar(self, *args):
        return subprocess.Popen(self.base(*args), stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                stdin=subprocess.DEVNULL, env=ENTORNO)

    def db(self, nombre):
        return os.path.join(self.dir, "db", nombre)

    def consulta(self, nombre, sql, *p):
        with sqlite3.connect(self.db(nombre), timeout=30) as c:
            return c.execute(sql, p).fetchall()

    def copiar(self, destino):
        shutil.rmtree(destino, ignore_errors=True)
        shutil.copytree(self.dir, destino)
        h = Home(os.path.dirname(destino), os.path.basename(destino))
        return h


def generar(raiz, nombre, *args):
    ruta = os.path.join(raiz, nombre)
    subprocess.run([GEN, *args, "--salida", ruta], check=True, capture_output=True)
    return ruta


def preparar(raiz):
    h = Home(raiz)
    r = h.cli("init", "--demo")
    if r.returncode != 0:
        sys.exit("init --demo: " + r.stdout + r.stderr)
    return h


def correr(h, *args):
    r = h.cli(*args)
    if r.returncode != 0:
        fallo(f"{' '.join(args)} sale con {r.returncode}: {r.stdout[-600:]}")
    return r


# ---------------------------------------------------------------- corpus

def huella(h):
    """Every byte of both databases and of the settings, and their dumps."""
    r = {}
    for nombre in ("Dantremos.db", "Corvex.db"):
        with open(h.db(nombre), "rb") as f:
            r[nombre] = hashlib.sha256(f.read()).hexdigest()
        with sqlite3.connect(h.db(nombre)) as c:
            r[nombre + " volcado"] = hashlib.sha256("\n".join(c.iterdump()).encode()).hexdigest()
    with open(h.ajustes, "rb") as f:
        r["ajustes"] = hashlib.sha256(f.read()).hexdigest()
    return r


def corpus(raiz):
    h = preparar(raiz)
    correr(h, "import", generar(raiz, "bueno.txt", "--seed", "11", "--headers", "5", "--detalles", "3"))
    correr(h, "transfer", "1001//01")
    # Inputs too big or too odd to keep in the repository are made here.
    with open(os.path.join(raiz, "linea-larga.txt"), "wb") as f:
        f.write(b"H" + b" " * 70000 + b"\r\nP\r\n")
    os.makedirs(os.path.join(raiz, "carpeta"), exist_ok=True)
    cerrado = os.path.join(raiz, "cerrado.txt")
    shutil.copy(os.path.join(raiz, "bueno.txt"), cerrado)
    os.chmod(cerrado, 0)
    marcas = {"{corpus}": CORPUS, "{tmp}": raiz, "{home}": h.dir}
    casos = []
    with open(os.path.join(CORPUS, "casos.tsv"), encoding="utf-8") as f:
        for linea in f:
            if linea.strip() and not linea.startswith("#"):
                casos.append(linea.rstrip("\n").split("\t"))
    probados = 0
    for nombre, mensaje, argumentos in casos:
        args = argumentos.split(" ")
        for k, v in marcas.items():
            args = [a.replace(k, v) for a in args]
        if nombre == "sin-permiso" and os.access(cerrado, os.R_OK):
            print(f"{nombre}: omitido (quien corre lee cualquier archivo)")
            continue
        args = [a.replace("{120k}", "X" * 120000).replace("{salto}", "3\n10") for a in args]
        antes = huella(h)
        if args[0] == "--settings":  # the case names its own settings
            r = subprocess.run([CLI, "--home", h.dir, *args], capture_output=True, text=True,
                               stdin=subprocess.DEVNULL, timeout=120, env=ENTORNO)
        else:
            r = h.cli(*args, timeout=120)
        probados += 1
        if r.returncode != 1:
            fallo(f"{nombre}: sale con {r.returncode}, no 1: {r.stdout[-400:]}{r.stderr[-400:]}")
        if mensaje not in r.stdout:
            fallo(f"{nombre}: falta el mensaje «{mensaje}»: {r.stdout[-600:]}")
        despues = huella(h)
        for k in antes:
            if antes[k] != despues[k]:
                fallo(f"{nombre}: {k} cambió")
    print(f"corpus: {probados} casos, {len(fallos)} fallos")


# ---------------------------------------------------------------- kill -9

def integridad(h, donde):
    for nombre in ("Dantremos.db", "Corvex.db"):
        ok = h.consulta(nombre, "pragma integrity_check")
        if ok != [("ok",)]:
            fallo(f"{donde}: integrity_check de {nombre}: {ok}")


def interno_trabajo(h, n):
    art = h.consulta("Dantremos.db", "select count(*), total(ARTTOT) from ART where INTNRO = ?", n)[0]
    ins = h.consulta("Dantremos.db", "select count(*), total(CIF) from ARTINS where INTNRO = ?", n)[0]
    intn = h.consulta("Dantremos.db", "select count(*) from INTN where INTNRO = ?", n)[0][0]
    return art, ins, intn


def declaracion(h, n):
    car = h.consulta("Corvex.db", "select count(*), total(fobdivisas) from caratula where interno = ?", n)[0]
    sub = h.consulta("Corvex.db", "select count(*), total(fob) from subitems where interno = ?", n)[0]
    des = h.consulta("Corvex.db", "select count(*) from descargas where interno = ?", n)[0][0]
    return car, sub, des


def matar_en(h, args, segundos):
    p = h.lanzar(*args)
    time.sleep(segundos)
    vivo = p.poll() is None
    if vivo:
        p.send_signal(signal.SIGKILL)
    p.communicate()
    return vivo


def caidas(raiz, cual):
    h = preparar(raiz)
    n = "1001//01"
    viejo = generar(raiz, "viejo.txt", "--seed", "21", "--headers", "50", "--detalles", "2")
    grande = generar(raiz, "grande.txt", "--seed", "22", "--headers", "5000", "--detalles", "20")
    correr(h, "import", viejo)
    correr(h, "transfer", n)
    base = h.copiar(os.path.join(raiz, "base"))
    antes_trabajo = interno_trabajo(base, n)
    antes_decl = declaracion(base, n)

    matados = {"import": 0, "transfer": 0}
    inconsistencias = 0
    # Import over an earlier version: the interno is the earlier one or the new one, whole.
    if cual == "import":
        t0 = time.monotonic()
        medida = base.copiar(os.path.join(raiz, "medida"))
        correr(medida, "import", grande)
        duracion = time.monotonic() - t0
        nuevo_trabajo = interno_trabajo(medida, n)
    for i in range(PUNTOS if cual == "import" else 0):
        momento = duracion * (i + 0.5) / PUNTOS
        k = base.copiar(os.path.join(raiz, "k"))
        if matar_en(k, ["import", grande], momento):
            matados["import"] += 1
        antes = len(fallos)
        integridad(k, f"import +{momento:.2f}s")
        estado = interno_trabajo(k, n)
        # The classification commits apart from the import, so a run killed in
        # it leaves the new rows whole, classified or not.
        if estado not in (antes_trabajo, nuevo_trabajo):
            fallo(f"import +{momento:.2f}s: interno a medias {estado} (antes {antes_trabajo}, nuevo {nuevo_trabajo})")
        if antes_decl != declaracion(k, n):
            fallo(f"import +{momento:.2f}s: la declaración anterior cambió")
        correr(k, "import", grande)
        if interno_trabajo(k, n) != nuevo_trabajo:
            fallo(f"import +{momento:.2f}s: la segunda corrida no dejó el interno entero")
        inconsistencias += len(fallos) > antes

    if cual == "import":
        print(f"caidas: {PUNTOS} momentos de import ({matados['import']} matados en marcha), "
              f"{inconsistencias} inconsistencias")
        return
    # Transfer over an earlier declaration: it is the earlier one or the new one, whole.
    correr(base, "import", grande)
    t0 = time.monotonic()
    medida = base.copiar(os.path.join(raiz, "medida"))
    correr(medida, "transfer", n, "--reemplazar", "si")
    duracion = time.monotonic() - t0
    nueva_decl = declaracion(medida, n)
    for i in range(PUNTOS):
        momento = duracion * (i + 0.5) / PUNTOS
        k = base.copiar(os.path.join(raiz, "k"))
        if matar_en(k, ["transfer", n, "--reemplazar", "si"], momento):
            matados["transfer"] += 1
        antes = len(fallos)
        integridad(k, f"transfer +{momento:.2f}s")
        estado = declaracion(k, n)
        if estado not in (antes_decl, nueva_decl):
            fallo(f"transfer +{momento:.2f}s: declaración a medias {estado} (antes {antes_decl}, nueva {nueva_decl})")
        correr(k, "transfer", n, "--reemplazar", "si")
        if declaracion(k, n) != nueva_decl:
            fallo(f"transfer +{momento:.2f}s: la segunda corrida no dejó la declaración entera")
        inconsistencias += len(fallos) > antes
    print(f"caidas: {PUNTOS} momentos de transfer ({matados['transfer']} matados en marcha), "
          f"{inconsistencias} inconsistencias")


# ---------------------------------------------------------------- concurrency

OCUPADA = "Otra ejecución tiene la base de datos"


def a_la_vez(h, a, b, pausa=0.3):
    pa = h.lanzar(*a)
    time.sleep(pausa)
    pb = h.lanzar(*b)
    ra, rb = pa.communicate(timeout=300), pb.communicate(timeout=300)
    return (pa.returncode, ra[0]), (pb.returncode, rb[0])


def concurrencia(raiz):
    h = preparar(raiz)
    g1 = generar(raiz, "g1.txt", "--seed", "31", "--headers", "5000", "--detalles", "20", "--interno", "7001")
    g2 = generar(raiz, "g2.txt", "--seed", "32", "--headers", "5000", "--detalles", "20", "--interno", "7002")
    g3 = generar(raiz, "g3.txt", "--seed", "33", "--headers", "5000", "--detalles", "20", "--interno", "7003")
    parejas = 0

    def juzgar(nombre, resultados, completo):
        nonlocal parejas
        parejas += 1
        for i, (rc, salida) in enumerate(resultados):
            if rc == 0:
                if not completo(i):
                    fallo(f"{nombre} #{i + 1}: terminó bien pero su trabajo no está entero")
            elif OCUPADA not in salida:
                fallo(f"{nombre} #{i + 1}: sale con {rc} sin decir que otra ejecución tenía la base: {salida[-600:]}")

    def importado(n):
        art, ins, intn = interno_trabajo(h, n)
        sin = h.consulta("Dantremos.db", "select count(*) from ART where INTNRO = ? and PRCCRC is null", n)[0][0]
        return art[0] == 5000 and ins[0] == 100000 and intn == 1 and sin == 0

    juzgar("dos imports", a_la_vez(h, ["import", g1], ["import", g2]),
           lambda i: importado(["7001//01", "7002//01"][i]))

    def transferido(n):
        car, sub, des = declaracion(h, n)
        return car[0] == 1 and sub[0] == 5000

    juzgar("import durante transfer", a_la_vez(h, ["transfer", "7001//01"], ["import", g3]),
           lambda i: [transferido("7001//01"), importado("7003//01")][i])
    # The same interno twice: the second replaces the first, or finds that the
    # first wrote it meanwhile and says so.
    resultados = a_la_vez(h, ["transfer", "7002//01", "--reemplazar", "si"],
                          ["transfer", "7002//01", "--reemplazar", "si"], pausa=0.05)
    parejas += 1
    for i, (rc, salida) in enumerate(resultados):
        if rc != 0 and OCUPADA not in salida and "mientras tanto" not in salida:
            fallo(f"dos transfers #{i + 1}: sale con {rc} sin decir por qué: {salida[-600:]}")
    if not transferido("7002//01"):
        fallo("dos transfers: la declaración no quedó entera")
    integridad(h, "concurrencia")
    print(f"concurrencia: {parejas} parejas, {len(fallos)} fallos")


raiz = tempfile.mkdtemp(prefix="velmarion-arnes-")
try:
    {"corpus": corpus, "concurrencia": concurrencia, "caidas-import": lambda r: caidas(r, "import"),
     "caidas-transfer": lambda r: caidas(r, "transfer")}[MODO](raiz)
finally:
    subprocess.run(["chmod", "-R", "u+rwX", raiz])
    shutil.rmtree(raiz, ignore_errors=True)
sys.exit(1 if fallos else 0)
