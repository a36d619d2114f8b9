#pragma once
// A small editor for Windows INI settings files that changes one value and
// leaves every other byte of the file as it was.
#include <filesystem>
#include <string>
#include <string_view>

namespace app {

// Returns `contenido` with `clave` of `seccion` set to `valor`. Section and key
// names match ignoring the case of A-Z and surrounding blanks; the first
// matching section and the first matching key in it are used. A key that is
// missing is added after the last entry of its section; a missing
// section is added at the end of the file. New lines take the file's own line
// ending (CRLF for an empty text or one without line breaks).
std::string EscribirValorIni(std::string_view contenido, std::string_view seccion,
                             std::string_view clave, std::string_view valor);

// Writes the value into the file at `archivo`, creating it when missing: the
// new text goes to a temporary file beside it that then replaces the original.
// Returns false (and leaves the original untouched) when the file cannot be
// read or written.
bool EscribirValorIniArchivo(const std::filesystem::path& archivo, std::string_view seccion,
                             std::string_view clave, std::string_view valor);

}  // namespace app
