// The document-to-tables run on synthetic documents of 1, 10, 100 (and, on
// request, 1000) schools, against a bare baseline in the same process: the
// pugixml load of the same file, one XPath selection per block and a walk
// over its values, plus a plain streaming formatter writing as many rows of
// the same record lengths as the run writes. Prints the ratios of time and of
// peak heap, and the run's time per record across sizes.
//
//   bench_to_tables [--escuelas=1,10,100,1000] [--conservar] [benchmark options]
// --conservar keeps the generated documents (their paths are printed).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "core/estado.h"
#include "core/interaccion.h"
#include "core/reloj.h"
#include "exchange/ansi.h"
#include "tables/esquemas.h"
#include "tables/tabla.h"
#include "to_tables/conversion.h"

namespace fs = std::filesystem;

// ---- Heap accounting: every operator new and every pugixml allocation. ----
namespace {
std::atomic<std::size_t> gActual{0}, gPico{0};
constexpr std::size_t kCabecera = 16;

void* Reservar(std::size_t n) {
    void* p = std::malloc(n + kCabecera);
    if (!p) return nullptr;
    *static_cast<std::size_t*>(p) = n;
    const std::size_t ahora = gActual.fetch_add(n) + n;
    std::size_t pico = gPico.load();
    while (ahora > pico && !gPico.compare_exchange_weak(pico, ahora)) {
    }
    return static_cast<char*>(p) + kCabecera;
}
void Liberar(void* p) {
    if (!p) return;
    char* b = static_cast<char*>(p) - kCabecera;
    gActual.fetch_sub(*reinterpret_cast<std::size_t*>(b));
    std::free(b);
}
}  // namespace

void* operator new(std::size_t n) {
    if (void* p = Reservar(n)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    if (void* p = Reservar(n)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { Liberar(p); }
void operator delete[](void* p) noexcept { Liberar(p); }
void operator delete(void* p, std::size_t) noexcept { Liberar(p); }
void operator delete[](void* p, std::size_t) noexcept { Liberar(p); }

namespace {

// Peak heap above what was in use when measuring started.
class MedidaMemoria {
public:
    MedidaMemoria() : base_(gActual.load()) { gPico.store(base_); }
    double PicoMB() const { return double(gPico.load() - base_) / (1 << 20); }
private:
    std::size_t base_;
};

// ---- Synthetic documents. ----
const char* const kMaterias[] = {
    "Lengua Castellana y Literatura", "Matemáticas", "Primera Lengua Extranjera: Inglés", "Geografía e Historia",
    "Educación Física", "Biología y Geología", "Física y Química", "Tecnología y Digitalización", "Música",
    "Educación Plástica, Visual y Audiovisual", "Religión Católica", "Atención Educativa", "Latín", "Griego",
    "Filosofía", "Historia de España", "Economía", "Dibujo Técnico I", "Dibujo Técnico II", "Química", "Física",
    "Matemáticas Aplicadas a las Ciencias Sociales", "Segunda Lengua Extranjera: Francés", "Cultura Clásica",
    "Digitalización", "Tutoría", "Psicología", "Geología y Ciencias Ambientales", "Historia del Arte",
    "Empresa y Diseño de Modelos de Negocio", "Literatura Universal", "Anatomía Aplicada", "Oratoria",
    "Proyecto Interdisciplinar", "Formación y Orientación Laboral", "Sistemas Operativos Monopuesto",
    "Aplicaciones Ofimáticas", "Redes Locales", "Seguridad Informática", "Montaje y Mantenimiento de Equipos"};
const char* const kApellidos[] = {"García", "González", "Rodríguez", "Fernández", "López", "Martínez", "Sánchez",
                                  "Pérez", "Gómez", "Martín", "Jiménez", "Ruiz", "Hernández", "Díaz", "Moreno",
                                  "Muñoz", "Álvarez", "Romero", "Alonso", "Gutiérrez", "Navarro", "Torres",
                                  "Domínguez", "Vázquez", "Ramos", "Gil", "Ramírez", "Serrano", "Blanco", "Molina"};
const char* const kNombres[] = {"Ana", "Antonio", "María", "José", "Carmen", "Manuel", "Lucía", "Francisco",
                                "Isabel", "David", "Laura", "Javier", "Elena", "Daniel", "Pilar", "Carlos",
                                "Rosa", "Miguel", "Inés", "Rafael", "Sofía", "Pedro", "Marta", "Ángel",
                                "Raquel", "Óscar", "Beatriz", "Íñigo", "Nuria", "Álvaro"};
const char* const kCursos[] = {"1º ESO", "2º ESO", "3º ESO", "4º ESO", "1º Bachillerato", "2º Bachillerato",
                               "1º CFGM", "2º CFGM", "1º CFGS", "2º CFGS"};

struct Tamano {
    int escuelas = 0;
    std::size_t registros = 0;  // records of the document
    fs::path documento, referencia, trabajo, base;
};

void Dato(std::string& s, const std::string& v) { s += "<dato>" + v + "</dato>"; }

std::size_t EscribirDocumento(const fs::path& archivo, int escuelas) {
    std::ofstream out(archivo, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO><BLOQUE_DATOS>"
           "<grupo_datos seq=\"ANNO_ACADEMICO\"><dato>2025</dato></grupo_datos>\n";
    std::size_t registros = 0;
    unsigned azar = 12345;
    auto siguiente = [&] { return azar = azar * 1103515245u + 12345u, (azar >> 8); };
    auto bloque = [&](const char* seq, auto&& cuerpo) {
        std::string s = std::string("<grupo_datos seq=\"") + seq + "\">\n";
        for (int e = 0; e < escuelas; ++e) cuerpo(s, e);
        s += "</grupo_datos>\n";
        out << s;
    };
    auto registro = [&](std::string& s, std::initializer_list<std::string> valores) {
        s += "<grupo_datos>";
        for (const auto& v : valores) Dato(s, v);
        s += "</grupo_datos>\n";
        ++registros;
    };
    auto curso = [](int e, int c) { return std::to_string(100000 + e * 20 + c); };
    bloque("CURSOS_DEL_CENTRO", [&](std::string& s, int e) {
        for (int c = 0; c < 20; ++c) registro(s, {curso(e, c), kCursos[c % 10], "23700012"});
    });
    bloque("UNIDADES", [&](std::string& s, int e) {
        for (int c = 0; c < 20; ++c)
            for (int g = 0; g < 3; ++g)
                registro(s, {std::to_string(e * 60 + c * 3 + g), std::string(kCursos[c % 10]) + " " + char('A' + g),
                             curso(e, c), "25"});
    });
    bloque("MATERIAS", [&](std::string& s, int e) {
        for (int c = 0; c < 20; ++c)
            for (int m = 0; m < 15; ++m)
                registro(s, {curso(e, c), std::to_string(e * 300 + c * 15 + m), kMaterias[(c * 7 + m) % 40], "4", "S"});
    });
    bloque("ACTIVIDADES", [&](std::string& s, int e) {
        for (int a = 0; a < 30; ++a)
            registro(s, {std::to_string(e * 30 + a), "ACT" + std::to_string(a), "Actividad " + std::to_string(a), "N"});
    });
    bloque("EMPLEADOS", [&](std::string& s, int e) {
        for (int p = 0; p < 150; ++p)
            registro(s, {std::to_string(500000 + e * 150 + p), "01/09/2015", "12345678Z", kApellidos[siguiente() % 30],
                         kApellidos[siguiente() % 30], kNombres[siguiente() % 30], "590"});
    });
    bloque("DEPENDENCIAS", [&](std::string& s, int e) {
        for (int d = 0; d < 40; ++d)
            registro(s, {d == 39 ? std::string() : "E" + std::to_string(e) + "A" + std::to_string(d),
                         d == 39 ? "Gimnasio" : "Aula " + std::to_string(d), "30"});
    });
    bloque("JORNADAS_ESCOLARES", [&](std::string& s, int e) {
        registro(s, {"M" + std::to_string(e) + "A", "Jornada ordinaria", "15/09/2025", "31/05/2026"});
        registro(s, {"M" + std::to_string(e) + "B", "Jornada reducida", "01/06/2026", "19/06/2026"});
    });
    bloque("TRAMOS_HORARIOS", [&](std::string& s, int e) {
        for (char m : {'A', 'B'})
            for (int t = 0; t < 8; ++t) {
                const int ini = (m == 'A' ? 495 : 540) + t * 55;
                registro(s, {std::to_string(e * 16 + t), std::to_string(t + 1) + "ª hora", std::to_string(ini),
                             std::to_string(ini + 55), "M" + std::to_string(e) + m, "S"});
            }
    });
    out << "</BLOQUE_DATOS></SERVICIO>\n";
    return registros;
}

void EscribirReferencia(const fs::path& carpeta) {
    core::RelojFijo reloj(core::FechaHora{2025, 9, 1, 0, 0, 0});
    tablas::Tabla::Crear(carpeta, tablas::esquemas::NIVELLARI(), reloj);
    auto t = tablas::Tabla::Abrir(carpeta / "NIVELLARI.DBF", tablas::Acceso::Exclusivo, &reloj);
    for (int c = 0; c < 20; ++c) {
        t.Agregar();
        t.EscribirEntero("X_OFERTAMATRIG", 100000 + c);
        t.EscribirTexto("NIVEL_ABREV", c < 8 ? "ESO" : "BACH");
        t.EscribirTexto("ESTUDIO", c < 8 ? "Educaci\xF3n Secundaria Obligatoria" : "Bachillerato");
        t.Grabar();
    }
    t.Cerrar();
}

std::map<int, Tamano>& Tamanos() {
    static std::map<int, Tamano> t;
    return t;
}

const Tamano& Preparar(int escuelas) {
    Tamano& t = Tamanos()[escuelas];
    if (t.escuelas) return t;
    t.escuelas = escuelas;
    const fs::path raiz = fs::temp_directory_path() / ("tmv_bench_to_tables_" + std::to_string(escuelas));
    fs::remove_all(raiz);
    fs::create_directories(raiz / "MTEMP");
    fs::create_directories(raiz / "base");
    t.documento = raiz / "centro.xml";
    t.referencia = raiz / "NIVELLARI.DBF";
    t.trabajo = raiz / "MTEMP";
    t.base = raiz / "base";
    t.registros = EscribirDocumento(t.documento, escuelas);
    EscribirReferencia(raiz);
    return t;
}

class UsuarioBench : public core::Interaccion {
public:
    explicit UsuarioBench(fs::path d) : d_(std::move(d)) {}
    std::optional<fs::path> ElegirDocumento() override { return d_; }
    void Mensaje(const std::string&) override {}
    void Error(const std::string& t) override { error = exchange::AnsiAUtf8(t); }
    core::EleccionMarcos ElegirMarcos(const fs::path&) override {
        return core::EleccionMarcos{true, "M0A       M0B       ", false};
    }
    void Ocupado(bool) override {}
    std::string error;
private:
    fs::path d_;
};

// What the run wrote: per table, its rows and record length.
struct TablaEscrita { std::string nombre; std::vector<int> anchos; std::size_t filas = 0; };

std::vector<TablaEscrita> TablasEscritas(const fs::path& carpeta) {
    std::vector<TablaEscrita> r;
    for (const auto* e : tablas::esquemas::Trabajo()) {
        auto t = tablas::Tabla::Abrir(carpeta / (e->nombre + ".DBF"));
        TablaEscrita te{e->nombre, {}, t.ContarFilas()};
        for (const auto& c : t.Campos()) te.anchos.push_back(c.ancho);
        t.Cerrar();
        r.push_back(std::move(te));
    }
    return r;
}

std::map<int, std::vector<TablaEscrita>> gEscritas;
std::map<std::string, double> gPicos;  // benchmark name -> peak heap MB

void BM_Conversion(benchmark::State& st) {
    const Tamano& t = Preparar(static_cast<int>(st.range(0)));
    to_tables::OpcionesConversion op{t.trabajo, t.referencia, nullptr};
    double pico = 0;
    std::size_t filas = 0;
    auto convertir = [&] {
        core::EstadoVentana estado;
        UsuarioBench ui(t.documento);
        if (to_tables::BExportarClick(estado, ui, op) == core::FinEjecucion::Finalizado) return true;
        st.SkipWithError(ui.error.c_str());
        return false;
    };
    // One untimed run first, as for the baseline: the process's first touch
    // of fresh memory is not part of either.
    if (!convertir()) return;
    for (auto _ : st) {
        MedidaMemoria m;
        if (!convertir()) return;
        pico = std::max(pico, m.PicoMB());
    }
    auto& escritas = gEscritas[t.escuelas];
    if (escritas.empty()) escritas = TablasEscritas(t.trabajo);
    for (const auto& e : escritas) filas += e.filas;
    st.counters["pico_MB"] = pico;
    st.counters["filas"] = double(filas);
    st.counters["registros"] = double(t.registros);
    gPicos["conversion/" + std::to_string(t.escuelas)] = pico;
}

// The bare baseline: load, one XPath selection per block and a walk over
// its values, then the same rows written by a plain formatter.
void BM_Base(benchmark::State& st) {
    const Tamano& t = Preparar(static_cast<int>(st.range(0)));
    auto it = gEscritas.find(t.escuelas);
    if (it == gEscritas.end()) {
        st.SkipWithError("la conversion debe medirse antes");
        return;
    }
    const char* const bloques[] = {"MATERIAS", "ACTIVIDADES", "EMPLEADOS", "DEPENDENCIAS", "CURSOS_DEL_CENTRO",
                                   "UNIDADES", "MATERIAS", "JORNADAS_ESCOLARES", "TRAMOS_HORARIOS"};
    double pico = 0;
    bool calentado = false;
    for (auto _ : st) {
        if (!calentado) {  // the same untimed first run as the conversion's
            st.PauseTiming();
            calentado = true;
            pugi::xml_document doc;
            doc.load_file(t.documento.c_str());
            st.ResumeTiming();
        }
        MedidaMemoria m;
        {
            pugi::xml_document doc;
            if (!doc.load_file(t.documento.c_str())) st.SkipWithError("load_file");
            std::size_t total = 0;
            std::vector<std::string_view> muestra;
            for (const char* b : bloques) {
                const std::string xpath =
                    std::string("/SERVICIO/BLOQUE_DATOS/grupo_datos[@seq='") + b + "']/grupo_datos";
                for (const auto& n : doc.select_nodes(xpath.c_str()))
                    for (pugi::xml_node d = n.node().child("dato"); d; d = d.next_sibling("dato")) {
                        const std::string_view v = d.child_value();
                        total += v.size();
                        if (muestra.size() < 64) muestra.push_back(v);
                    }
            }
            benchmark::DoNotOptimize(total);
            if (muestra.empty()) muestra.push_back("x");
            std::vector<char> buffer(1 << 20);
            std::size_t k = 0;
            for (const auto& e : it->second) {
                std::FILE* f = std::fopen((t.base / (e.nombre + ".DBF")).string().c_str(), "wb");
                std::setvbuf(f, buffer.data(), _IOFBF, buffer.size());
                std::size_t largo = 1;
                for (int a : e.anchos) largo += static_cast<std::size_t>(a);
                std::vector<char> cabecera(32 + 32 * e.anchos.size() + 1, 0), fila(largo);
                std::fwrite(cabecera.data(), 1, cabecera.size(), f);
                for (std::size_t r = 0; r < e.filas; ++r) {
                    char* p = fila.data();
                    *p++ = ' ';
                    for (int a : e.anchos) {
                        const std::string_view v = muestra[k++ % muestra.size()];
                        const std::size_t n = std::min<std::size_t>(v.size(), static_cast<std::size_t>(a));
                        std::memcpy(p, v.data(), n);
                        std::memset(p + n, ' ', static_cast<std::size_t>(a) - n);
                        p += a;
                    }
                    std::fwrite(fila.data(), 1, fila.size(), f);
                }
                std::fputc(0x1A, f);
                std::fclose(f);
            }
        }
        pico = std::max(pico, m.PicoMB());
    }
    st.counters["pico_MB"] = pico;
    gPicos["base/" + std::to_string(t.escuelas)] = pico;
}

class Recolector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) tiempos[r.run_name.str()] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> tiempos;  // ms
};

}  // namespace

int main(int argc, char** argv) {
    pugi::set_memory_management_functions(&Reservar, &Liberar);
    std::vector<int> escuelas = {1, 10, 100};
    std::vector<char*> args;
    bool conservar = false;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--conservar") == 0) {
            conservar = true;
        } else if (std::strncmp(argv[i], "--escuelas=", 11) == 0) {
            escuelas.clear();
            std::stringstream ss(argv[i] + 11);
            std::string n;
            while (std::getline(ss, n, ',')) escuelas.push_back(std::atoi(n.c_str()));
        } else {
            args.push_back(argv[i]);
        }
    }
    int n = static_cast<int>(args.size());
    for (int e : escuelas) {
        const int iter = e >= 1000 ? 2 : e >= 100 ? 5 : e >= 10 ? 20 : 100;
        benchmark::RegisterBenchmark("conversion", BM_Conversion)->Arg(e)->Iterations(iter)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("base", BM_Base)->Arg(e)->Iterations(iter)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&n, args.data());
    Recolector rec;
    benchmark::RunSpecifiedBenchmarks(&rec);

    std::printf("\n%8s %12s %12s %10s %10s %12s %12s %14s\n", "escuelas", "conv ms", "base ms", "tiempo x",
                "memoria x", "conv MB", "base MB", "us/registro");
    std::vector<double> porRegistro;
    for (int e : escuelas) {
        const std::string sufijo = "/" + std::to_string(e) + "/iterations:";
        double tc = 0, tb = 0, mc = 0, mb = 0;
        for (const auto& [nombre, ms] : rec.tiempos) {
            if (nombre.rfind("conversion" + sufijo, 0) == 0) tc = ms;
            if (nombre.rfind("base" + sufijo, 0) == 0) tb = ms;
        }
        mc = gPicos["conversion/" + std::to_string(e)];
        mb = gPicos["base/" + std::to_string(e)];
        std::size_t filas = 0;
        for (const auto& t : gEscritas[e]) filas += t.filas;
        const std::size_t registros = Tamanos()[e].registros + filas;
        const double us = registros ? tc * 1000.0 / double(registros) : 0;
        porRegistro.push_back(us);
        std::printf("%8d %12.1f %12.1f %10.2f %10.2f %12.1f %12.1f %14.3f\n", e, tc, tb, tb > 0 ? tc / tb : 0,
                    mb > 0 ? mc / mb : 0, mc, mb, us);
    }
    if (porRegistro.size() > 1) {
        const auto [mn, mx] = std::minmax_element(porRegistro.begin(), porRegistro.end());
        std::printf("tiempo por registro (documento + filas escritas): max/min = %.2f\n", *mn > 0 ? *mx / *mn : 0);
    }
    for (const auto& [e, t] : Tamanos()) {
        std::error_code ec;
        if (conservar)
            std::printf("documento de %d escuelas: %s\n", e, t.documento.string().c_str());
        else
            fs::remove_all(t.documento.parent_path(), ec);
    }
    benchmark::Shutdown();
}
