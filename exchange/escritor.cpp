#include "exchange/escritor.h"

#include <cstring>
#include <random>
#include <system_error>

#include "core/errores.h"
#include "exchange/ansi.h"

namespace exchange {

namespace {

constexpr std::size_t kTamanoBuffer = 1u << 20;

std::string RutaAnsi(const std::filesystem::path& p) {
    const auto u8 = p.u8string();
    return Utf8AAnsi(std::string_view(reinterpret_cast<const char*>(u8.data()), u8.size()));
}

std::string EnMinusculas(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

// Decodes one UTF-8 sequence at s[i]; malformed input gives U+FFFD.
char32_t SiguienteUtf8(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i++]);
    if (b0 < 0x80) return b0;
    int resto = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) { resto = 1; cp = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { resto = 2; cp = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { resto = 3; cp = b0 & 0x07; }
    else return 0xFFFD;
    for (int k = 0; k < resto; ++k) {
        if (i >= s.size()) return 0xFFFD;
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (b & 0x3F);
        ++i;
    }
    return cp;
}

}  // namespace

FormatoSalida FormatoSegunDeclaracion(const pugi::xml_document& dom, Codificacion leida) {
    const bool leidoUtf16 = leida == Codificacion::Utf16LE || leida == Codificacion::Utf16BE;
    const auto utf16 = [&] {
        return FormatoSalida{leida == Codificacion::Utf16BE ? CodificacionSalida::Utf16BE
                                                            : CodificacionSalida::Utf16LE,
                             true};
    };
    for (pugi::xml_node n = dom.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_declaration) continue;
        const pugi::xml_attribute a = n.attribute("encoding");
        if (!a) return leidoUtf16 ? utf16() : FormatoSalida{};
        const std::string cod = EnMinusculas(a.value());
        if (cod == "utf-8" || cod == "utf8") return {};
        if (cod == "utf-16" || cod == "utf16" || cod == "ucs-2" || cod == "iso-10646-ucs-2") return utf16();
        if (cod == "utf-16le") return {CodificacionSalida::Utf16LE, false};
        if (cod == "utf-16be") return {CodificacionSalida::Utf16BE, false};
        if (cod == "iso-8859-1" || cod == "iso8859-1" || cod == "iso_8859-1" || cod == "latin1" ||
            cod == "latin-1" || cod == "l1")
            return {CodificacionSalida::Latin1, false};
        if (cod == "windows-1252" || cod == "cp1252" || cod == "cp-1252" || cod == "x-cp1252")
            return {CodificacionSalida::Windows1252, false};
        if (cod == "us-ascii" || cod == "ascii") return {CodificacionSalida::Ascii, false};
        throw core::ErrorEjecucion("El documento declara la codificaci\xF3n '" + Utf8AAnsi(a.value()) +
                                   "', que no se puede escribir. Codificaciones admitidas: "
                                   "UTF-8, UTF-16, ISO-8859-1 y Windows-1252.");
    }
    return {};
}

EscritorXML::EscritorXML(std::filesystem::path destino, FormatoSalida formato)
    : destino_(std::move(destino)), formato_(formato), buffer_(kTamanoBuffer) {
    // The byte tables: what each Windows-1252 byte becomes in each mode.
    for (int modo = 0; modo < 3; ++modo) {
        for (int b = 0; b < 256; ++b) {
            const std::size_t antes = pos_;
            CodigoPunto(AnsiACodigo(static_cast<unsigned char>(b)), static_cast<Modo>(modo));
            Entrada& e = tabla_[modo][b];
            e.largo = static_cast<std::uint8_t>(pos_ - antes);
            std::memcpy(e.bytes, buffer_.data() + antes, e.largo);
            identidad_[modo][b] = e.largo == 1 && static_cast<unsigned char>(e.bytes[0]) == b;
            pos_ = antes;
        }
    }

    std::filesystem::path carpeta = destino_.parent_path();
    if (carpeta.empty()) carpeta = ".";
    std::random_device semilla;
    std::mt19937_64 azar((static_cast<std::uint64_t>(semilla()) << 32) ^ semilla());
    for (int intento = 0; intento < 16 && !archivo_; ++intento) {
        char sufijo[40];
        std::snprintf(sufijo, sizeof sufijo, ".%016llx.tmp", static_cast<unsigned long long>(azar()));
        temporal_ = carpeta / (destino_.filename().string() + sufijo);
        std::error_code ec;
        if (std::filesystem::exists(temporal_, ec)) continue;
#if defined(_WIN32)
        archivo_ = _wfopen(temporal_.c_str(), L"wb");
#else
        archivo_ = std::fopen(temporal_.c_str(), "wbx");
#endif
    }
    if (!archivo_)
        throw core::ErrorEjecucion("No se puede crear el archivo de resultado en la carpeta '" +
                                   RutaAnsi(carpeta) + "': compruebe que existe y que se puede escribir en ella.");
    if (formato_.marcaOrden) CodigoPunto(0xFEFF, kCrudo);
}

EscritorXML::~EscritorXML() {
    if (!terminado_) Descartar();
}

void EscritorXML::Descartar() noexcept {
    if (archivo_) {
        std::fclose(archivo_);
        archivo_ = nullptr;
    }
    if (!temporal_.empty()) {
        std::error_code ec;
        std::filesystem::remove(temporal_, ec);
    }
}

void EscritorXML::Vaciar() {
    if (pos_ == 0) return;
    if (std::fwrite(buffer_.data(), 1, pos_, archivo_) != pos_)
        throw core::ErrorEjecucion("No se puede escribir el archivo '" + RutaAnsi(destino_) +
                                   "': el disco est\xE1 lleno o no se puede escribir en la carpeta.");
    escritos_ += pos_;
    pos_ = 0;
}

void EscritorXML::CodigoPunto(char32_t cp, Modo modo) {
    Asegurar(16);
    char* p = buffer_.data() + pos_;
    const auto referencia = [&](char32_t c) {
        // "&#N;" in the output encoding (ASCII characters in every encoding).
        char t[16];
        const int n = std::snprintf(t, sizeof t, "&#%u;", static_cast<unsigned>(c));
        for (int k = 0; k < n; ++k) CodigoPunto(static_cast<unsigned char>(t[k]), kCrudo);
    };
    if (modo != kCrudo) {
        const char* entidad = nullptr;
        switch (cp) {
            case '&': entidad = "&amp;"; break;
            case '<': entidad = "&lt;"; break;
            case '>': entidad = "&gt;"; break;
            case '"': if (modo == kAtributo) entidad = "&quot;"; break;
            case '\r': entidad = "&#13;"; break;
            case '\n': if (modo == kAtributo) entidad = "&#10;"; break;
            case '\t': if (modo == kAtributo) entidad = "&#9;"; break;
            default: break;
        }
        if (entidad) {
            for (const char* e = entidad; *e; ++e) CodigoPunto(static_cast<unsigned char>(*e), kCrudo);
            return;
        }
        // Characters XML 1.0 cannot hold at all become '?'.
        if ((cp < 0x20 && cp != '\t' && cp != '\n') || cp == 0xFFFE || cp == 0xFFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            cp = '?';
    }
    switch (formato_.codificacion) {
        case CodificacionSalida::Utf8:
            if (cp < 0x80) {
                p[0] = static_cast<char>(cp);
                pos_ += 1;
            } else if (cp < 0x800) {
                p[0] = static_cast<char>(0xC0 | (cp >> 6));
                p[1] = static_cast<char>(0x80 | (cp & 0x3F));
                pos_ += 2;
            } else if (cp < 0x10000) {
                p[0] = static_cast<char>(0xE0 | (cp >> 12));
                p[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                p[2] = static_cast<char>(0x80 | (cp & 0x3F));
                pos_ += 3;
            } else {
                p[0] = static_cast<char>(0xF0 | (cp >> 18));
                p[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                p[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                p[3] = static_cast<char>(0x80 | (cp & 0x3F));
                pos_ += 4;
            }
            return;
        case CodificacionSalida::Utf16LE:
        case CodificacionSalida::Utf16BE: {
            const bool le = formato_.codificacion == CodificacionSalida::Utf16LE;
            const auto unidad = [&](char32_t u) {
                char* q = buffer_.data() + pos_;
                q[le ? 0 : 1] = static_cast<char>(u & 0xFF);
                q[le ? 1 : 0] = static_cast<char>((u >> 8) & 0xFF);
                pos_ += 2;
            };
            if (cp < 0x10000) {
                unidad(cp);
            } else {
                const char32_t v = cp - 0x10000;
                unidad(0xD800 | (v >> 10));
                unidad(0xDC00 | (v & 0x3FF));
            }
            return;
        }
        case CodificacionSalida::Latin1:
        case CodificacionSalida::Windows1252:
        case CodificacionSalida::Ascii: {
            int byte = -1;
            if (cp < 0x80) {
                byte = static_cast<int>(cp);
            } else if (formato_.codificacion == CodificacionSalida::Latin1) {
                if (cp < 0x100) byte = static_cast<int>(cp);
            } else if (formato_.codificacion == CodificacionSalida::Windows1252) {
                // The five bytes Windows-1252 leaves undefined are not written as bytes.
                if (cp < 0x80 || cp > 0x9F) byte = CodigoAAnsi(cp);
            }
            if (byte >= 0) {
                p[0] = static_cast<char>(byte);
                pos_ += 1;
            } else if (modo == kCrudo) {
                p[0] = '?';
                pos_ += 1;
            } else {
                referencia(cp);
            }
            return;
        }
    }
}

void EscritorXML::Crudo(std::string_view ascii) {
    if (formato_.codificacion == CodificacionSalida::Utf16LE ||
        formato_.codificacion == CodificacionSalida::Utf16BE) {
        for (char c : ascii) CodigoPunto(static_cast<unsigned char>(c), kCrudo);
        return;
    }
    while (ascii.size() > buffer_.size()) {
        Crudo(ascii.substr(0, buffer_.size()));
        ascii.remove_prefix(buffer_.size());
    }
    Asegurar(ascii.size());
    std::memcpy(buffer_.data() + pos_, ascii.data(), ascii.size());
    pos_ += ascii.size();
}

void EscritorXML::Ansi(std::string_view s, Modo modo) {
    const bool* id = identidad_[modo];
    const Entrada* tabla = tabla_[modo];
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t j = i;
        while (j < s.size() && id[static_cast<unsigned char>(s[j])]) ++j;
        if (j > i) {
            Crudo(s.substr(i, j - i));
            i = j;
            continue;
        }
        const Entrada& e = tabla[static_cast<unsigned char>(s[i])];
        Asegurar(sizeof e.bytes);
        std::memcpy(buffer_.data() + pos_, e.bytes, e.largo);
        pos_ += e.largo;
        ++i;
    }
}

void EscritorXML::Utf8(std::string_view s, Modo modo) {
    std::size_t i = 0;
    while (i < s.size()) CodigoPunto(SiguienteUtf8(s, i), modo);
}

void EscritorXML::Sangrar(std::size_t nivel) {
    static const std::string tabs(64, '\t');
    while (nivel > tabs.size()) {
        Crudo(tabs);
        nivel -= tabs.size();
    }
    Crudo(std::string_view(tabs).substr(0, nivel));
}

void EscritorXML::NodosPrevios(const pugi::xml_document& dom) {
    for (pugi::xml_node n = dom.first_child(); n; n = n.next_sibling()) {
        switch (n.type()) {
            case pugi::node_declaration:
                Crudo("<?xml");
                for (pugi::xml_attribute a : n.attributes()) {
                    Crudo(" ");
                    Utf8(a.name(), kCrudo);
                    Crudo("=\"");
                    Utf8(a.value(), kAtributo);
                    Crudo("\"");
                }
                Crudo("?>\n");
                break;
            case pugi::node_comment:
                Crudo("<!--");
                Utf8(n.value(), kCrudo);
                Crudo("-->\n");
                break;
            case pugi::node_pi:
                Crudo("<?");
                Utf8(n.name(), kCrudo);
                if (*n.value()) {
                    Crudo(" ");
                    Utf8(n.value(), kCrudo);
                }
                Crudo("?>\n");
                break;
            case pugi::node_doctype:
                Crudo("<!DOCTYPE ");
                Utf8(n.value(), kCrudo);
                Crudo(">\n");
                break;
            default:
                break;
        }
    }
}

void EscritorXML::CerrarEtiquetaInicial() {
    if (etiquetaAbierta_) {
        Crudo(">");
        etiquetaAbierta_ = false;
    }
}

void EscritorXML::Abrir(std::string_view nombre) {
    if (!pila_.empty()) {
        Abierto& padre = pila_.back();
        if (etiquetaAbierta_) {
            Crudo(">\n");
            etiquetaAbierta_ = false;
        } else if (!padre.hijos && padre.texto) {
            Crudo("\n");
        }
        padre.hijos = true;
    }
    Sangrar(pila_.size());
    Crudo("<");
    Crudo(nombre);
    pila_.push_back(Abierto{std::string(nombre)});
    etiquetaAbierta_ = true;
}

void EscritorXML::Atributo(std::string_view nombre, std::string_view valorAnsi) {
    Crudo(" ");
    Crudo(nombre);
    Crudo("=\"");
    Ansi(valorAnsi, kAtributo);
    Crudo("\"");
}

void EscritorXML::Atributo(std::string_view nombre, std::int64_t valor) {
    char t[24];
    const int n = std::snprintf(t, sizeof t, "%lld", static_cast<long long>(valor));
    Atributo(nombre, std::string_view(t, static_cast<std::size_t>(n)));
}

void EscritorXML::Texto(std::string_view ansi) {
    if (ansi.empty()) return;
    CerrarEtiquetaInicial();
    pila_.back().texto = true;
    Ansi(ansi, kTexto);
}

void EscritorXML::TextoUtf8(std::string_view utf8) {
    if (utf8.empty()) return;
    CerrarEtiquetaInicial();
    pila_.back().texto = true;
    Utf8(utf8, kTexto);
}

void EscritorXML::Cerrar() {
    Abierto& e = pila_.back();
    if (etiquetaAbierta_) {
        Crudo(" />\n");
        etiquetaAbierta_ = false;
    } else {
        if (e.hijos) Sangrar(pila_.size() - 1);
        Crudo("</");
        Crudo(e.nombre);
        Crudo(">\n");
    }
    pila_.pop_back();
}

void EscritorXML::ElementoConTexto(std::string_view nombre, std::string_view atributo,
                                   std::string_view valorAtributoAnsi, std::string_view textoAnsi) {
    if (!pila_.empty()) {
        if (etiquetaAbierta_) {
            Crudo(">\n");
            etiquetaAbierta_ = false;
        } else if (!pila_.back().hijos && pila_.back().texto) {
            Crudo("\n");
        }
        pila_.back().hijos = true;
    }
    Sangrar(pila_.size());
    Crudo("<");
    Crudo(nombre);
    Crudo(" ");
    Crudo(atributo);
    Crudo("=\"");
    Ansi(valorAtributoAnsi, kAtributo);
    if (textoAnsi.empty()) {
        Crudo("\" />\n");
        return;
    }
    Crudo("\">");
    Ansi(textoAnsi, kTexto);
    Crudo("</");
    Crudo(nombre);
    Crudo(">\n");
}

void EscritorXML::Terminar() {
    if (terminado_) return;
    try {
        if (!pila_.empty())
            throw core::ErrorEjecucion("El documento de resultado qued\xF3 incompleto: falta cerrar '" +
                                       pila_.back().nombre + "'.");
        Vaciar();
        const bool fallo = std::fflush(archivo_) != 0;
        const bool falloCierre = std::fclose(archivo_) != 0;
        archivo_ = nullptr;
        if (fallo || falloCierre)
            throw core::ErrorEjecucion("No se puede escribir el archivo '" + RutaAnsi(destino_) +
                                       "': el disco est\xE1 lleno o no se puede escribir en la carpeta.");
        std::error_code ec;
        std::filesystem::rename(temporal_, destino_, ec);
        if (ec)
            throw core::ErrorEjecucion("No se puede reemplazar el archivo '" + RutaAnsi(destino_) +
                                       "': est\xE1 en uso, es de solo lectura o es una carpeta.");
    } catch (...) {
        Descartar();
        terminado_ = true;
        throw;
    }
    terminado_ = true;
}

}  // namespace exchange
