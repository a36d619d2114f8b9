#pragma once
// The command line of the desktop program. Exactly two arguments select hosted
// mode: the run to start ("exportar" or "importar") and the host window's
// handle in hexadecimal; any other count is ignored.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

enum class RunPedida { Ninguna, Exportar, Importar };

// Lower-cases the letters A-Z only (other bytes stay as they are).
std::string MinusculasAZ(std::string_view texto);

// The run named by the first argument: "exportar" or "importar" in any case of A-Z.
RunPedida RunDelArgumento(std::string_view argumento);

// Hexadecimal digits without prefix (either case) as a 32-bit number; a value
// written with more digits is accepted while it fits. nullopt for anything
// else (empty, sign, prefix, blanks, other characters, overflow).
std::optional<std::uint32_t> LeerHexadecimal32(std::string_view texto);

}  // namespace app
