#!/usr/bin/env bash
# mirveldra to-document: exit statuses and messages, and the round trip on the
# example (document -> tables -> stand-in timetable -> document), checked by an
# independent dBase and XML reader.
# Called as: bash test_to_document.sh MIRVELDRA SOURCE_DIR
set -uo pipefail
MIRVELDRA=$(realpath "$1")
SRC=$2
SIMULADO="$(dirname "$MIRVELDRA")/mirantel-simulado"
PY=/usr/bin/python3
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
fallos=0
falla() { echo "FALLO: $*"; fallos=$((fallos + 1)); }

# Runs the tool; leaves the status in $rc, stdout in $T/out, stderr in $T/err.
corre() { "$MIRVELDRA" to-document "$@" >"$T/out" 2>"$T/err"; rc=$?; }

mkdir -p "$T/mtemp" "$T/docs"
cp "$SRC/examples/horario_ies_ejemplo.xml" "$T/docs/horario.xml"

# Usage errors: 2, with the usage on stderr.
for args in "" "--workdir" "$T/docs/horario.xml --bogus" "a.xml b.xml" "a.xml --workdir x --workdir y"; do
  # shellcheck disable=SC2086
  corre $args
  [ "$rc" = 2 ] || falla "uso '$args': estado $rc"
  grep -q "Uso: mirveldra to-document" "$T/err" || falla "uso '$args': sin ayuda en stderr"
done
corre --help
[ "$rc" = 0 ] && grep -q "ResultadoMiran" "$T/out" || falla "--help"

# A document that does not exist: 1, "No existe archivo" on stderr.
corre "$T/docs/no_existe.xml" --workdir "$T/mtemp"
[ "$rc" = 1 ] && grep -qx "No existe archivo" "$T/err" || falla "documento inexistente: $rc $(cat "$T/err")"

# Tables of the example, then a stand-in timetable.
"$MIRVELDRA" to-tables "$T/docs/horario.xml" --workdir "$T/mtemp" --frame ORD >/dev/null 2>"$T/err" ||
  { falla "to-tables: $(cat "$T/err")"; echo "$fallos fallos"; exit 1; }

# Missing SOLUC: 1, a message naming it.
corre "$T/docs/horario.xml" --workdir "$T/mtemp"
[ "$rc" = 1 ] && grep -q "SOLUC.DBF" "$T/err" || falla "sin SOLUC: $rc $(cat "$T/err")"

"$SIMULADO" "$T/mtemp" --semilla 7 >"$T/sim" 2>&1 || falla "mirantel-simulado: $(cat "$T/sim")"
grep -q "sin colocar" "$T/sim" || falla "mirantel-simulado no informa"
# The stand-in is deterministic, places lessons only in free periods of a
# teacher and of a group, and leaves some unplaced.
cp "$T/mtemp/SOLUC.DBF" "$T/soluc1"
"$SIMULADO" --workdir "$T/mtemp" --semilla 7 >/dev/null 2>&1
cmp -s "$T/soluc1" "$T/mtemp/SOLUC.DBF" || falla "mirantel-simulado no es determinista"
"$PY" - "$T/mtemp" <<'PYEOF' || falla "horario simulado"
import os, sys
from dbfread import DBF
filas = list(DBF(os.path.join(sys.argv[1], "SOLUC.DBF"), encoding="cp1252"))
colocadas = [f for f in filas if f["DIA"]]
assert colocadas and len(colocadas) < len(filas), (len(colocadas), len(filas))
assert all(1 <= f["DIA"] <= 5 for f in colocadas), "clases fuera de lunes a viernes"
for campo in ("PROF", "CODGRUPO"):
    vistos = [(f[campo], f["DIA"], f["HORA"], f["MARCO"]) for f in colocadas]
    assert len(vistos) == len(set(vistos)), campo + " en dos sitios a la vez"
PYEOF

# Missing PERIODOS: 1, the message, an earlier output left as it was.
echo anterior >"$T/docs/ResultadoMiranhorario.xml"
mv "$T/mtemp/PERIODOS.DBF" "$T/periodos.dbf"
corre "$T/docs/horario.xml" --workdir "$T/mtemp"
[ "$rc" = 1 ] && grep -qx "ATENCIÓN - PERIODOS.DBF No encontrado - Importe de nuevo XML de VELDRA." "$T/err" ||
  falla "sin PERIODOS: $rc $(cat "$T/err")"
[ "$(cat "$T/docs/ResultadoMiranhorario.xml")" = anterior ] || falla "sin PERIODOS: salida anterior cambiada"
mv "$T/periodos.dbf" "$T/mtemp/PERIODOS.DBF"

# The run, from another folder with a relative path: the output goes beside the document.
(cd "$T" && "$MIRVELDRA" to-document docs/horario.xml --workdir mtemp >"$T/out" 2>"$T/err"); rc=$?
[ "$rc" = 0 ] && grep -qx "Proceso finalizado" "$T/out" || falla "ida y vuelta: $rc $(cat "$T/err")"
[ "$(ls -A "$T/docs" | sort | tr '\n' ' ')" = "ResultadoMiranhorario.xml horario.xml " ] || falla "archivos: $(ls -A "$T/docs")"

# An independent reading: every record recomputed from the tables.
"$PY" - "$T/docs/horario.xml" "$T/docs/ResultadoMiranhorario.xml" "$T/mtemp" <<'PYEOF' || falla "comprobación independiente"
import os, sys, xml.etree.ElementTree as ET
from dbfread import DBF
entrada, salida, carpeta = sys.argv[1:4]
def tabla(nombre):
    for f in os.listdir(carpeta):
        if f.upper() == nombre + ".DBF":
            return list(DBF(os.path.join(carpeta, f), encoding="cp1252", char_decode_errors="strict"))
    raise SystemExit("falta " + nombre)
def s(v):
    return "" if v is None else str(v).rstrip(" ")
def primero(filas, **claves):
    for f in filas:
        if all(s(f[k]) == v for k, v in claves.items()):
            return f
    return None
def minutos(t):
    if len(t) < 5: t = "0" + t
    return str(int(t[:2]) * 60 + int(t[-2:]))
prof, soluc, asigt = tabla("PROFT"), tabla("SOLUC"), tabla("ASIGT")
asignomt, asignomt2, tramos, grupos = tabla("ASIGNOMT"), tabla("ASIGNOMT2"), tabla("DIASHORAST"), tabla("GRUPOST")
periodos = tabla("PERIODOS")
fi, ff = (s(periodos[0]["FECINI"]), s(periodos[0]["FECFIN"])) if periodos else ("", "")

raiz = ET.parse(salida).getroot()
assert raiz.tag == "SERVICIO" and list(raiz.attrib) == ["modulo", "tipo", "autor", "fecha"], raiz.attrib
assert (raiz.get("modulo"), raiz.get("tipo"), raiz.get("autor")) == ("HORARIOS", "I", "HORARIOS")
bloque = raiz.find("BLOQUE_DATOS")
anno, horarios = list(bloque)
primer = list(ET.parse(entrada).getroot().find("BLOQUE_DATOS"))[0]
assert anno.find("dato").text == "".join(primer.itertext())[:4], anno.find("dato").text
assert horarios.get("seq") == "HORARIOS_REGULARES" and horarios.get("registros") == str(len(prof))
assert len(horarios) == len(prof)
nombres = ["N_DIASEMANA", "X_TRAMO", "X_DEPENDENCIA", "X_UNIDAD", "X_OFERTAMATRIG", "X_MATERIAOMG",
           "F_INICIO", "F_FIN", "N_HORINI", "N_HORFIN", "X_ACTIVIDAD"]
actividades = 0
for n, (p, reg) in enumerate(zip(prof, horarios), 1):
    filas = [r for r in soluc if s(r["PROF"]) == s(p["ABREV"]) and int(r["DIA"] or 0) != 0]
    assert reg.get("seq") == "HORARIO_REGULAR_PROFESOR_%d" % n
    assert reg.get("registros") == str(len(filas))
    d = reg.findall("dato")
    assert [x.get("nombre_dato") for x in d] == ["X_EMPLEADO", "F_TOMAPOS"]
    assert [(x.text or "") for x in d] == [s(p["X_EMPLEADO"]), s(p["F_TOMAPOS"])]
    acts = reg.findall("grupo_datos")
    assert len(acts) == len(filas)
    for m, (r, a) in enumerate(zip(filas, acts), 1):
        assert a.get("seq") == "ACTIVIDAD_%d" % m and list(a.attrib) == ["seq"]
        asig, grp, tarea = s(r["ASIG"]), s(r["CODGRUPO"]), s(r["TAREA"])
        materia = curso = ""
        x = primero(asigt, CASIG=asig, CGRUP=grp)
        if x: materia, curso = s(x["CLAVE"]), s(x["CLAVECURSO"])
        if not tarea.strip():
            x = primero(asignomt, COD=asig)
            if x: tarea = s(x["CODTAREA"])
        x = primero(tramos, DIHO="%d%d" % (int(r["DIA"]), int(r["HORA"])), MARCO=s(r["MARCO"])[:1])
        slot = (s(x["DIA"]), s(x["CODDIHO"]), s(x["HORADESDE"]), s(x["HORAHASTA"])) if x else ("", "", "", "")
        unidad = ""
        x = primero(grupos, ABREV=grp)
        if x:
            unidad = s(x["CLAVE"])
            if not curso.strip(): curso = s(x["CLAVECURSO"])
        if not materia.strip():
            x = primero(asignomt2, COD=asig, OFERTAMATRI=curso)
            if x: materia = s(x["MATERIA"])
        if not tarea.strip(): tarea = "1"
        aula = s(r["AULA"]) if s(r["AULA"]).strip() else ""
        esperado = [slot[0], slot[1], aula, unidad, curso, materia, fi, ff, minutos(slot[2]), minutos(slot[3]), tarea]
        datos = a.findall("dato")
        assert [x.get("nombre_dato") for x in datos] == nombres
        assert [(x.text or "") for x in datos] == esperado, ([(x.text or "") for x in datos], esperado)
        assert slot[1], "una sesión colocada sin tramo"
        actividades += 1
assert actividades > 20, actividades
print("registros comprobados:", len(prof), "profesores,", actividades, "actividades")
PYEOF

echo "$fallos fallos"
[ "$fallos" = 0 ]
