// The tables-to-document run on SOLUC tables of 10^4, 10^5 and 10^6 rows,
// against a bare baseline timed in the same process: one pass through the same
// SOLUC with hash-map lookups and a minimal hand serializer writing the same
// bytes. Prints the time ratio (goal <= 2), the run's peak memory against the
// output's size (goal <= 2) and the time per row across the sizes (goal: flat
// within 20%). The tables and files go to the temporary folder (TMPDIR): on a
// RAM disk the figures show the run itself, on a disk they include the page
// cache's cost of writing half a gigabyte.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/interaccion.h"
#include "core/mensajes.h"
#include "core/reloj.h"
#include "exchange/ansi.h"
#include "tables/archivos.h"
#include "tables/esquemas.h"
#include "tables/tabla.h"
#include "to_document/exportacion.h"
#include "tools/horario_simulado.h"

namespace fs = std::filesystem;
using tablas::Tabla;

namespace {

const core::RelojFijo kReloj{core::FechaHora{2026, 12, 11, 9, 5, 3}};

class UsuarioMudo : public core::Interaccion {
public:
    explicit UsuarioMudo(fs::path d) : doc_(std::move(d)) {}
    std::optional<fs::path> ElegirDocumento() override { return doc_; }
    void Mensaje(const std::string& t) override { ultimo = t; }
    void Error(const std::string& t) override { ultimo = t; }
    core::EleccionMarcos ElegirMarcos(const fs::path&) override { return {}; }
    void Ocupado(bool) override {}
    std::string ultimo;

private:
    fs::path doc_;
};

// --- Memory of the process (Linux; elsewhere the figures read 0). ----------
long long LeerKb(const char* clave) {
    std::ifstream f("/proc/self/status");
    std::string linea;
    while (std::getline(f, linea))
        if (linea.rfind(clave, 0) == 0) return std::atoll(linea.c_str() + std::strlen(clave));
    return 0;
}
void ReiniciarPico() {
    std::ofstream f("/proc/self/clear_refs");
    f << "5";
}

// --- A synthetic school: 150 teachers, 60 groups, 12 subjects per group. ---
void Fila(Tabla& t, std::initializer_list<std::pair<const char*, std::string>> v) {
    t.Agregar();
    for (const auto& [c, x] : v) t.EscribirTexto(c, x);
    t.Grabar();
}

struct Escenario {
    fs::path raiz, trabajo, documento, salida, base;
    std::int64_t filas = 0;
};

Escenario Preparar(std::int64_t filas) {
    Escenario e;
    e.filas = filas;
    e.raiz = fs::temp_directory_path() / ("tmv_bench_to_document_" + std::to_string(filas));
    fs::remove_all(e.raiz);
    e.trabajo = e.raiz / "MTEMP";
    fs::create_directories(e.trabajo);
    for (const tablas::Esquema* s : tablas::esquemas::Trabajo()) Tabla::Crear(e.trabajo, *s, kReloj);
    const auto abrir = [&](const char* n) { return Tabla::Abrir(e.trabajo / (std::string(n) + ".DBF"), tablas::Acceso::Exclusivo, &kReloj); };
    {
        Tabla t = abrir("PROFT");
        for (int i = 0; i < 150; ++i)
            Fila(t, {{"ABREV", "P" + std::to_string(i)}, {"X_EMPLEADO", std::to_string(100000 + i)}, {"F_TOMAPOS", "01/09/2020"}});
        t.Cerrar();
    }
    {
        Tabla g = abrir("GRUPOST"), a = abrir("ASIGT"), n = abrir("ASIGNOMT"), n2 = abrir("ASIGNOMT2");
        for (int s = 0; s < 12; ++s) {
            Fila(n, {{"COD", "AS" + std::to_string(s)}, {"CODTAREA", s % 3 ? "" : "T" + std::to_string(s)}});
        }
        for (int i = 0; i < 60; ++i) {
            const std::string grupo = "G" + std::to_string(i), curso = "C" + std::to_string(i / 4);
            Fila(g, {{"ABREV", grupo}, {"CLAVE", std::to_string(5000 + i)}, {"CLAVECURSO", curso}, {"MARCO", i % 5 ? "0" : "1"}});
            for (int s = 0; s < 12; ++s) {
                const std::string asig = "AS" + std::to_string(s);
                Fila(a, {{"CASIG", asig}, {"CGRUP", grupo}, {"SESIONES", "11"}, {"CTAREA", "1"},
                         {"CLAVE", s % 4 ? std::to_string(7000 + s) : ""}, {"CLAVECURSO", s % 2 ? curso : ""}});
                if (i % 4 == 0) Fila(n2, {{"COD", asig}, {"OFERTAMATRI", curso}, {"MATERIA", std::to_string(9000 + s)}});
            }
        }
        g.Cerrar(); a.Cerrar(); n.Cerrar(); n2.Cerrar();
    }
    {
        Tabla t = abrir("AULAT");
        for (int i = 0; i < 40; ++i) Fila(t, {{"ABREV", "A" + std::to_string(i)}, {"DEPCENTRO", std::to_string(300 + i)}});
        t.Cerrar();
    }
    {
        Tabla t = abrir("DIASHORAST");
        for (int marco = 0; marco < 2; ++marco)
            for (int d = 1; d <= 5; ++d)
                for (int h = 1; h <= 7; ++h) {
                    const int ini = (marco ? 900 : 480) + (h - 1) * 60;
                    char desde[8], hasta[8];
                    std::snprintf(desde, sizeof desde, "%02d:%02d", ini / 60 % 100, ini % 60);
                    std::snprintf(hasta, sizeof hasta, "%02d:%02d", (ini + 55) / 60 % 100, (ini + 55) % 60);
                    Fila(t, {{"DIHO", std::to_string(d) + std::to_string(h)}, {"CODDIHO", std::to_string(marco * 100 + d * 10 + h)},
                             {"DIA", std::to_string(d)}, {"HORA", std::to_string(h)}, {"HORADESDE", desde},
                             {"HORAHASTA", hasta}, {"MARCO", std::to_string(marco)}});
                }
        t.Cerrar();
    }
    {
        Tabla t = abrir("PERIODOS");
        Fila(t, {{"CJORNADA", "ORD"}, {"FECINI", "15/09/2025"}, {"FECFIN", "31/05/2026"}});
        t.Cerrar();
    }
    simulado::OpcionesSimulado op;
    op.carpeta = e.trabajo;
    op.filas = filas;
    op.semilla = 42;
    simulado::GenerarSoluc(op);

    e.documento = e.raiz / "horario.xml";
    std::ofstream(e.documento) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO><BLOQUE_DATOS>"
                                  "<grupo_datos seq=\"ANNO\"><dato>2025</dato></grupo_datos></BLOQUE_DATOS></SERVICIO>\n";
    e.salida = e.raiz / "ResultadoMiranhorario.xml";
    e.base = e.raiz / "base.xml";
    return e;
}

// --- The run. ---------------------------------------------------------------
void Ejecutar(const Escenario& e) {
    core::EstadoVentana estado;
    UsuarioMudo ui(e.documento);
    to_document::OpcionesExportacion op;
    op.carpetaTrabajo = e.trabajo;
    op.reloj = &kReloj;
    if (to_document::BImportarClick(estado, ui, op) != core::FinEjecucion::Finalizado) {
        std::fprintf(stderr, "la ejecuci\xC3\xB3n fall\xC3\xB3: %s\n", exchange::AnsiAUtf8(ui.ultimo).c_str());
        std::exit(1);
    }
}

// --- The baseline: one pass, hash maps, a hand serializer. ----------------
void Escapar(std::string& out, std::string_view v) {
    for (char c : v) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x80) out += c;
                else out += exchange::AnsiAUtf8(std::string_view(&c, 1));
        }
    }
}
void Dato(std::string& out, const char* sangria, const char* nombre, std::string_view v) {
    out += sangria;
    out += "<dato nombre_dato=\"";
    out += nombre;
    if (v.empty()) {
        out += "\" />\n";
        return;
    }
    out += "\">";
    Escapar(out, v);
    out += "</dato>\n";
}
std::string Minutos(const std::string& t) {
    if (t.empty()) return "0";
    return std::to_string(std::stoi(t.substr(0, 2)) * 60 + std::stoi(t.substr(t.size() - 2)));
}
bool Blanco(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

void Base(const Escenario& e) {
    const auto abrir = [&](const char* n) { return Tabla::Abrir(e.trabajo / (std::string(n) + ".DBF")); };
    const auto clave = [](const std::string& a, const std::string& b) { return a + '\x01' + b; };
    struct Prof { std::string emp, tom; std::size_t n = 0; std::string cuerpo; };
    std::vector<Prof> profs;
    std::unordered_map<std::string, std::size_t> indiceProf;
    std::unordered_map<std::string, std::pair<std::string, std::string>> asigt, grupos;
    std::unordered_map<std::string, std::string> tareas, ofertas;
    struct Tramo { std::string dia, cod, ini, fin; };
    std::unordered_map<std::string, Tramo> tramos;
    {
        Tabla t = abrir("PROFT");
        for (t.Primero(); !t.FinDeTabla(); t.Siguiente()) {
            indiceProf.emplace(t.LeerTexto("ABREV"), profs.size());
            profs.push_back({t.LeerTexto("X_EMPLEADO"), t.LeerTexto("F_TOMAPOS"), 0, {}});
        }
    }
    {
        Tabla t = abrir("ASIGT");
        for (t.Primero(); !t.FinDeTabla(); t.Siguiente())
            asigt.emplace(clave(t.LeerTexto("CASIG"), t.LeerTexto("CGRUP")), std::pair{t.LeerTexto("CLAVE"), t.LeerTexto("CLAVECURSO")});
        Tabla g = abrir("GRUPOST");
        for (g.Primero(); !g.FinDeTabla(); g.Siguiente())
            grupos.emplace(g.LeerTexto("ABREV"), std::pair{g.LeerTexto("CLAVE"), g.LeerTexto("CLAVECURSO")});
        Tabla n = abrir("ASIGNOMT");
        for (n.Primero(); !n.FinDeTabla(); n.Siguiente()) tareas.emplace(n.LeerTexto("COD"), n.LeerTexto("CODTAREA"));
        Tabla n2 = abrir("ASIGNOMT2");
        for (n2.Primero(); !n2.FinDeTabla(); n2.Siguiente())
            ofertas.emplace(clave(n2.LeerTexto("COD"), n2.LeerTexto("OFERTAMATRI")), n2.LeerTexto("MATERIA"));
        Tabla d = abrir("DIASHORAST");
        for (d.Primero(); !d.FinDeTabla(); d.Siguiente())
            tramos.emplace(clave(d.LeerTexto("DIHO"), d.LeerTexto("MARCO")),
                           Tramo{d.LeerTexto("DIA"), d.LeerTexto("CODDIHO"), Minutos(d.LeerTexto("HORADESDE")), Minutos(d.LeerTexto("HORAHASTA"))});
    }
    std::string fi, ff;
    {
        Tabla p = abrir("PERIODOS");
        p.Primero();
        fi = p.LeerTexto("FECINI");
        ff = p.LeerTexto("FECFIN");
    }
    Tabla s = abrir("SOLUC");
    const int cProf = s.IndiceCampo("PROF"), cDia = s.IndiceCampo("DIA"), cHora = s.IndiceCampo("HORA"),
              cMarco = s.IndiceCampo("MARCO"), cAsig = s.IndiceCampo("ASIG"), cGrupo = s.IndiceCampo("CODGRUPO"),
              cTarea = s.IndiceCampo("TAREA"), cAula = s.IndiceCampo("AULA");
    const char* t5 = "\t\t\t\t\t";
    for (s.Primero(); !s.FinDeTabla(); s.Siguiente()) {
        const int dia = s.LeerEntero(cDia);
        if (dia == 0) continue;
        auto ip = indiceProf.find(s.LeerTexto(cProf));
        if (ip == indiceProf.end()) continue;
        Prof& p = profs[ip->second];
        const std::string asig = s.LeerTexto(cAsig), grupo = s.LeerTexto(cGrupo);
        std::string tarea = s.LeerTexto(cTarea), materia, curso, unidad, aula = s.LeerTexto(cAula);
        if (auto a = asigt.find(clave(asig, grupo)); a != asigt.end()) { materia = a->second.first; curso = a->second.second; }
        if (Blanco(tarea)) if (auto t = tareas.find(asig); t != tareas.end()) tarea = t->second;
        const Tramo vacio{"", "", "0", "0"};
        std::string marco = s.LeerTexto(cMarco).substr(0, 1);
        auto it = tramos.find(clave(std::to_string(dia) + std::to_string(s.LeerEntero(cHora)), marco));
        const Tramo& tr = it == tramos.end() ? vacio : it->second;
        if (Blanco(aula)) aula.clear();
        if (auto g = grupos.find(grupo); g != grupos.end()) { unidad = g->second.first; if (Blanco(curso)) curso = g->second.second; }
        if (Blanco(materia)) if (auto o = ofertas.find(clave(asig, curso)); o != ofertas.end()) materia = o->second;
        if (Blanco(tarea)) tarea = "1";
        std::string& out = p.cuerpo;
        out += "\t\t\t\t<grupo_datos seq=\"ACTIVIDAD_";
        out += std::to_string(++p.n);
        out += "\">\n";
        Dato(out, t5, "N_DIASEMANA", tr.dia);
        Dato(out, t5, "X_TRAMO", tr.cod);
        Dato(out, t5, "X_DEPENDENCIA", aula);
        Dato(out, t5, "X_UNIDAD", unidad);
        Dato(out, t5, "X_OFERTAMATRIG", curso);
        Dato(out, t5, "X_MATERIAOMG", materia);
        Dato(out, t5, "F_INICIO", fi);
        Dato(out, t5, "F_FIN", ff);
        Dato(out, t5, "N_HORINI", tr.ini);
        Dato(out, t5, "N_HORFIN", tr.fin);
        Dato(out, t5, "X_ACTIVIDAD", tarea);
        out += "\t\t\t\t</grupo_datos>\n";
    }
    std::FILE* f = std::fopen(e.base.string().c_str(), "wb");
    std::string cab =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<SERVICIO modulo=\"HORARIOS\" tipo=\"I\" autor=\"HORARIOS\" fecha=\"11/12/2026 9:05:03\">\n"
        "\t<BLOQUE_DATOS>\n\t\t<grupo_datos seq=\"ANNO_ACADEMICO\">\n\t\t\t<dato nombre_dato=\"C_ANNO\">2025</dato>\n"
        "\t\t</grupo_datos>\n\t\t<grupo_datos seq=\"HORARIOS_REGULARES\" registros=\"" + std::to_string(profs.size()) + "\">\n";
    std::fwrite(cab.data(), 1, cab.size(), f);
    for (std::size_t i = 0; i < profs.size(); ++i) {
        std::string h = "\t\t\t<grupo_datos seq=\"HORARIO_REGULAR_PROFESOR_" + std::to_string(i + 1) + "\" registros=\"" +
                        std::to_string(profs[i].n) + "\">\n";
        Dato(h, "\t\t\t\t", "X_EMPLEADO", profs[i].emp);
        Dato(h, "\t\t\t\t", "F_TOMAPOS", profs[i].tom);
        std::fwrite(h.data(), 1, h.size(), f);
        std::fwrite(profs[i].cuerpo.data(), 1, profs[i].cuerpo.size(), f);
        std::fputs("\t\t\t</grupo_datos>\n", f);
    }
    std::fputs("\t\t</grupo_datos>\n\t</BLOQUE_DATOS>\n</SERVICIO>\n", f);
    std::fclose(f);
}

struct Medida {
    double run = 0, base = 0;   // seconds per run
    double picoMb = 0, salidaMb = 0;
    bool iguales = false;
};
std::map<std::int64_t, Medida> medidas;

double Segundos(void (*f)(const Escenario&), const Escenario& e) {
    const auto t0 = std::chrono::steady_clock::now();
    f(e);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_ToDocument(benchmark::State& state) {
    const std::int64_t filas = state.range(0);
    const Escenario e = Preparar(filas);
    Medida& m = medidas[filas];
    double run = 0, base = 0;
    int n = 0;
    for (auto _ : state) {
        // Alternating, so both see the same machine load.
        base += Segundos(Base, e);
        const long long antes = LeerKb("VmRSS:");
        ReiniciarPico();
        const double t = Segundos(Ejecutar, e);
        const long long pico = LeerKb("VmHWM:");
        run += t;
        ++n;
        state.SetIterationTime(t);
        m.picoMb = std::max(m.picoMb, (pico - antes) / 1024.0);
    }
    m.run = run / n;
    m.base = base / n;
    m.salidaMb = static_cast<double>(fs::file_size(e.salida)) / (1024.0 * 1024.0);
    std::ifstream a(e.salida, std::ios::binary), b(e.base, std::ios::binary);
    m.iguales = std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {});
    state.counters["filas"] = static_cast<double>(filas);
    state.counters["x_base"] = m.run / m.base;
    state.counters["ns_fila"] = m.run * 1e9 / static_cast<double>(filas);
    state.counters["pico/salida"] = m.picoMb / m.salidaMb;
    fs::remove_all(e.raiz);
}
BENCHMARK(BM_ToDocument)->Arg(10000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToDocument)->Arg(100000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToDocument)->Arg(1000000)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (medidas.empty()) return 0;
    double suma = 0;
    for (const auto& [filas, m] : medidas) suma += m.run / static_cast<double>(filas);
    const double media = suma / static_cast<double>(medidas.size());
    std::printf("\n%10s %10s %10s %8s %10s %10s %8s %12s %s\n", "filas", "run ms", "base ms", "x base", "pico MB",
                "salida MB", "pico/sal", "ns/fila(rel)", "bytes");
    for (const auto& [filas, m] : medidas) {
        const double porFila = m.run / static_cast<double>(filas);
        std::printf("%10lld %10.1f %10.1f %8.2f %10.1f %10.1f %8.2f %7.0f(%.2f) %s\n", static_cast<long long>(filas),
                    m.run * 1e3, m.base * 1e3, m.run / m.base, m.picoMb, m.salidaMb, m.picoMb / m.salidaMb,
                    porFila * 1e9, porFila / media, m.iguales ? "iguales" : "DISTINTOS");
    }
    std::printf("Carpeta temporal: %s\n", fs::temp_directory_path().string().c_str());
    std::printf("Objetivos: x base <= 2; pico/salida <= 2; ns/fila(rel) entre 0.8 y 1.2.\n");
    return 0;
}
