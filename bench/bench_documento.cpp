// Loading and reading a large exchange document through Documento, LeerBloque
// and LeerDato, against bare pugixml (load_file and a walk with child_value)
// over the same ~50 MB file in the same process. Prints the ratios at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "exchange/documento.h"

namespace fs = std::filesystem;

namespace {

const char* const kBloques[] = {"MATERIAS", "ACTIVIDADES", "EMPLEADOS", "DEPENDENCIAS",
                                "CURSOS_DEL_CENTRO", "UNIDADES", "JORNADAS_ESCOLARES", "TRAMOS_HORARIOS"};
constexpr int kDatos = 10;

// Writes a document of about 50 MB: every block holds records of ten
// values, some of them with accented text.
const fs::path& Archivo() {
    static const fs::path p = [] {
        const fs::path f = fs::temp_directory_path() / "tmv_bench_documento.xml";
        std::ofstream out(f, std::ios::binary);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO>\n<BLOQUE_DATOS>\n";
        const std::size_t objetivo = std::size_t(50) << 20;
        std::size_t escrito = 0;
        int n = 0;
        while (escrito < objetivo) {
            std::string bloque = std::string("<grupo_datos seq=\"") + kBloques[n % 8] + "\">\n";
            for (int r = 0; r < 200; ++r, ++n) {
                bloque += "  <grupo_datos>";
                for (int d = 0; d < kDatos; ++d) {
                    bloque += "<dato nombre_dato=\"CAMPO_" + std::to_string(d) + "\">";
                    switch (d % 4) {
                        case 0: bloque += std::to_string(100000 + n); break;
                        case 1: bloque += "Educaci\xC3\xB3n f\xC3\xADsica y deportiva"; break;
                        case 2: bloque += "  Lengua Castellana  "; break;
                        default: bloque += "1\xC2\xBA ESO A"; break;
                    }
                    bloque += "</dato>";
                }
                bloque += "</grupo_datos>\n";
            }
            bloque += "</grupo_datos>\n";
            out << bloque;
            escrito += bloque.size();
        }
        out << "</BLOQUE_DATOS>\n</SERVICIO>\n";
        return f;
    }();
    return p;
}

std::size_t RecorrerPugi(const pugi::xml_document& doc) {
    std::size_t total = 0;
    const pugi::xml_node datos = doc.child("SERVICIO").child("BLOQUE_DATOS");
    for (const char* nombre : kBloques)
        for (pugi::xml_node g = datos.child("grupo_datos"); g; g = g.next_sibling("grupo_datos"))
            if (std::string_view(g.attribute("seq").value()) == nombre)
                for (pugi::xml_node r = g.child("grupo_datos"); r; r = r.next_sibling("grupo_datos"))
                    for (pugi::xml_node d = r.child("dato"); d; d = d.next_sibling("dato"))
                        total += std::string_view(d.child_value()).size();
    return total;
}

std::size_t RecorrerDocumento(const exchange::Documento& doc) {
    std::size_t total = 0;
    for (const char* nombre : kBloques)
        for (const auto& reg : exchange::LeerBloque(doc, nombre)) {
            const int n = exchange::ContarDatos(reg);
            for (int i = 0; i < n; ++i) total += exchange::LeerDato(reg, i).size();
        }
    return total;
}

void BM_CompletoPugixml(benchmark::State& st) {
    for (auto _ : st) {
        pugi::xml_document doc;
        if (!doc.load_file(Archivo().c_str())) st.SkipWithError("load_file");
        benchmark::DoNotOptimize(RecorrerPugi(doc));
    }
}

void BM_CompletoDocumento(benchmark::State& st) {
    for (auto _ : st) {
        exchange::Documento doc;
        if (!doc.Cargar(Archivo())) st.SkipWithError("Cargar");
        benchmark::DoNotOptimize(RecorrerDocumento(doc));
    }
}

void BM_LecturaPugixml(benchmark::State& st) {
    pugi::xml_document doc;
    doc.load_file(Archivo().c_str());
    for (auto _ : st) benchmark::DoNotOptimize(RecorrerPugi(doc));
}

void BM_LecturaDocumento(benchmark::State& st) {
    exchange::Documento doc;
    doc.Cargar(Archivo());
    for (auto _ : st) benchmark::DoNotOptimize(RecorrerDocumento(doc));
}

BENCHMARK(BM_CompletoPugixml)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_CompletoDocumento)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_LecturaPugixml)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_LecturaDocumento)->Unit(benchmark::kMillisecond)->Iterations(4);

// Remembers each benchmark's mean real time per iteration.
class Recolector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs) tiempos[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> tiempos;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("Documento de prueba: %s (%.1f MB)\n", Archivo().string().c_str(),
                double(fs::file_size(Archivo())) / (1 << 20));
    Recolector rec;
    benchmark::RunSpecifiedBenchmarks(&rec);
    auto ratio = [&](const char* titulo, const std::string& a, const std::string& b) {
        const auto ia = rec.tiempos.find(a + "/iterations:4"), ib = rec.tiempos.find(b + "/iterations:4");
        if (ia != rec.tiempos.end() && ib != rec.tiempos.end() && ib->second > 0)
            std::printf("  %-44s %.2f\n", titulo, ia->second / ib->second);
    };
    std::printf("\nRatio against bare pugixml (1.00 = same time):\n");
    ratio("load + every value (Cargar+LeerBloque+LeerDato)", "BM_CompletoDocumento", "BM_CompletoPugixml");
    ratio("values only (LeerDato vs child_value, no copy)", "BM_LecturaDocumento", "BM_LecturaPugixml");
    std::error_code ec;
    fs::remove(Archivo(), ec);
    benchmark::Shutdown();
}
