#pragma once
// The seven steps of the document-to-tables run and what they share. A run
// is an ordered list of named steps over one context.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/errores.h"
#include "core/estado.h"
#include "core/interaccion.h"
#include "core/reloj.h"
#include "exchange/documento.h"
#include "tables/tabla.h"

namespace to_tables {

struct Contexto {
    const exchange::Documento& documento;   // the loaded exchange document
    std::filesystem::path carpeta;          // where the steps create their tables
    std::filesystem::path tablaReferencia;  // NIVELLARI.DBF
    const core::Reloj& reloj;
    core::EstadoVentana& estado;
    core::Interaccion& ui;
};

// Ends a run with one of the system's messages (shown with Mensaje, not as an
// error); the working folder stays as it was.
class ConversionDetenida : public core::ErrorEjecucion {
public:
    using core::ErrorEjecucion::ErrorEjecucion;
};

void TransformarMaterias(Contexto& ctx);
void TransformarActividades(Contexto& ctx);
void TransformarEmpleados(Contexto& ctx);
void TransformarDependencias(Contexto& ctx);
void TransformarCursosUnidades(Contexto& ctx);
void TransformarAsignaciones(Contexto& ctx);
void TransformarTramos(Contexto& ctx);

struct Paso {
    const char* nombre;
    void (*ejecutar)(Contexto&);
};

// The steps in their fixed order: later steps read the tables of earlier ones.
const std::vector<Paso>& PasosConversion();

// Helpers shared by the steps.
namespace detalle {

// Creates the table of `esquema` in the context's folder and opens it.
tablas::Tabla CrearYAbrir(const Contexto& ctx, const tablas::Esquema& esquema);
// Opens a table the run created earlier in the context's folder.
tablas::Tabla AbrirCreada(const Contexto& ctx, const tablas::Esquema& esquema);
// Position of a field of an open table (for writing rows in inner loops).
int Pos(const tablas::Tabla& tabla, std::string_view campo);
// Width of a character field of the schema.
int Ancho(const tablas::Esquema& esquema, std::string_view campo);
// The value a character field of width `ancho` gives back once `valor` is
// stored in it: cut to the width, trailing blanks removed.
std::string Almacenado(std::string_view valor, int ancho);
// True when a record has fewer than 2 values (such records are skipped);
// stops looking at the second value.
bool MenosDeDosDatos(const exchange::Registro& registro);
// Two values joined into one lookup key (no XML text holds the separator).
std::string Clave2(std::string_view a, std::string_view b);

}  // namespace detalle

}  // namespace to_tables
