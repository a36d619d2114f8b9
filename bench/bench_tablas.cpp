// The table engine against a plain fixed-width record stream, in one run:
// writing and reading back TMV_FILAS rows (default 10^6) of a 10-field table,
// and the cost of a locate and of a filter at 10^3 and 10^6 rows.
// Prints the ratios engine/baseline and the peak memory at the end.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#if defined(__unix__)
#include <sys/resource.h>
#endif

#include "core/reloj.h"
#include "tables/tabla.h"

namespace {

namespace fs = std::filesystem;
using tablas::Campo;
using tablas::Esquema;
using tablas::Tabla;

const core::RelojFijo kReloj({2026, 1, 1, 0, 0, 0});

const Esquema kEsquema{"BENCH",
                       {{"COD", 'C', 10, 0},
                        {"NOMBRE", 'C', 40, 0},
                        {"NIVEL", 'C', 5, 0},
                        {"CURSO", 'C', 3, 0},
                        {"GRUPO", 'C', 2, 0},
                        {"CLAVE", 'C', 10, 0},
                        {"HORAS", 'N', 20, 4},
                        {"SESIONES", 'C', 20, 0},
                        {"ORDEN", 'N', 11, 0},
                        {"ESTAREA", 'L', 1, 0}},
                       {},
                       tablas::Nivel::DBase4};

std::size_t Filas() {
    const char* v = std::getenv("TMV_FILAS");
    return v ? std::strtoul(v, nullptr, 10) : 1000000;
}

fs::path Carpeta() {
    static fs::path d = [] {
        fs::path p = fs::temp_directory_path() / "tmv_bench_tablas";
        fs::create_directories(p);
        return p;
    }();
    return d;
}

// The values of row i, shared by the engine and the baseline.
struct Valores {
    char cod[16], clave[16];
    std::size_t nCod, nClave;
    double horas;
    void Para(std::size_t i) {
        buf(cod, nCod, 'C', i);
        buf(clave, nClave, 'K', i * 7);
        horas = static_cast<double>(i % 7) + 0.5;
    }
    static void buf(char* b, std::size_t& n, char letra, std::size_t x) {
        b[0] = letra;
        n = static_cast<std::size_t>(std::to_chars(b + 1, b + 15, x).ptr - b);
    }
};
const char* kNombre = "Educaci\xF3n f\xEDsica y deportiva";
const char* kGrupos[] = {"A", "B", "C", "D"};

std::map<std::string, double> tiempos;  // best seconds per measure

void Anotar(const std::string& clave, double s) {
    auto it = tiempos.find(clave);
    if (it == tiempos.end() || s < it->second) tiempos[clave] = s;
}

double Segundos(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// ---- the engine ----

void EscribirMotor(const fs::path& carpeta, std::size_t n) {
    Tabla::Crear(carpeta, kEsquema, kReloj);
    Tabla t = Tabla::Abrir(carpeta / "BENCH.DBF", tablas::Acceso::Exclusivo, &kReloj);
    Valores v;
    for (std::size_t i = 0; i < n; ++i) {
        v.Para(i);
        t.Agregar();
        t.EscribirTexto(0, std::string_view(v.cod, v.nCod));
        t.EscribirTexto(1, kNombre);
        t.EscribirTexto(2, "ESO");
        t.EscribirTexto(3, "1");
        t.EscribirTexto(4, kGrupos[i % 4]);
        t.EscribirTexto(5, std::string_view(v.clave, v.nClave));
        t.EscribirReal(6, v.horas);
        t.EscribirTexto(7, "1111");
        t.EscribirEntero(8, static_cast<std::int64_t>(i));
        t.EscribirLogico(9, (i & 1) != 0);
        t.Grabar();
    }
    t.Cerrar();
}

std::size_t LeerMotor(const fs::path& archivo) {
    Tabla t = Tabla::Abrir(archivo);
    std::size_t total = 0;
    const int campos = static_cast<int>(t.Campos().size());
    for (t.Primero(); !t.FinDeTabla(); t.Siguiente()) {
        for (int c = 0; c < campos; ++c) total += t.LeerTexto(c).size();
    }
    return total;
}

// ---- the baseline: fixed-width records through a 1 MiB buffer ----

void PonerTexto(char* d, int ancho, std::string_view s) {
    std::size_t k = std::min<std::size_t>(s.size(), static_cast<std::size_t>(ancho));
    std::memcpy(d, s.data(), k);
    std::memset(d + k, ' ', static_cast<std::size_t>(ancho) - k);
}

void EscribirBase(const fs::path& archivo, std::size_t n) {
    std::FILE* f = std::fopen(archivo.c_str(), "wb");
    std::setvbuf(f, nullptr, _IONBF, 0);
    std::vector<char> buf(1u << 20);
    std::size_t usado = 0;
    const std::size_t largo = 123;
    Valores v;
    std::fwrite(std::string(353, '\0').data(), 1, 353, f);  // header of the same size
    for (std::size_t i = 0; i < n; ++i) {
        v.Para(i);
        if (usado + largo > buf.size()) {
            std::fwrite(buf.data(), 1, usado, f);
            usado = 0;
        }
        char* r = buf.data() + usado;
        r[0] = ' ';
        PonerTexto(r + 1, 10, std::string_view(v.cod, v.nCod));
        PonerTexto(r + 11, 40, kNombre);
        PonerTexto(r + 51, 5, "ESO");
        PonerTexto(r + 56, 3, "1");
        PonerTexto(r + 59, 2, kGrupos[i % 4]);
        PonerTexto(r + 61, 10, std::string_view(v.clave, v.nClave));
        char num[32];
        auto e = std::to_chars(num, num + 32, v.horas, std::chars_format::fixed, 4);
        std::size_t k = static_cast<std::size_t>(e.ptr - num);
        std::memset(r + 71, ' ', 20 - k);
        std::memcpy(r + 71 + 20 - k, num, k);
        PonerTexto(r + 91, 20, "1111");
        e = std::to_chars(num, num + 32, i);
        k = static_cast<std::size_t>(e.ptr - num);
        std::memset(r + 111, ' ', 11 - k);
        std::memcpy(r + 111 + 11 - k, num, k);
        r[122] = (i & 1) ? 'T' : 'F';
        usado += largo;
    }
    buf[usado++] = 0x1A;
    std::fwrite(buf.data(), 1, usado, f);
    std::fclose(f);
}

std::size_t LeerBase(const fs::path& archivo, std::size_t n) {
    static const int anchos[] = {10, 40, 5, 3, 2, 10, 20, 20, 11, 1};
    static const bool numerico[] = {false, false, false, false, false, false, true, false, true, false};
    std::FILE* f = std::fopen(archivo.c_str(), "rb");
    std::setvbuf(f, nullptr, _IONBF, 0);
    std::fseek(f, 353, SEEK_SET);
    const std::size_t largo = 123, porBloque = (1u << 20) / largo;
    std::vector<char> buf(porBloque * largo);
    std::size_t total = 0;
    for (std::size_t hecho = 0; hecho < n;) {
        std::size_t filas = std::min(porBloque, n - hecho);
        if (std::fread(buf.data(), 1, filas * largo, f) != filas * largo) break;
        for (std::size_t k = 0; k < filas; ++k) {
            const char* r = buf.data() + k * largo;
            if (r[0] == '*') continue;
            const char* p = r + 1;
            for (int c = 0; c < 10; ++c) {
                std::string_view s(p, static_cast<std::size_t>(anchos[c]));
                while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
                if (numerico[c]) {
                    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
                }
                total += std::string(s).size();
                p += anchos[c];
            }
        }
        hecho += filas;
    }
    std::fclose(f);
    return total;
}

// ---- benchmarks ----

// Each repetition runs the baseline and the engine back to back, so that both
// see the same state of the (shared, noisy) machine; the best of each counts.
void BM_Escribir(benchmark::State& st) {
    for (auto _ : st) {
        auto t0 = std::chrono::steady_clock::now();
        EscribirBase(Carpeta() / "BASE.DAT", Filas());
        Anotar("escribir base", Segundos(t0));
        t0 = std::chrono::steady_clock::now();
        EscribirMotor(Carpeta(), Filas());
        Anotar("escribir motor", Segundos(t0));
    }
}
void BM_Leer(benchmark::State& st) {
    if (!fs::exists(Carpeta() / "BASE.DAT") || !fs::exists(Carpeta() / "BENCH.DBF")) {
        EscribirBase(Carpeta() / "BASE.DAT", Filas());
        EscribirMotor(Carpeta(), Filas());
    }
    for (auto _ : st) {
        auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(LeerBase(Carpeta() / "BASE.DAT", Filas()));
        Anotar("leer base", Segundos(t0));
        t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(LeerMotor(Carpeta() / "BENCH.DBF"));
        Anotar("leer motor", Segundos(t0));
    }
}

// A table of n rows for lookups, opened once per size.
Tabla& TablaDe(std::size_t n) {
    static std::map<std::size_t, Tabla> abiertas;
    auto it = abiertas.find(n);
    if (it != abiertas.end()) return it->second;
    fs::path d = Carpeta() / ("L" + std::to_string(n));
    fs::create_directories(d);
    EscribirMotor(d, n);
    return abiertas[n] = Tabla::Abrir(d / "BENCH.DBF");
}

void BM_Localizar(benchmark::State& st) {
    const std::size_t n = static_cast<std::size_t>(st.range(0));
    Tabla& t = TablaDe(n);
    Valores v;
    std::size_t i = 0, hallados = 0;
    t.Localizar("COD", {"C0"});  // the index is built once per table
    auto t0 = std::chrono::steady_clock::now();
    for (auto _ : st) {
        i = (i * 2654435761u + 12345) % n;
        v.Para(i);
        hallados += t.Localizar("COD", {std::string_view(v.cod, v.nCod)});
    }
    Anotar("localizar " + std::to_string(n), Segundos(t0) / static_cast<double>(st.iterations()));
    if (hallados != static_cast<std::size_t>(st.iterations())) st.SkipWithError("localizar no encontr\xF3 una fila");
}

void BM_Filtrar(benchmark::State& st) {
    const std::size_t n = static_cast<std::size_t>(st.range(0));
    Tabla& t = TablaDe(n);
    Valores v;
    std::size_t i = 0;
    t.Filtrar("CLAVE", "K0");
    auto t0 = std::chrono::steady_clock::now();
    for (auto _ : st) {
        i = (i * 2654435761u + 12345) % n;
        v.Para(i);
        t.Filtrar("CLAVE", std::string_view(v.clave, v.nClave));
        benchmark::DoNotOptimize(t.LeerTexto(0));
        t.Siguiente();
    }
    t.QuitarFiltro();
    Anotar("filtrar " + std::to_string(n), Segundos(t0) / static_cast<double>(st.iterations()));
}

BENCHMARK(BM_Escribir)->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Leer)->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Localizar)->Arg(1000)->Arg(100000)->Arg(1000000)->Iterations(200000);
BENCHMARK(BM_Filtrar)->Arg(1000)->Arg(100000)->Arg(1000000)->Iterations(200000);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    auto ratio = [](const char* a, const char* b) {
        if (!tiempos.count(a) || !tiempos.count(b)) return;
        std::printf("%-28s %.2fx  (%.3f s / %.3f s, best of the repetitions)\n",
                    (std::string(a) + " / " + b).c_str(), tiempos[a] / tiempos[b], tiempos[a], tiempos[b]);
    };
    std::printf("\nFilas: %zu\n", Filas());
    ratio("escribir motor", "escribir base");
    ratio("leer motor", "leer base");
    for (const char* q : {"localizar", "filtrar"}) {
        std::string a = std::string(q) + " 1000", b = std::string(q) + " 100000", c = std::string(q) + " 1000000";
        if (tiempos.count(a) && tiempos.count(b) && tiempos.count(c)) {
            std::printf("%-28s %.0f ns at 10^3 rows, %.0f ns at 10^5, %.0f ns at 10^6 (10^6 / 10^5: %.2f)\n", q,
                        tiempos[a] * 1e9, tiempos[b] * 1e9, tiempos[c] * 1e9, tiempos[c] / tiempos[b]);
        }
    }
#if defined(__unix__)
    struct rusage uso {};
    getrusage(RUSAGE_SELF, &uso);
    std::printf("peak memory (ru_maxrss): %.1f MiB\n", static_cast<double>(uso.ru_maxrss) / 1024.0);
#endif
    std::error_code ec;
    fs::remove_all(Carpeta(), ec);
    return 0;
}
