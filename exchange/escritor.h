#pragma once
// A streaming XML writer that produces, element by element, the same file a
// DOM built with those elements would save: one element per line, indented
// with tabs, an element holding only text on one line, an empty element as
// <name attr="v" />, lines ended by "\n".
//
// The file is written through a buffer into a temporary file in the folder of
// the destination and renamed over the destination by Terminar(): the
// destination is replaced whole or left as it was. A writer destroyed
// without Terminar() removes its temporary file.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "exchange/documento.h"

namespace exchange {

enum class CodificacionSalida { Utf8, Utf16LE, Utf16BE, Latin1, Windows1252, Ascii };

struct FormatoSalida {
    CodificacionSalida codificacion = CodificacionSalida::Utf8;
    bool marcaOrden = false;   // byte-order mark at the start (UTF-16)
};

// The output encoding that the XML declaration of `dom` asks for: its
// `encoding` (UTF-8, UTF-16, ISO-8859-1, Windows-1252, US-ASCII and their
// usual aliases); a declaration without it means UTF-8 (UTF-16 when the file
// was read as UTF-16); no declaration means UTF-8. An encoding it cannot write
// throws core::ErrorEjecucion with a Spanish message.
FormatoSalida FormatoSegunDeclaracion(const pugi::xml_document& dom, Codificacion leida);

class EscritorXML {
public:
    // Creates the temporary file beside `destino`. Throws core::ErrorEjecucion
    // (Spanish, naming the folder) when it cannot.
    EscritorXML(std::filesystem::path destino, FormatoSalida formato);
    EscritorXML(const EscritorXML&) = delete;
    EscritorXML& operator=(const EscritorXML&) = delete;
    ~EscritorXML();

    // Every top-level node of `dom` that is not an element (declaration,
    // comments, processing instructions, document type), in document order.
    void NodosPrevios(const pugi::xml_document& dom);

    // Element names are ASCII. Attribute values and text are Windows-1252
    // unless the method says UTF-8. Attributes go right after Abrir.
    void Abrir(std::string_view nombre);
    void Atributo(std::string_view nombre, std::string_view valorAnsi);
    void Atributo(std::string_view nombre, std::int64_t valor);
    void Texto(std::string_view ansi);
    void TextoUtf8(std::string_view utf8);
    void Cerrar();

    // <nombre atributo="valorAtributo">texto</nombre>, or the empty form when
    // `textoAnsi` is empty: the writer's fast path for values.
    void ElementoConTexto(std::string_view nombre, std::string_view atributo,
                          std::string_view valorAtributoAnsi, std::string_view textoAnsi);

    // Writes what is buffered, closes the temporary file and renames it over
    // the destination. Every element must be closed. Throws
    // core::ErrorEjecucion on failure; the temporary file is then removed.
    void Terminar();

    const std::filesystem::path& Destino() const { return destino_; }
    const std::filesystem::path& Temporal() const { return temporal_; }
    std::uint64_t BytesEscritos() const { return escritos_ + pos_; }

private:
    enum Modo { kCrudo = 0, kTexto = 1, kAtributo = 2 };
    struct Entrada {
        std::uint8_t largo;
        char bytes[15];
    };

    void Crudo(std::string_view ascii);                 // markup, ASCII only
    void Ansi(std::string_view ansi, Modo modo);
    void Utf8(std::string_view utf8, Modo modo);
    void CodigoPunto(char32_t cp, Modo modo);
    void CerrarEtiquetaInicial();
    void Sangrar(std::size_t nivel);
    void Asegurar(std::size_t n) {
        if (pos_ + n > buffer_.size()) Vaciar();
    }
    void Vaciar();
    void Descartar() noexcept;

    std::filesystem::path destino_;
    std::filesystem::path temporal_;
    FormatoSalida formato_;
    std::FILE* archivo_ = nullptr;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::uint64_t escritos_ = 0;
    Entrada tabla_[3][256];        // each Windows-1252 byte, per mode, in the output encoding
    bool identidad_[3][256];       // the byte is written as itself

    struct Abierto {
        std::string nombre;
        bool hijos = false;        // holds elements (closing tag on its own line)
        bool texto = false;        // holds text (closing tag on the same line)
    };
    std::vector<Abierto> pila_;
    bool etiquetaAbierta_ = false; // "<name attr..." written, ">" not yet
    bool terminado_ = false;
};

}  // namespace exchange
