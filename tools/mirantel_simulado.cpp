// mirantel-simulado: writes a plausible SOLUC.DBF from the working tables, as
// the timetable program would after building a timetable. A tool for
// demonstrations, tests and benchmarks; not part of the converter.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/errores.h"
#include "exchange/ansi.h"
#include "tables/archivos.h"
#include "tools/horario_simulado.h"

namespace {

const char* kAyuda =
    "Uso: mirantel-simulado [CARPETA | --workdir CARPETA] [--semilla N] [--filas N] [--sin-colocar P]\n"
    "\n"
    "Simula el programa de horarios: lee las tablas de trabajo de CARPETA (PROFT,\n"
    "GRUPOST, AULAT, ASIGT, DIASHORAST) y escribe SOLUC.DBF con las sesiones de cada\n"
    "asignaci\u00f3n colocadas en horas libres de su marco horario; algunas quedan sin\n"
    "colocar (DIA 0).\n"
    "\n"
    "  CARPETA, --workdir CARPETA\n"
    "                     carpeta de trabajo (por omisi\u00f3n C:\\MTEMP)\n"
    "  --semilla N        semilla del azar (1); la misma semilla da la misma tabla\n"
    "  --filas N          escribe exactamente N filas tomadas al azar (pruebas de carga)\n"
    "  --sin-colocar P    proporci\u00f3n de sesiones sin colocar, de 0 a 1 (0.05)\n";

int Uso(const std::string& motivo) {
    std::fprintf(stderr, "mirantel-simulado: %s\n\n%s", motivo.c_str(), kAyuda);
    return 2;
}

bool Numero(const std::string& t, double& v) {
    char* fin = nullptr;
    v = std::strtod(t.c_str(), &fin);
    return !t.empty() && fin && *fin == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    simulado::OpcionesSimulado op;
    op.carpeta = tablas::CarpetaTrabajoPredeterminada();
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kAyuda, stdout);
            return 0;
        }
        if (a.empty() || a[0] != '-') {
            op.carpeta = a;
            continue;
        }
        if (i + 1 >= argc) return Uso("falta el valor de '" + a + "'");
        const std::string v = argv[++i];
        double n = 0;
        if (a == "--workdir") {
            op.carpeta = v;
        } else if (a == "--semilla") {
            if (!Numero(v, n) || n < 0) return Uso("semilla no v\u00e1lida '" + v + "'");
            op.semilla = static_cast<std::uint64_t>(n);
        } else if (a == "--filas") {
            if (!Numero(v, n) || n < 0 || n > 1e9) return Uso("n\u00famero de filas no v\u00e1lido '" + v + "'");
            op.filas = static_cast<std::int64_t>(n);
        } else if (a == "--sin-colocar") {
            if (!Numero(v, n) || n < 0 || n > 1) return Uso("proporci\u00f3n no v\u00e1lida '" + v + "'");
            op.sinColocar = n;
        } else {
            return Uso("opci\u00f3n desconocida '" + a + "'");
        }
    }
    try {
        const simulado::ResumenSimulado r = simulado::GenerarSoluc(op);
        std::printf("SOLUC.DBF: %lld filas (%lld colocadas, %lld sin colocar)\n", static_cast<long long>(r.filas),
                    static_cast<long long>(r.colocadas), static_cast<long long>(r.sinColocar));
        return 0;
    } catch (const core::ErrorEjecucion& e) {
        std::fprintf(stderr, "%s\n", exchange::AnsiAUtf8(e.what()).c_str());
        return 1;
    }
}
