#include "app/argumentos.h"

namespace app {

std::string MinusculasAZ(std::string_view texto) {
    std::string s(texto);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

RunPedida RunDelArgumento(std::string_view argumento) {
    const std::string palabra = MinusculasAZ(argumento);
    if (palabra == "exportar") return RunPedida::Exportar;
    if (palabra == "importar") return RunPedida::Importar;
    return RunPedida::Ninguna;
}

std::optional<std::uint32_t> LeerHexadecimal32(std::string_view texto) {
    if (texto.empty()) return std::nullopt;
    std::uint64_t valor = 0;
    for (char c : texto) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        valor = valor * 16 + static_cast<std::uint64_t>(d);
        if (valor > 0xFFFFFFFFull) return std::nullopt;
    }
    return static_cast<std::uint32_t>(valor);
}

}  // namespace app
