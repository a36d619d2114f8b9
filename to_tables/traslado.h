#pragma once
// All-or-nothing replacement of the working tables.
//
// A run builds its tables in a staging folder beside the working folder (on
// the same file system, so that moving a file is a rename) and, only when
// every step has finished, moves them in:
//   1. a backup folder beside the working folder gets a list of the files to
//      back up and of the new files (written, then renamed into place);
//   2. the files the run replaces or deletes (the ten tables, their .MDX
//      indexes, JORNADAS.DBF; names matched ignoring case) are renamed into
//      the backup folder;
//   3. the new files are renamed into the working folder;
//   4. the backup folder is renamed to mark the move complete, then removed.
// When a rename fails, everything already moved goes back and the working
// folder is byte-for-byte as before. Only renames happen between 2 and 4.
//
// Killed half-way: the backup folder (named after the dead process) holds
// the old files. The next run calls RecuperarInterrumpidos before anything
// else: a backup not marked complete is restored (new files of the dead run
// that made it in are removed, the old ones renamed back), a completed one is
// just removed, and a staging folder of a dead run is deleted. So a kill at
// any point leaves either the old tables or, once recovered, the old tables
// again, or the complete new set.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace to_tables {

// Renames a file or folder; throws std::filesystem::filesystem_error.
using FuncionRenombrar = std::function<void(const std::filesystem::path&, const std::filesystem::path&)>;

class Traslado {
public:
    // Creates the staging folder. Throws core::ErrorEjecucion (Spanish,
    // naming the folder) when it cannot be created.
    explicit Traslado(const std::filesystem::path& carpetaTrabajo, FuncionRenombrar renombrar = nullptr);
    Traslado(const Traslado&) = delete;
    Traslado& operator=(const Traslado&) = delete;
    // Removes the staging folder when the move did not happen.
    ~Traslado();

    // Where the new tables are built.
    const std::filesystem::path& Provisional() const { return provisional_; }

    // Moves the new tables in. On failure the working folder is restored and
    // core::ErrorEjecucion is thrown with a Spanish message naming it.
    void Confirmar();

private:
    std::filesystem::path carpeta_, provisional_, respaldo_, terminado_;
    FuncionRenombrar renombrar_;
    bool confirmado_ = false;
};

// Restores or removes what runs killed half-way left beside (or inside) the
// working folder. Throws core::ErrorEjecucion when a restore is impossible.
void RecuperarInterrumpidos(const std::filesystem::path& carpetaTrabajo);

// True for a file name a run replaces or deletes (ignoring case).
bool ArchivoReemplazado(std::string_view nombre);

// A Spanish reason for a file system error.
std::string RazonSistema(const std::error_code& ec);

// A path as Windows-1252 text for messages.
std::string TextoRuta(const std::filesystem::path& ruta);

}  // namespace to_tables
