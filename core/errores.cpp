#include "core/errores.h"

#include <charconv>
#include <cstdint>

#include "core/mensajes.h"

namespace core {

namespace {

// The quoted text as a message can show it: a NUL byte (a damaged table
// field) would otherwise cut the message short.
std::string Mostrable(std::string texto) {
    for (char& c : texto)
        if (c == '\0') c = '?';
    return texto;
}

}  // namespace

ErrorConversion::ErrorConversion(const std::string& textoAnsi)
    : ErrorEjecucion("'" + Mostrable(textoAnsi) + "'" + mensajes::kNoEsEnteroValido) {}

int ConvertirEntero(const std::string& texto) {
    const char* p = texto.data();
    const char* fin = p + texto.size();
    bool negativo = false;
    if (p != fin && (*p == '+' || *p == '-')) {
        negativo = (*p == '-');
        ++p;
    }
    if (p == fin) throw ErrorConversion(texto);
    std::int64_t valor = 0;
    for (; p != fin; ++p) {
        if (*p < '0' || *p > '9') throw ErrorConversion(texto);
        valor = valor * 10 + (*p - '0');
        if (valor > 2147483648LL) throw ErrorConversion(texto);
    }
    if (negativo) valor = -valor;
    if (valor > 2147483647LL) throw ErrorConversion(texto);
    return static_cast<int>(valor);
}

}  // namespace core
