// Writes NIVELLARI.DBF from its CSV: generar_nivellari CSV CARPETA.
// The header carries a fixed date so the file is the same on every build.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/reloj.h"
#include "exchange/ansi.h"
#include "tables/esquemas.h"
#include "tables/tabla.h"

namespace {

std::vector<std::string> Partir(const std::string& linea) {
    std::vector<std::string> v;
    std::string actual;
    bool comillas = false;
    for (std::size_t i = 0; i < linea.size(); ++i) {
        char c = linea[i];
        if (comillas) {
            if (c == '"' && i + 1 < linea.size() && linea[i + 1] == '"') {
                actual += '"';
                ++i;
            } else if (c == '"') {
                comillas = false;
            } else {
                actual += c;
            }
        } else if (c == '"') {
            comillas = true;
        } else if (c == ',') {
            v.push_back(actual);
            actual.clear();
        } else if (c != '\r') {
            actual += c;
        }
    }
    v.push_back(actual);
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "Uso: generar_nivellari CSV CARPETA\n";
        return 2;
    }
    try {
        std::ifstream csv(argv[1]);
        if (!csv) {
            std::cerr << "No se puede leer " << argv[1] << "\n";
            return 1;
        }
        const core::RelojFijo reloj({2026, 1, 1, 0, 0, 0});
        const auto& esquema = tablas::esquemas::NIVELLARI();
        tablas::Tabla::Crear(argv[2], esquema, reloj);
        tablas::Tabla t = tablas::Tabla::Abrir(std::filesystem::path(argv[2]) / "NIVELLARI.DBF",
                                               tablas::Acceso::Exclusivo, &reloj);
        std::string linea;
        bool cabecera = true;
        int n = 0;
        while (std::getline(csv, linea)) {
            ++n;
            if (linea.empty() || linea[0] == '#') continue;
            if (cabecera) {
                cabecera = false;
                continue;
            }
            auto campos = Partir(linea);
            if (campos.size() != 3) {
                std::cerr << argv[1] << ":" << n << ": se esperaban 3 columnas\n";
                return 1;
            }
            t.Agregar();
            t.EscribirTexto(0, campos[0]);
            t.EscribirTexto(1, exchange::Utf8AAnsi(campos[1]));
            t.EscribirTexto(2, exchange::Utf8AAnsi(campos[2]));
            t.Grabar();
        }
        t.Cerrar();
    } catch (const std::exception& e) {
        std::cerr << exchange::AnsiAUtf8(e.what()) << "\n";
        return 1;
    }
    return 0;
}
