#pragma once
// Fixtures of the tables-to-document tests: a working folder with the nine
// tables and PERIODOS, a chosen document, a scripted user and a reading of
// the written records.
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "core/interaccion.h"
#include "core/reloj.h"
#include "tables/esquemas.h"
#include "tables/tabla.h"
#include "to_document/exportacion.h"

namespace prueba {

namespace fs = std::filesystem;

using Fila = std::vector<std::pair<std::string, std::string>>;

class UsuarioPrueba : public core::Interaccion {
public:
    std::optional<fs::path> documento;
    std::vector<std::string> mensajes, errores;
    int ocupado = 0;

    std::optional<fs::path> ElegirDocumento() override { return documento; }
    void Mensaje(const std::string& t) override { mensajes.push_back(t); }
    void Error(const std::string& t) override { errores.push_back(t); }
    core::EleccionMarcos ElegirMarcos(const fs::path&) override { return {false, {}, true}; }
    void Ocupado(bool o) override { ocupado += o ? 1 : -1; }
};

// SOLUC as the timetable program writes it (numeric day and period).
inline tablas::Esquema EsquemaSoluc(const std::string& nombre = "SOLUC", char tipoDia = 'N') {
    return tablas::Esquema{nombre,
                           {{"PROF", 'C', 10}, {"DIA", tipoDia, tipoDia == 'N' ? 2 : 4}, {"HORA", 'N', 2},
                            {"MARCO", 'C', 2}, {"ASIG", 'C', 10}, {"CODGRUPO", 'C', 10},
                            {"TAREA", 'C', 10}, {"AULA", 'C', 10}},
                           {}};
}

class Escenario {
public:
    core::RelojFijo reloj{core::FechaHora{2026, 12, 11, 9, 5, 3}};

    Escenario() {
        std::random_device r;
        raiz_ = fs::temp_directory_path() / ("tmv_to_document_" + std::to_string(r()) + std::to_string(r()));
        fs::create_directories(Trabajo());
        fs::create_directories(Documentos());
        for (const tablas::Esquema* e : tablas::esquemas::Trabajo()) tablas::Tabla::Crear(Trabajo(), *e, reloj);
        tablas::Tabla::Crear(Trabajo(), EsquemaSoluc(), reloj);
        Documento("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"ANNO\"><dato>2026</dato></grupo_datos>"
                  "</BLOQUE_DATOS></SERVICIO>\n");
    }
    ~Escenario() {
        std::error_code ec;
        fs::remove_all(raiz_, ec);
    }

    fs::path Trabajo() const { return raiz_ / "MTEMP"; }
    fs::path Documentos() const { return raiz_ / "docs"; }
    fs::path Entrada() const { return Documentos() / "horario.xml"; }
    fs::path Salida() const { return Documentos() / "ResultadoMiranhorario.xml"; }

    void Documento(const std::string& bytes) const;
    // Appends rows to a table of the working folder (file name without .DBF).
    void Filas(const std::string& tabla, const std::vector<Fila>& filas) const;
    void Crear(const tablas::Esquema& e) const { tablas::Tabla::Crear(Trabajo(), e, reloj); }

    core::FinEjecucion Ejecutar(UsuarioPrueba& ui, core::EstadoVentana& estado) const;
    core::FinEjecucion Ejecutar(UsuarioPrueba& ui) const {
        core::EstadoVentana estado;
        return Ejecutar(ui, estado);
    }

private:
    fs::path raiz_;
};

std::string LeerArchivo(const fs::path& p);
void EscribirArchivo(const fs::path& p, const std::string& bytes);

// The written records, one line per teacher ("seq registros: X_EMPLEADO F_TOMAPOS")
// and one per activity ("  seq: v1|v2|...|v11"), in UTF-8.
std::string Registros(const fs::path& salida);

}  // namespace prueba
