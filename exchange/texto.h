#pragma once
// Text rules that clean values and build codes. All work on 8-bit
// Windows-1252 text, character by character; positions count from 1. Only the
// space (32) and the capitals A-Z are special.
#include <string>
#include <string_view>
#include <unordered_set>

namespace exchange {

std::string QuitarEspaciosDer(std::string_view texto);
std::string QuitarEspaciosIzq(std::string_view texto);
std::string QuitarEspacios(std::string_view texto);
std::string Izquierda(std::string_view texto, int n);
std::string Derecha(std::string_view texto, int n);
std::string SoloMayusculas(std::string_view texto);
std::string LetrasTrasEspacio(std::string_view texto);
std::string AcortarCodigo(std::string_view codigo);

// Upper/lower-casing outside the code sets: a-z and A-Z only.
std::string MayusculasAZ(std::string_view texto);
std::string MinusculasAZ(std::string_view texto);

enum class Comparacion {
    Exacta,          // case-sensitive
    IgnorarCase,     // every letter of Windows-1252: 'ñ' matches 'Ñ', 'á' matches 'Á'
};

// A set of codes already given, with the comparison it was made for.
class ConjuntoCodigos {
public:
    explicit ConjuntoCodigos(Comparacion c) : comparacion_(c) {}
    bool Contiene(std::string_view codigo) const;
    void Agregar(std::string_view codigo);   // no effect when already contained
    void Vaciar() {
        claves_.clear();
        largoMaximo_ = 0;
    }
    std::size_t Tamano() const { return claves_.size(); }
    // The length of the longest code added (0 when empty): a longer code is
    // never contained.
    std::size_t LargoMaximo() const { return largoMaximo_; }
    Comparacion ComparacionUsada() const { return comparacion_; }
private:
    std::string Clave(std::string_view codigo) const;
    Comparacion comparacion_;
    std::unordered_set<std::string> claves_;
    std::size_t largoMaximo_ = 0;
};

// The base when the set lacks it, else the first of base+"1", base+"2", ...
// that the set lacks. Neither shortens nor adds.
std::string CodigoUnico(std::string_view base, const ConjuntoCodigos& conjunto);

}  // namespace exchange
