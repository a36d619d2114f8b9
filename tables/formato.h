#pragma once
// Writing new table files (and their production index), and file names as
// they appear in messages.
#include <filesystem>
#include <string>

#include "core/reloj.h"
#include "tables/tabla.h"

namespace tablas::formato {

// Code page mark written in byte 29 of every header (Windows-1252).
inline constexpr unsigned char kMarcaPaginaCodigos = 0x03;
// Language driver named in level 7 headers (Windows-1252, Western European).
inline constexpr const char* kControladorIdioma = "DBWINWE0";

// A path as Windows-1252 text for messages.
std::string RutaAnsi(const std::filesystem::path& ruta);

// Throws ErrorTabla when the schema cannot be stored (names, types, widths).
void ComprobarEsquema(const Esquema& esquema);

// The bytes of an empty table file with this schema.
std::string CabeceraVacia(const Esquema& esquema, const core::FechaHora& fecha);

// The bytes of the empty production index of this schema (one tag).
std::string IndiceVacio(const Esquema& esquema, const core::FechaHora& fecha);

// Writes <carpeta>/<nombre>.DBF (and .MDX when the schema has an index).
void CrearTabla(const std::filesystem::path& carpeta, const Esquema& esquema, const core::Reloj& reloj);

}  // namespace tablas::formato
