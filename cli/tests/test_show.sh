#!/usr/bin/env bash
# mirveldra show: tables as CSV (UTF-8, RFC 4180 quoting) and its exit statuses.
set -u
MIRVELDRA=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
falla() { echo "FALLA: $*" >&2; exit 1; }

# The reference table delivered beside the executables.
NIV="$(dirname "$MIRVELDRA")/NIVELLARI.DBF"
"$MIRVELDRA" show "$NIV" >"$T/niv.csv" 2>"$T/err" || falla "show NIVELLARI: $(cat "$T/err")"
[ "$(head -1 "$T/niv.csv")" = "X_OFERTAMATRIG,NIVEL_ABREV,ESTUDIO" ] || falla "cabecera: $(head -1 "$T/niv.csv")"
grep -qx '6001,ESO,1º Educación Secundaria Obligatoria' "$T/niv.csv" || falla "fila de ESO: $(sed -n 2p "$T/niv.csv")"
[ "$(wc -l <"$T/niv.csv")" -ge 21 ] || falla "NIVELLARI tiene menos de 20 filas"

# Quoting of commas, quotes and accented text, from a table another writer made.
dbfcreate "$T/q.dbf" -s NOMBRE 20 -n NUM 5 0
dbfadd "$T/q.dbf" "$(printf 'Mu\xf1oz, "Ana"')" 7
dbfadd "$T/q.dbf" "sin comas" -2
"$MIRVELDRA" show "$T/q.dbf" >"$T/q.csv" 2>"$T/err" || falla "show q.dbf: $(cat "$T/err")"
printf 'NOMBRE,NUM\n"Muñoz, ""Ana""",7\nsin comas,-2\n' | cmp -s - "$T/q.csv" || falla "CSV: $(cat "$T/q.csv")"

# Errors: missing or damaged file (1, message naming it), usage (2).
"$MIRVELDRA" show "$T/NOHAY.DBF" >"$T/out" 2>"$T/err"; st=$?
[ $st -eq 1 ] || falla "tabla inexistente: estado $st"
grep -q "NOHAY.DBF" "$T/err" || falla "el mensaje no nombra la tabla: $(cat "$T/err")"
[ ! -s "$T/out" ] || falla "salida con una tabla inexistente"
head -c 40 "$T/q.dbf" >"$T/ROTA.DBF"
"$MIRVELDRA" show "$T/ROTA.DBF" >/dev/null 2>"$T/err"; st=$?
[ $st -eq 1 ] && grep -q "ROTA.DBF" "$T/err" || falla "tabla da\u00f1ada: estado $st $(cat "$T/err")"
for args in "" "a.dbf b.dbf" "--raro a.dbf"; do
    # shellcheck disable=SC2086
    "$MIRVELDRA" show $args >/dev/null 2>&1; st=$?
    [ $st -eq 2 ] || falla "uso '$args': estado $st"
done
"$MIRVELDRA" show --help | grep -q "mirveldra show TABLA.DBF" || falla "--help"
echo "show: correcto"
