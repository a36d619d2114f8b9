#include "exchange/documento.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <new>
#include <system_error>

#include "exchange/ansi.h"

namespace exchange {

namespace {

// A text buffer allocated with pugixml's allocator, so that the parser can
// take it over (load_buffer_inplace_own frees it itself).
class Bufer {
public:
    Bufer() = default;
    explicit Bufer(std::size_t n) { Reservar(n); }
    Bufer(const Bufer&) = delete;
    Bufer& operator=(const Bufer&) = delete;
    Bufer(Bufer&& o) noexcept : datos_(o.datos_), largo_(o.largo_) { o.datos_ = nullptr; o.largo_ = 0; }
    Bufer& operator=(Bufer&& o) noexcept {
        if (this != &o) {
            Liberar();
            datos_ = o.datos_;
            largo_ = o.largo_;
            o.datos_ = nullptr;
            o.largo_ = 0;
        }
        return *this;
    }
    ~Bufer() { Liberar(); }

    void Reservar(std::size_t n) {
        Liberar();
        // One spare byte so that an empty file still owns a valid buffer.
        datos_ = static_cast<char*>(pugi::get_memory_allocation_function()(n + 1));
        if (!datos_) throw std::bad_alloc();
        largo_ = n;
    }
    void Acortar(std::size_t n) { largo_ = std::min(largo_, n); }
    char* Datos() { return datos_; }
    const char* Datos() const { return datos_; }
    std::size_t Largo() const { return largo_; }
    // Hands the memory over to the parser.
    char* Soltar() {
        char* d = datos_;
        datos_ = nullptr;
        largo_ = 0;
        return d;
    }

private:
    void Liberar() {
        if (datos_) pugi::get_memory_deallocation_function()(datos_);
        datos_ = nullptr;
        largo_ = 0;
    }
    char* datos_ = nullptr;
    std::size_t largo_ = 0;
};

std::string NombreArchivo(const std::filesystem::path& archivo) {
    const auto u8 = archivo.u8string();
    return Utf8AAnsi(std::string_view(reinterpret_cast<const char*>(u8.data()), u8.size()));
}

// Reads a whole file. Returns an empty string on success, else the reason.
std::string LeerArchivo(const std::filesystem::path& archivo, Bufer& bufer) {
    std::error_code ec;
    const auto estado = std::filesystem::status(archivo, ec);
    if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
        return ec == std::errc::permission_denied ? "no se puede acceder a \xE9l (sin permiso)"
                                                  : "no se puede acceder a \xE9l";
    if (!std::filesystem::exists(estado)) return "el archivo no existe";
    if (std::filesystem::is_directory(estado)) return "es una carpeta, no un archivo";
    std::ifstream in(archivo, std::ios::binary);
    if (!in) return "no se puede abrir (sin permiso de lectura o bloqueado por otro programa)";
    in.seekg(0, std::ios::end);
    const std::streamoff fin = in.tellg();
    in.seekg(0, std::ios::beg);
    if (fin < 0 || !in) return "no se puede leer su contenido";
    if (static_cast<unsigned long long>(fin) > std::numeric_limits<std::size_t>::max() / 4)
        return "es demasiado grande";
    const auto n = static_cast<std::size_t>(fin);
    bufer.Reservar(n);
    if (n > 0 && !in.read(bufer.Datos(), static_cast<std::streamsize>(n)))
        return "error de lectura";
    return {};
}

bool IgualSinCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x + 32);
        if (y >= 'A' && y <= 'Z') y = char(y + 32);
        if (x != y) return false;
    }
    return true;
}

// The value of the encoding pseudo-attribute of an XML declaration at the
// start of `texto`; empty when there is no declaration or no encoding.
// `hay` tells whether an encoding was declared.
std::string EncodingDeclarado(std::string_view texto, bool& hay) {
    hay = false;
    if (texto.substr(0, 5) != "<?xml") return {};
    if (texto.size() > 5 && texto[5] != ' ' && texto[5] != '\t' && texto[5] != '\r' &&
        texto[5] != '\n')
        return {};
    const std::size_t cierre = texto.find("?>");
    const std::string_view decl = texto.substr(0, std::min(cierre, std::size_t(4096)));
    std::size_t p = decl.find("encoding");
    while (p != std::string_view::npos) {
        // Must follow white space, as a pseudo-attribute name does.
        const char antes = decl[p - 1];
        std::size_t q = p + 8;
        if (antes == ' ' || antes == '\t' || antes == '\r' || antes == '\n') {
            while (q < decl.size() && (decl[q] == ' ' || decl[q] == '\t' || decl[q] == '\r' || decl[q] == '\n')) ++q;
            if (q < decl.size() && decl[q] == '=') {
                ++q;
                while (q < decl.size() && (decl[q] == ' ' || decl[q] == '\t' || decl[q] == '\r' || decl[q] == '\n')) ++q;
                if (q < decl.size() && (decl[q] == '"' || decl[q] == '\'')) {
                    const char comilla = decl[q];
                    const std::size_t fin = decl.find(comilla, q + 1);
                    if (fin != std::string_view::npos) {
                        hay = true;
                        return std::string(decl.substr(q + 1, fin - q - 1));
                    }
                }
            }
        }
        p = decl.find("encoding", p + 8);
    }
    return {};
}

// A declared name as it may appear in a message: printable ASCII, bounded.
std::string NombreLegible(std::string_view nombre) {
    std::string r;
    for (char c : nombre.substr(0, 40)) r += (c >= 0x20 && c < 0x7F) ? c : '?';
    return r;
}

void AgregarUtf8(char*& o, char32_t cp) {
    if (cp < 0x80) {
        *o++ = char(cp);
    } else if (cp < 0x800) {
        *o++ = char(0xC0 | (cp >> 6));
        *o++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *o++ = char(0xE0 | (cp >> 12));
        *o++ = char(0x80 | ((cp >> 6) & 0x3F));
        *o++ = char(0x80 | (cp & 0x3F));
    } else {
        *o++ = char(0xF0 | (cp >> 18));
        *o++ = char(0x80 | ((cp >> 12) & 0x3F));
        *o++ = char(0x80 | ((cp >> 6) & 0x3F));
        *o++ = char(0x80 | (cp & 0x3F));
    }
}

// 8-bit text (ISO-8859-1 or Windows-1252) to UTF-8.
Bufer OchoBitsAUtf8(const char* datos, std::size_t n, bool windows1252) {
    // Exact size first: a large document is not to be held twice over.
    std::size_t largo = n;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(datos[i]);
        if (c >= 0x80) largo += (windows1252 && AnsiACodigo(c) >= 0x800) ? 2 : 1;
    }
    Bufer r(largo);
    char* o = r.Datos();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(datos[i]);
        if (c < 0x80) *o++ = char(c);
        else AgregarUtf8(o, windows1252 ? AnsiACodigo(c) : char32_t(c));
    }
    r.Acortar(static_cast<std::size_t>(o - r.Datos()));
    return r;
}

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD, an odd last byte is dropped.
Bufer Utf16AUtf8(const char* datos, std::size_t n, bool bigEndian) {
    const std::size_t unidades = n / 2;
    Bufer r(unidades * 3);
    char* o = r.Datos();
    auto unidad = [&](std::size_t i) -> char32_t {
        const unsigned char a = static_cast<unsigned char>(datos[2 * i]);
        const unsigned char b = static_cast<unsigned char>(datos[2 * i + 1]);
        return bigEndian ? char32_t((a << 8) | b) : char32_t((b << 8) | a);
    };
    for (std::size_t i = 0; i < unidades; ++i) {
        char32_t u = unidad(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < unidades) {
            const char32_t v = unidad(i + 1);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                AgregarUtf8(o, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        AgregarUtf8(o, u);
    }
    r.Acortar(static_cast<std::size_t>(o - r.Datos()));
    return r;
}

// Turns the file's bytes into UTF-8 text ready for the parser. Returns an
// empty string on success, else the reason (naming the encoding).
std::string AUtf8(Bufer& bufer, Codificacion& codificacion) {
    const char* d = bufer.Datos();
    const std::size_t n = bufer.Largo();
    auto byte = [&](std::size_t i) { return i < n ? static_cast<unsigned char>(d[i]) : 0x100u; };

    if (byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        codificacion = Codificacion::Utf8;
        std::memmove(bufer.Datos(), d + 3, n - 3);
        bufer.Acortar(n - 3);
        return {};
    }
    if (byte(0) == 0xFF && byte(1) == 0xFE) {
        codificacion = Codificacion::Utf16LE;
        bufer = Utf16AUtf8(d + 2, n - 2, false);
        return {};
    }
    if (byte(0) == 0xFE && byte(1) == 0xFF) {
        codificacion = Codificacion::Utf16BE;
        bufer = Utf16AUtf8(d + 2, n - 2, true);
        return {};
    }
    // UTF-16 without a byte-order mark shows itself by "<?" with zero bytes.
    if (byte(0) == '<' && byte(1) == 0 && byte(2) == '?' && byte(3) == 0) {
        codificacion = Codificacion::Utf16LE;
        bufer = Utf16AUtf8(d, n, false);
        return {};
    }
    if (byte(0) == 0 && byte(1) == '<' && byte(2) == 0 && byte(3) == '?') {
        codificacion = Codificacion::Utf16BE;
        bufer = Utf16AUtf8(d, n, true);
        return {};
    }

    bool declarado = false;
    const std::string nombre = EncodingDeclarado(std::string_view(d, n), declarado);
    if (!declarado || IgualSinCase(nombre, "UTF-8") || IgualSinCase(nombre, "UTF8") ||
        IgualSinCase(nombre, "US-ASCII") || IgualSinCase(nombre, "ASCII")) {
        codificacion = Codificacion::Utf8;
        return {};
    }
    if (IgualSinCase(nombre, "ISO-8859-1") || IgualSinCase(nombre, "ISO8859-1") ||
        IgualSinCase(nombre, "ISO_8859-1") || IgualSinCase(nombre, "latin1") ||
        IgualSinCase(nombre, "latin-1") || IgualSinCase(nombre, "l1")) {
        codificacion = Codificacion::Latin1;
        bufer = OchoBitsAUtf8(d, n, false);
        return {};
    }
    if (IgualSinCase(nombre, "windows-1252") || IgualSinCase(nombre, "cp1252") ||
        IgualSinCase(nombre, "cp-1252") || IgualSinCase(nombre, "x-cp1252")) {
        codificacion = Codificacion::Windows1252;
        bufer = OchoBitsAUtf8(d, n, true);
        return {};
    }
    if (IgualSinCase(nombre.substr(0, std::min<std::size_t>(nombre.size(), 6)), "UTF-16") ||
        IgualSinCase(nombre, "UCS-2"))
        return "declara la codificaci\xF3n '" + NombreLegible(nombre) +
               "' pero no est\xE1 escrito en ella (falta la marca de orden de bytes)";
    return "declara la codificaci\xF3n '" + NombreLegible(nombre) +
           "', que no se admite (se admiten UTF-8, UTF-16, ISO-8859-1 y Windows-1252)";
}

const char* MotivoEnEspanol(pugi::xml_parse_status s) {
    switch (s) {
        case pugi::status_ok: return "correcto";
        case pugi::status_file_not_found: return "no se encuentra el archivo";
        case pugi::status_io_error: return "error de lectura";
        case pugi::status_out_of_memory: return "memoria insuficiente";
        case pugi::status_internal_error: return "error interno del analizador";
        case pugi::status_unrecognized_tag: return "etiqueta no reconocible";
        case pugi::status_bad_pi: return "instrucci\xF3n de proceso o declaraci\xF3n XML mal formada";
        case pugi::status_bad_comment: return "comentario mal formado";
        case pugi::status_bad_cdata: return "secci\xF3n CDATA mal formada";
        case pugi::status_bad_doctype: return "declaraci\xF3n de tipo de documento mal formada";
        case pugi::status_bad_pcdata: return "texto mal formado";
        case pugi::status_bad_start_element: return "etiqueta de apertura mal formada";
        case pugi::status_bad_attribute: return "atributo mal formado";
        case pugi::status_bad_end_element: return "etiqueta de cierre mal formada";
        case pugi::status_end_element_mismatch: return "etiqueta de cierre que no corresponde";
        case pugi::status_append_invalid_root: return "nodo ra\xEDz no v\xE1lido";
        case pugi::status_no_document_element: return "el documento no tiene elemento ra\xEDz";
    }
    return "error desconocido";
}

// Line and column (1-based, in characters) of a byte offset in UTF-8 text.
void LineaColumna(const char* texto, std::size_t largo, std::size_t offset, std::size_t& linea,
                  std::size_t& columna) {
    offset = std::min(offset, largo);
    linea = 1;
    columna = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        const unsigned char c = static_cast<unsigned char>(texto[i]);
        if (c == '\n' || (c == '\r' && (i + 1 >= largo || texto[i + 1] != '\n'))) {
            ++linea;
            columna = 1;
        } else if ((c & 0xC0) != 0x80 && c != '\r') {
            ++columna;  // a lead byte starts a character; continuation bytes do not
        }
    }
}

constexpr unsigned kOpciones = pugi::parse_default | pugi::parse_declaration | pugi::parse_doctype |
                               pugi::parse_comments | pugi::parse_pi | pugi::parse_ws_pcdata_single;

}  // namespace

ResultadoCarga Documento::Cargar(const std::filesystem::path& archivo) {
    ResultadoCarga r;
    dom_.reset();
    codificacion_ = Codificacion::Utf8;
    const std::string nombre = NombreArchivo(archivo);
    try {
        Bufer bufer;
        std::string motivo = LeerArchivo(archivo, bufer);
        if (motivo.empty()) motivo = AUtf8(bufer, codificacion_);
        if (!motivo.empty()) {
            r.mensaje = "No se puede leer el documento '" + nombre + "': " + motivo + ".";
            return r;
        }
        const std::size_t largo = bufer.Largo();
        const pugi::xml_parse_result res =
            dom_.load_buffer_inplace_own(bufer.Soltar(), largo, kOpciones, pugi::encoding_utf8);
        if (res) {
            r.correcto = true;
            return r;
        }
        dom_.reset();
        if (res.status == pugi::status_out_of_memory) {
            r.mensaje = "No se puede leer el documento '" + nombre + "': memoria insuficiente.";
            return r;
        }
        // The parser worked in place and changed the text: read it again to
        // find the line and column of the fault.
        Bufer copia;
        Codificacion c = Codificacion::Utf8;
        const auto offset = static_cast<std::size_t>(res.offset);
        bool nulo = false;
        if (LeerArchivo(archivo, copia).empty() && AUtf8(copia, c).empty()) {
            LineaColumna(copia.Datos(), copia.Largo(), offset, r.linea, r.columna);
            nulo = offset < copia.Largo() && copia.Datos()[offset] == '\0';
        }
        r.mensaje = "El documento '" + nombre + "' no es un XML v\xE1lido: " +
                    (nulo ? "contiene un car\xE1" "cter nulo (c\xF3" "digo 0)" : MotivoEnEspanol(res.status));
        if (r.linea > 0)
            r.mensaje += " (l\xEDnea " + std::to_string(r.linea) + ", columna " + std::to_string(r.columna) + ")";
        r.mensaje += ".";
        return r;
    } catch (const std::bad_alloc&) {
        dom_.reset();
        r = ResultadoCarga{};
        r.mensaje = "No se puede leer el documento '" + nombre + "': memoria insuficiente.";
        return r;
    }
}

bool Documento::TieneDeclaracion() const {
    return dom_.first_child().type() == pugi::node_declaration;
}

std::vector<Registro> LeerBloque(const Documento& doc, std::string_view bloque) {
    std::vector<Registro> registros;
    const pugi::xml_node servicio = doc.Dom().child("SERVICIO");
    for (pugi::xml_node datos = servicio.child("BLOQUE_DATOS"); datos;
         datos = datos.next_sibling("BLOQUE_DATOS")) {
        for (pugi::xml_node grupo = datos.child("grupo_datos"); grupo;
             grupo = grupo.next_sibling("grupo_datos")) {
            bool coincide = false;
            for (pugi::xml_attribute a = grupo.first_attribute(); a && !coincide; a = a.next_attribute())
                coincide = std::strcmp(a.name(), "seq") == 0 && bloque == a.value();
            if (!coincide) continue;
            for (pugi::xml_node reg = grupo.child("grupo_datos"); reg; reg = reg.next_sibling("grupo_datos"))
                registros.emplace_back(reg);
        }
    }
    return registros;
}

pugi::xml_node Registro::Dato(int posicion) const {
    if (posicion < 0) return {};
    pugi::xml_node d;
    int i = 0;
    if (ultimo_ && posUltimo_ <= posicion) {
        d = ultimo_;
        i = posUltimo_;
    } else {
        d = nodo_.child("dato");
    }
    for (; d && i < posicion; ++i) d = d.next_sibling("dato");
    if (d) {
        ultimo_ = d;
        posUltimo_ = posicion;
    }
    return d;
}

int ContarDatos(const Registro& registro) {
    int n = 0;
    for (pugi::xml_node d = registro.Nodo().child("dato"); d; d = d.next_sibling("dato")) ++n;
    return n;
}

namespace {

bool EsTexto(pugi::xml_node n) {
    return n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata;
}

// Joins the text of every descendant of `nodo` into `out`, without recursion
// (a hostile document may nest deeply).
void JuntarTexto(pugi::xml_node nodo, std::string& out) {
    pugi::xml_node n = nodo.first_child();
    while (n) {
        if (EsTexto(n)) out += n.value();
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && n != nodo && !n.next_sibling()) n = n.parent();
        if (!n || n == nodo) break;
        n = n.next_sibling();
    }
}

std::string TextoDato(const Registro& registro, int posicion, bool recortar) {
    const pugi::xml_node d = registro.Dato(posicion);
    if (!d) return {};
    const pugi::xml_node primero = d.first_child();
    if (!primero) return {};
    std::string junto;
    std::string_view texto;
    if (EsTexto(primero) && !primero.next_sibling()) {
        texto = primero.value();  // the usual case: one text child, no copy
    } else {
        JuntarTexto(d, junto);
        texto = junto;
    }
    if (recortar) {
        std::size_t i = 0, n = texto.size();
        while (n > 0 && texto[n - 1] == ' ') --n;
        while (i < n && texto[i] == ' ') ++i;
        texto = texto.substr(i, n - i);
    }
    return Utf8AAnsi(texto);
}

}  // namespace

std::string LeerDato(const Registro& registro, int posicion) {
    return TextoDato(registro, posicion, true);
}

std::string LeerDatoSinRecortar(const Registro& registro, int posicion) {
    return TextoDato(registro, posicion, false);
}

std::string TextoDeNodo(pugi::xml_node nodo) {
    std::string r;
    if (EsTexto(nodo)) return nodo.value();
    JuntarTexto(nodo, r);
    return r;
}

}  // namespace exchange
