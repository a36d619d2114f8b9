#pragma once
// The exchange document: a whole XML file loaded into a DOM, and the
// positional reading rules every conversion step shares.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace exchange {

// The outcome of a load, with the parser's reason and position on failure.
struct ResultadoCarga {
    bool correcto = false;
    std::string mensaje;       // Spanish, Windows-1252; names the file, the reason, line and column
    std::size_t linea = 0;     // 1-based, 0 when not applicable (file not readable)
    std::size_t columna = 0;   // 1-based
    explicit operator bool() const { return correcto; }
};

// The encoding a document declares (or its byte-order mark shows).
enum class Codificacion { Utf8, Utf16LE, Utf16BE, Latin1, Windows1252 };

class Documento {
public:
    Documento() = default;
    Documento(const Documento&) = delete;
    Documento& operator=(const Documento&) = delete;

    // Loads the whole file. UTF-8 (with or without BOM), UTF-16 (BOM),
    // ISO-8859-1 and Windows-1252 as declared. Nothing external is fetched
    // and no DTD is expanded.
    ResultadoCarga Cargar(const std::filesystem::path& archivo);

    // The DOM, all text in UTF-8.
    const pugi::xml_document& Dom() const { return dom_; }
    pugi::xml_document& Dom() { return dom_; }

    // The encoding the file was read in.
    Codificacion CodificacionLeida() const { return codificacion_; }
    // True when the file began with an XML declaration.
    bool TieneDeclaracion() const;

private:
    pugi::xml_document dom_;
    Codificacion codificacion_ = Codificacion::Utf8;
};

// One record of a block: a `grupo_datos` element whose values are its `dato`
// children, numbered from 0. Cheap to copy; valid while its document lives
// and its values are not removed (it remembers the last value it found, so
// that reading the positions in order walks the record once).
class Registro {
public:
    explicit Registro(pugi::xml_node nodo) : nodo_(nodo) {}
    pugi::xml_node Nodo() const { return nodo_; }
    // The `dato` child at `posicion` (from 0); an empty node when there is none.
    pugi::xml_node Dato(int posicion) const;
private:
    pugi::xml_node nodo_;
    mutable pugi::xml_node ultimo_;   // the dato last found...
    mutable int posUltimo_ = -1;      // ...and its position
};

// The records of every `grupo_datos` child of /SERVICIO/BLOQUE_DATOS whose
// `seq` equals `bloque`, in document order (several such blocks read as one).
std::vector<Registro> LeerBloque(const Documento& doc, std::string_view bloque);

// The number of `dato` children of a record.
int ContarDatos(const Registro& registro);

// The text of value `posicion` (from 0), in Windows-1252 ('?' for a character
// it lacks), stripped of spaces at both ends. A position the record lacks
// reads as empty text.
std::string LeerDato(const Registro& registro, int posicion);

// As LeerDato, without stripping.
std::string LeerDatoSinRecortar(const Registro& registro, int posicion);

// The text content of a node (all its descendants' text, joined), UTF-8.
std::string TextoDeNodo(pugi::xml_node nodo);

}  // namespace exchange
