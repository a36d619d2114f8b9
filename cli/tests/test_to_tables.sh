#!/usr/bin/env bash
# mirveldra to-tables: usage and exit statuses, the frame options, the example
# document read back with `mirveldra show` and an independent dBase reader,
# and a failed run that leaves the working folder byte-for-byte as it was.
# Called as: bash test_to_tables.sh MIRVELDRA SOURCE_DIR
set -uo pipefail
MIRVELDRA=$1
SRC=$2
PY=/usr/bin/python3
T=$(mktemp -d)
trap 'chmod -R u+w "$T" 2>/dev/null; rm -rf "$T"' EXIT
fallos=0
falla() { echo "FALLO: $*"; fallos=$((fallos + 1)); }

# Runs the tool (stdin not a terminal); status in $rc, output in $T/out and $T/err.
corre() { "$MIRVELDRA" to-tables "$@" >"$T/out" 2>"$T/err" </dev/null; rc=$?; }
huella() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }

EJ="$T/horario.xml"
cp "$SRC/examples/horario_ies_ejemplo.xml" "$EJ"
W="$T/MTEMP"
mkdir -p "$W"

# Usage errors: 2, with a hint on stderr.
for args in "" "--workdir" "$EJ --bogus" "a.xml b.xml" "$EJ --frame ORD --frame RED --frame ORD" "-x"; do
  # shellcheck disable=SC2086
  corre $args --workdir "$W"
  [ "$rc" = 2 ] || falla "uso '$args': estado $rc"
  grep -q "to-tables --help" "$T/err" || falla "uso '$args': sin indicación en stderr"
done
corre "$EJ" --workdir "$W" --frame NOCHE
[ "$rc" = 2 ] && grep -q "'NOCHE'" "$T/err" && grep -q "'ORD', 'RED'" "$T/err" ||
  falla "marco inexistente: $rc $(cat "$T/err")"
corre --help
[ "$rc" = 0 ] && grep -q "Uso: mirveldra to-tables" "$T/out" && grep -q -- "--frame" "$T/out" || falla "--help"
[ -z "$(ls -A "$W")" ] || falla "un error de uso escribió en la carpeta de trabajo"

# Run stops: 1, the system's message on stderr in UTF-8.
corre "$T/no_existe.xml" --workdir "$W"
[ "$rc" = 1 ] && grep -qx "No existe archivo" "$T/err" || falla "documento inexistente: $rc $(cat "$T/err")"
corre "$EJ" --workdir "$W" --reference "$T/NIVELLARI.DBF" --frame ORD
[ "$rc" = 1 ] && grep -qx "ATENCIÓN - NIVELLARI.DBF No encontrado - Reinstale ZEZERIVIVUZIRARA" "$T/err" ||
  falla "sin tabla de referencia: $rc $(cat "$T/err")"
corre "$EJ" --workdir "$T/no_existe"
[ "$rc" = 1 ] && grep -q "no_existe" "$T/err" || falla "carpeta de trabajo inexistente: $rc $(cat "$T/err")"
[ ! -e "$T/no_existe" ] || falla "se creó la carpeta de trabajo"
# Several frames, no --frame, no terminal: the codes are listed.
corre "$EJ" --workdir "$W"
[ "$rc" = 1 ] && grep -q "'ORD', 'RED'" "$T/err" || falla "varios marcos sin --frame: $rc $(cat "$T/err")"
[ -z "$(ls -A "$W")" ] || falla "una ejecución detenida escribió en la carpeta de trabajo"

# The example with one frame.
corre "$EJ" --workdir "$W" --frame ORD
[ "$rc" = 0 ] && [ "$(cat "$T/out")" = "Proceso finalizado" ] && [ ! -s "$T/err" ] ||
  falla "ejemplo: $rc $(cat "$T/out" "$T/err")"
"$MIRVELDRA" show "$W/PROFT.DBF" >"$T/proft.csv" 2>"$T/err" || falla "show PROFT: $(cat "$T/err")"
grep -q '^GGA,"García Gómez, Ana María",' "$T/proft.csv" || falla "show PROFT: $(head -3 "$T/proft.csv")"
grep -q '^GGA1,"Gil Gutiérrez, Alberto",' "$T/proft.csv" || falla "show PROFT: mismas iniciales"

"$PY" - "$W" <<'PYEOF' || falla "lectura independiente del ejemplo"
import sys, os
from dbfread import DBF
w = sys.argv[1]
def t(n):
    return list(DBF(os.path.join(w, n + ".DBF"), encoding="cp1252", char_decode_errors="strict"))
ok = True
def check(cond, what):
    global ok
    if not cond:
        print("  no se cumple:", what); ok = False
prof = t("PROFT")
check(len(prof) == 12, "12 profesores")
abrev = [r["ABREV"] for r in prof]
check(abrev[:3] == ["GGA", "GGA1", "GGÁ"], "iniciales repetidas: %r" % abrev[:3])
check(any(r["NOMBRE"] == "Núñez Ortega, Lucía" for r in prof), "nombre con tildes")
check(all(r["DEPART"] == "" and r["DNI"] is None for r in prof), "DEPART y DNI vacíos")
aulas = t("AULAT")
check([r["ABREV"] for r in aulas][:7] == ["A101", "A102", "A103", "A201", "A202", "bora", "ora1"],
      "aulas: %r" % [r["ABREV"] for r in aulas][:7])
cursos = {r["CLAVE"]: r for r in t("CURSOST")}
check(len(cursos) == 7, "7 cursos")
check(cursos["9901"]["NIVEL"] == "Niv" and cursos["9901"]["ESTUD"] == "", "curso fuera de la referencia")
check(cursos["6001"]["NIVEL"] != "Niv" and cursos["6001"]["ESTUD"] != "", "curso de la referencia")
grupos = t("GRUPOST")
check(len(grupos) == 9, "9 grupos")
enlace = [g for g in grupos if g["CLAVE"] == "23009"][0]
check(enlace["DESCRIP"] == " Niv A e", "descripción sin estudio: %r" % enlace["DESCRIP"])
check([g for g in grupos if g["CLAVE"] == "23007"][0]["ABREV"] == "1ºBACHILLA", "código de grupo")
asig = t("ASIGNOMT")
tareas = [r for r in asig if r["ESTAREA"]]
check(len(tareas) == 6 and all(r["COD"] == r["CODTAREA"] for r in tareas), "tareas")
check(all(not r["ESTAREA"] for r in asig[: len(asig) - 6]), "materias antes de las tareas")
asig2 = t("ASIGNOMT2")
check(len(asig2) == 58, "una fila de ASIGNOMT2 por materia ofertada: %d" % len(asig2))
asigt = t("ASIGT")
check(all(r["HORAS"] == 4 and r["SESIONES"] == "1111" for r in asigt), "carga fija")
check(len(asigt) > 0 and len(asigt) == sum(
    sum(1 for g in grupos if g["CLAVECURSO"] == m["OFERTAMATRI"]) for m in asig2), "una fila por materia y grupo")
tramos = t("DIASHORAST")
check(len(tramos) == 49, "7 tramos x 7 días: %d" % len(tramos))
check([r["DIHO"] for r in tramos[:8]] == ["11", "12", "13", "14", "15", "16", "17", "21"], "DIHO")
check(tramos[0]["HORADESDE"] == "08:15" and tramos[0]["HORAHASTA"] == "09:10" and tramos[0]["MINUTOS"] == "55",
      "horas")
check(all(r["MARCO"] == "0" and r["MARCOXML"] == "ORD" for r in tramos), "marco")
check([(r["CJORNADA"], r["FECINI"]) for r in t("PERIODOS")] == [("ORD", "15/09/2025")], "PERIODOS")
check(len(t("DIASHORAST2")) == 0, "DIASHORAST2 vacía")
sys.exit(0 if ok else 1)
PYEOF
[ -f "$W/DIASHORAST2.MDX" ] || falla "falta DIASHORAST2.MDX"

# Both frames, given in the other order: taken in the document's order.
corre "$EJ" --workdir "$W" --frame RED --frame ORD
[ "$rc" = 0 ] || falla "dos marcos: $rc $(cat "$T/err")"
"$PY" - "$W" <<'PYEOF' || falla "dos marcos"
import sys, os
from dbfread import DBF
w = sys.argv[1]
per = [r["CJORNADA"] for r in DBF(os.path.join(w, "PERIODOS.DBF"), encoding="cp1252")]
tr = list(DBF(os.path.join(w, "DIASHORAST.DBF"), encoding="cp1252"))
rangos = {(r["MARCOXML"], r["MARCO"]) for r in tr}
ok = per == ["ORD", "RED"] and len(tr) == 7 * 13 and rangos == {("ORD", "0"), ("RED", "1")}
print(per, len(tr), rangos) if not ok else None
sys.exit(0 if ok else 1)
PYEOF

# All or nothing: old tables and the files a run deletes or keeps, then a
# document that fails in its last step.
printf 'viejo' >"$W/JORNADAS.DBF"
printf 'indice' >"$W/JORNADAS.MDX"
printf 'suelto' >"$W/ASIGT.MDX"
printf 'periodos' >"$W/PERIODOS.DBF"
antes=$(huella "$W")
sed 's|<dato nombre_dato="N_INICIO">550</dato>|<dato nombre_dato="N_INICIO">8:30</dato>|' "$EJ" >"$T/roto.xml"
corre "$T/roto.xml" --workdir "$W" --frame ORD
[ "$rc" = 1 ] && grep -qx "'8:30' no es un valor entero válido" "$T/err" || falla "8:30: $rc $(cat "$T/err")"
[ "$antes" = "$(huella "$W")" ] || falla "la ejecución fallida cambió la carpeta de trabajo"
[ "$(ls -A "$T" | grep -c tmv)" = 0 ] || falla "quedan carpetas temporales: $(ls -A "$T")"
# A damaged document: 1, nothing changed.
printf '<SERVICIO><BLOQUE_DATOS>' >"$T/danado.xml"
corre "$T/danado.xml" --workdir "$W"
[ "$rc" = 1 ] && [ -s "$T/err" ] || falla "documento dañado: $rc"
[ "$antes" = "$(huella "$W")" ] || falla "el documento dañado cambió la carpeta de trabajo"
# Success replaces the old files.
corre "$EJ" --workdir "$W" --frame ORD
[ "$rc" = 0 ] && [ ! -e "$W/JORNADAS.DBF" ] && [ ! -e "$W/ASIGT.MDX" ] && [ -e "$W/JORNADAS.MDX" ] ||
  falla "reemplazo: $rc $(ls "$W")"

# A read-only working folder (meaningless as root, who writes anyway).
if [ "$(id -u)" != 0 ]; then
  antes=$(huella "$W")
  chmod a-w "$W"
  corre "$EJ" --workdir "$W" --frame ORD
  chmod u+w "$W"
  [ "$rc" = 1 ] && grep -q "$W" "$T/err" || falla "carpeta de solo lectura: $rc $(cat "$T/err")"
  [ "$antes" = "$(huella "$W")" ] || falla "la carpeta de solo lectura cambió"
fi

# The default working folder under Wine.
mkdir -p "$T/wine/drive_c/MTEMP"
WINEPREFIX="$T/wine" "$MIRVELDRA" to-tables "$EJ" --frame RED >"$T/out" 2>"$T/err" </dev/null
[ $? = 0 ] && [ -f "$T/wine/drive_c/MTEMP/PROFT.DBF" ] || falla "carpeta predeterminada: $(cat "$T/err")"

echo "$fallos fallos"
[ "$fallos" = 0 ]
