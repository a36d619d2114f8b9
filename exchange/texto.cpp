#include "exchange/texto.h"

#include <string>

namespace exchange {

namespace {

// The capital of a Windows-1252 letter; every other byte unchanged. Covers
// a-z, the accented letters 0xE0-0xFE (but not the division sign 0xF7) and
// the four lower-case letters of the 0x80-0x9F row.
constexpr unsigned char MayusculaAnsi(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    switch (c) {
        case 0x9A: return 0x8A;  // š Š
        case 0x9C: return 0x8C;  // œ Œ
        case 0x9E: return 0x8E;  // ž Ž
        case 0xFF: return 0x9F;  // ÿ Ÿ
        default: return c;
    }
}

}  // namespace

std::string QuitarEspaciosDer(std::string_view texto) {
    std::size_t n = texto.size();
    while (n > 0 && texto[n - 1] == ' ') --n;
    return std::string(texto.substr(0, n));
}

std::string QuitarEspaciosIzq(std::string_view texto) {
    std::size_t i = 0;
    while (i < texto.size() && texto[i] == ' ') ++i;
    return std::string(texto.substr(i));
}

std::string QuitarEspacios(std::string_view texto) {
    std::size_t i = 0, n = texto.size();
    while (n > 0 && texto[n - 1] == ' ') --n;
    while (i < n && texto[i] == ' ') ++i;
    return std::string(texto.substr(i, n - i));
}

std::string Izquierda(std::string_view texto, int n) {
    if (n <= 0) return {};
    return std::string(texto.substr(0, static_cast<std::size_t>(n)));
}

std::string Derecha(std::string_view texto, int n) {
    if (n <= 0) return {};
    const std::size_t k = static_cast<std::size_t>(n);
    if (k >= texto.size()) return std::string(texto);
    return std::string(texto.substr(texto.size() - k));
}

std::string SoloMayusculas(std::string_view texto) {
    std::string r;
    for (char c : texto)
        if (c >= 'A' && c <= 'Z') r += c;
    return r;
}

std::string LetrasTrasEspacio(std::string_view texto) {
    std::string r;
    for (std::size_t i = 0; i + 1 < texto.size(); ++i)
        if (texto[i] == ' ') r += texto[i + 1];
    return r;
}

std::string AcortarCodigo(std::string_view codigo) {
    if (codigo.size() <= 10) return std::string(codigo);
    std::string r(codigo.substr(0, 8));
    r += codigo.substr(codigo.size() - 2);
    return r;
}

std::string MayusculasAZ(std::string_view texto) {
    std::string r(texto);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

std::string MinusculasAZ(std::string_view texto) {
    std::string r(texto);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

std::string ConjuntoCodigos::Clave(std::string_view codigo) const {
    std::string r(codigo);
    if (comparacion_ == Comparacion::IgnorarCase)
        for (char& c : r) c = static_cast<char>(MayusculaAnsi(static_cast<unsigned char>(c)));
    return r;
}

bool ConjuntoCodigos::Contiene(std::string_view codigo) const {
    if (codigo.size() > largoMaximo_) return false;  // no key is that long
    if (comparacion_ == Comparacion::Exacta) {
        // Heterogeneous lookup is not available for unordered_set in C++20
        // with the default hasher; a short code fits the small-string buffer.
        return claves_.count(std::string(codigo)) != 0;
    }
    return claves_.count(Clave(codigo)) != 0;
}

void ConjuntoCodigos::Agregar(std::string_view codigo) {
    if (codigo.size() > largoMaximo_) largoMaximo_ = codigo.size();
    claves_.insert(Clave(codigo));
}

std::string CodigoUnico(std::string_view base, const ConjuntoCodigos& conjunto) {
    if (!conjunto.Contiene(base)) return std::string(base);
    std::string candidato;
    // The set is finite, so some suffix up to its size + 1 is free.
    for (unsigned long long k = 1;; ++k) {
        candidato.assign(base);
        candidato += std::to_string(k);
        if (!conjunto.Contiene(candidato)) return candidato;
    }
}

}  // namespace exchange
