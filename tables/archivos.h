#pragma once
// Files in the working folder, whose names are matched without regard to case
// (as on the platform where the timetable program runs).
#include <filesystem>
#include <optional>
#include <string_view>

namespace tablas {

// C:\MTEMP on Windows; ${WINEPREFIX:-$HOME/.wine}/drive_c/MTEMP elsewhere.
std::filesystem::path CarpetaTrabajoPredeterminada();

// Throws ErrorTabla with a Spanish message naming the folder when it is
// missing or not a folder. Never creates it.
void ComprobarCarpetaTrabajo(const std::filesystem::path& carpeta);

// The file in `carpeta` whose name equals `nombre` ignoring the case of A-Z,
// preferring the exact spelling; nullopt when there is none.
std::optional<std::filesystem::path> BuscarArchivo(const std::filesystem::path& carpeta,
                                                   std::string_view nombre);

bool ExisteArchivo(const std::filesystem::path& carpeta, std::string_view nombre);

// Deletes every file in `carpeta` named `nombre` ignoring case; a file that
// cannot be deleted is passed over. Returns whether anything was deleted.
bool BorrarSiExiste(const std::filesystem::path& carpeta, std::string_view nombre);

// Deletes the files of `carpeta` named `nombre` ignoring case but spelled
// otherwise, so that the exact spelling is the only one left.
void BorrarOtrasGrafias(const std::filesystem::path& carpeta, std::string_view nombre);

// The folder of the running executable.
std::filesystem::path CarpetaPrograma();

}  // namespace tablas
