#!/usr/bin/env bash
# A real host window under X: xlogo hosts the program started with "exportar"
# and xlogo's window id. The program must become xlogo's child, convert a
# one-frame document into a fresh working folder, write 1 into Mirantel.ini
# beside its own executable, and end.
# Usage: incrustado_x11.sh TRANSMIRANTELVELDRA SOURCE_DIR   (exit 77: skipped)
set -euo pipefail
PROGRAMA=$1
FUENTES=$2

if [ -z "${DISPLAY:-}" ]; then echo "Sin pantalla X (DISPLAY): prueba omitida"; exit 77; fi
for herramienta in xlogo xwininfo xdotool /usr/bin/python3; do
  command -v "$herramienta" >/dev/null || { echo "Falta $herramienta: prueba omitida"; exit 77; }
done
REFERENCIA="$(dirname "$PROGRAMA")/NIVELLARI.DBF"
[ -f "$REFERENCIA" ] || { echo "FALLO: no existe $REFERENCIA junto al programa"; exit 1; }

T=$(mktemp -d)
PIDS=()
limpiar() { for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$T"; }
trap limpiar EXIT
falla() { echo "FALLO: $*"; echo "--- salida de error del programa:"; cat "$T/err" 2>/dev/null || true; exit 1; }

# The program folder: the executable with its reference table.
mkdir -p "$T/programa" "$T/mtemp"
cp "$PROGRAMA" "$REFERENCIA" "$T/programa/"

# The example document with its first timetable frame only: no frame dialog.
/usr/bin/python3 - "$FUENTES/examples/horario_ies_ejemplo.xml" "$T/centro.xml" <<'PY'
import sys, xml.etree.ElementTree as ET
arbol = ET.parse(sys.argv[1])
for bloque in arbol.getroot().iter('grupo_datos'):
    if bloque.get('seq') == 'JORNADAS_ESCOLARES':
        for sobrante in list(bloque)[1:]:
            bloque.remove(sobrante)
arbol.write(sys.argv[2], encoding='UTF-8', xml_declaration=True)
PY

xlogo -geometry 700x320+20+20 -title tmv-anfitrion &
PIDS+=($!)
ANFITRION=""
for _ in $(seq 100); do
  ANFITRION=$(xwininfo -root -tree | awk '/"tmv-anfitrion"/ {print $1; exit}')
  [ -n "$ANFITRION" ] && break
  sleep 0.1
done
[ -n "$ANFITRION" ] || falla "xlogo no aparecio"
HEX=$(printf '%x' "$ANFITRION")

QT_QPA_PLATFORM=xcb TMV_CARPETA_TRABAJO="$T/mtemp" TMV_DOCUMENTO_PRUEBA="$T/centro.xml" \
  "$T/programa/transmirantelveldra" exportar "$HEX" 2>"$T/err" &
PROGRAMA_PID=$!
PIDS+=($PROGRAMA_PID)

# The final message waits in its box; meanwhile the window sits inside xlogo.
CAJA=""
for _ in $(seq 600); do
  CAJA=$(xdotool search --onlyvisible --name '^ZezerIvivuZirara$' 2>/dev/null | head -n1 || true)
  [ -n "$CAJA" ] && break
  kill -0 "$PROGRAMA_PID" 2>/dev/null || falla "el programa termino antes del mensaje final"
  sleep 0.1
done
[ -n "$CAJA" ] || falla "no aparecio el mensaje final"
xwininfo -children -id "$ANFITRION" | grep -q '"Exportar e importar datos entre Mirantel y Veldra"' ||
  falla "la ventana no es hija de la ventana anfitriona $HEX"
[ ! -e "$T/programa/Mirantel.ini" ] || falla "Mirantel.ini escrito antes de cerrar"

# Answer the message: the window closes and the program ends.
for _ in $(seq 50); do
  xdotool windowfocus --sync "$CAJA" 2>/dev/null || true
  xdotool key Return 2>/dev/null || true
  for _ in $(seq 10); do kill -0 "$PROGRAMA_PID" 2>/dev/null || break 2; sleep 0.1; done
done
kill -0 "$PROGRAMA_PID" 2>/dev/null && falla "el programa no termino tras el mensaje final"
wait "$PROGRAMA_PID" || falla "el programa termino con error"

grep -q $'^Transformado=1\r$' "$T/programa/Mirantel.ini" || falla "Mirantel.ini no contiene Transformado=1"
[ -f "$T/mtemp/PROFT.DBF" ] || falla "no se crearon las tablas de trabajo"
echo "1 passed, 0 failed"
