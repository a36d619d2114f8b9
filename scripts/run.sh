#!/usr/bin/env bash
# Installs what is missing, builds, and opens the desktop program on a
# demonstration working folder. Without a display it does the main job on the
# terminal instead: the example documents go through the batch tool into that
# working folder and back.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
B="$(pwd)/${BUILD_DIR:-build}/bin"
DEMO=${TMV_CARPETA_TRABAJO:-${TMPDIR:-/tmp}/tmv-demo/MTEMP}
mkdir -p "$DEMO"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Abriendo TransMirantelVeldra (carpeta de trabajo: $DEMO)"
  TMV_CARPETA_TRABAJO="$DEMO" exec "$B/transmirantelveldra"
fi

echo "No hay pantalla: se convierten los ejemplos con la herramienta por lotes."
echo "Carpeta de trabajo: $DEMO"
for doc in examples/*.xml; do
  echo
  echo "== $doc: Veldra -> Mirantel"
  # The first timetable frame of the document.
  marco=$(/usr/bin/python3 - "$doc" <<'PY'
import sys, xml.etree.ElementTree as ET
for b in ET.parse(sys.argv[1]).getroot().iter('grupo_datos'):
    if b.get('seq') == 'JORNADAS_ESCOLARES':
        for r in b:
            d = r.findall('dato')
            if d:
                print((d[0].text or '').strip()); raise SystemExit
PY
)
  "$B/mirveldra" to-tables "$doc" --workdir "$DEMO" ${marco:+--frame "$marco"}
  ls "$DEMO"
  echo "-- PROFT.DBF (primeras filas)"
  "$B/mirveldra" show "$DEMO/PROFT.DBF" | head -n 6
  if [ -x "$B/mirantel-simulado" ]; then
    echo
    echo "== $doc: Mirantel -> Veldra (horario del sustituto del programa de horarios)"
    "$B/mirantel-simulado" "$DEMO"
    copia="$(dirname "$DEMO")/$(basename "$doc")"
    cp "$doc" "$copia"
    "$B/mirveldra" to-document "$copia" --workdir "$DEMO"
    resultado="$(dirname "$DEMO")/ResultadoMiran$(basename "$doc")"
    echo "-- $resultado (principio)"
    head -c 1200 "$resultado"; echo
  fi
done
