#include "tables/formato.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#else
#include <sys/file.h>
#endif

#include "exchange/ansi.h"
#include "tables/archivos.h"

namespace tablas::formato {

namespace {

void Pon16(std::string& b, std::size_t at, unsigned v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Pon32(std::string& b, std::size_t at, unsigned v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PonFecha(std::string& b, std::size_t at, const core::FechaHora& f) {
    b[at] = static_cast<char>(std::clamp(f.anio - 1900, 0, 255));
    b[at + 1] = static_cast<char>(f.mes);
    b[at + 2] = static_cast<char>(f.dia);
}

bool TieneIndice(const Esquema& e, const Campo& c) {
    for (const Indice& i : e.indices) {
        if (i.campo == c.nombre) return true;
    }
    return false;
}

[[noreturn]] void Mal(const Esquema& e, const std::string& motivo) {
    throw ErrorTabla("No se puede crear la tabla " + e.nombre + ": " + motivo + ".");
}

}  // namespace

std::string RutaAnsi(const std::filesystem::path& ruta) {
    auto u8 = ruta.u8string();
    return exchange::Utf8AAnsi(std::string_view(reinterpret_cast<const char*>(u8.data()), u8.size()));
}

void ComprobarEsquema(const Esquema& e) {
    const bool n7 = e.nivel == Nivel::DBase7;
    if (e.campos.empty()) Mal(e, "no tiene campos");
    if (e.campos.size() > 255) Mal(e, "tiene m\xE1s de 255 campos");
    long largo = 1;
    for (const Campo& c : e.campos) {
        if (c.nombre.empty() || c.nombre.size() > (n7 ? 31u : 11u)) Mal(e, "el nombre de campo '" + c.nombre + "' no cabe");
        switch (c.tipo) {
            case 'C':
                if (c.ancho < 1 || c.ancho > 254) Mal(e, "ancho inv\xE1lido en el campo " + c.nombre);
                break;
            case 'N': case 'F':
                if (c.ancho < 1 || c.ancho > 20 || c.decimales < 0 || c.decimales > 18 ||
                    (c.decimales > 0 && c.decimales > c.ancho - 2)) {
                    Mal(e, "ancho o decimales inv\xE1lidos en el campo " + c.nombre);
                }
                break;
            case 'L':
                if (c.ancho != 1) Mal(e, "un campo l\xF3gico tiene ancho 1 (" + c.nombre + ")");
                break;
            case 'D':
                if (c.ancho != 8) Mal(e, "un campo de fecha tiene ancho 8 (" + c.nombre + ")");
                break;
            default:
                Mal(e, std::string("tipo de campo no admitido al crear: ") + c.tipo);
        }
        largo += c.ancho;
    }
    if (largo > 65535) Mal(e, "los registros son demasiado largos");
    if (e.indices.size() > 1) Mal(e, "solo se admite un \xEDndice");
    for (const Indice& i : e.indices) {
        auto it = std::find_if(e.campos.begin(), e.campos.end(), [&](const Campo& c) { return c.nombre == i.campo; });
        if (it == e.campos.end()) Mal(e, "el \xEDndice " + i.nombre + " nombra un campo que no existe");
        if (i.nombre.empty() || i.nombre.size() > 10) Mal(e, "nombre de \xEDndice inv\xE1lido");
        if (it->tipo != 'N' && it->tipo != 'C' && it->tipo != 'F') Mal(e, "\xEDndice sobre un tipo no admitido");
        if (it->tipo == 'C' && it->ancho > 100) Mal(e, "clave de \xEDndice demasiado larga");
    }
}

std::string CabeceraVacia(const Esquema& e, const core::FechaHora& fecha) {
    ComprobarEsquema(e);
    const bool n7 = e.nivel == Nivel::DBase7;
    const std::size_t prefijo = n7 ? 68 : 32, desc = n7 ? 48 : 32;
    const std::size_t largoCab = prefijo + desc * e.campos.size() + 1;
    unsigned largoReg = 1;
    for (const Campo& c : e.campos) largoReg += static_cast<unsigned>(c.ancho);
    std::string b(largoCab + 1, '\0');
    b[0] = n7 ? 0x04 : 0x03;
    PonFecha(b, 1, fecha);
    Pon32(b, 4, 0);
    Pon16(b, 8, static_cast<unsigned>(largoCab));
    Pon16(b, 10, largoReg);
    b[28] = e.indices.empty() ? 0 : 1;
    b[29] = static_cast<char>(kMarcaPaginaCodigos);
    if (n7) std::memcpy(&b[32], kControladorIdioma, std::strlen(kControladorIdioma));
    std::size_t p = prefijo;
    for (const Campo& c : e.campos) {
        std::memcpy(&b[p], c.nombre.data(), c.nombre.size());  // NUL-filled; an 11-letter name fills its slot
        const std::size_t t = n7 ? 32 : 11;
        b[p + t] = c.tipo;
        if (n7) {
            b[p + 33] = static_cast<char>(c.ancho);
            b[p + 34] = static_cast<char>(c.decimales);
            b[p + 37] = TieneIndice(e, c) ? 1 : 0;
        } else {
            b[p + 16] = static_cast<char>(c.ancho);
            b[p + 17] = static_cast<char>(c.decimales);
            b[p + 31] = TieneIndice(e, c) ? 1 : 0;
        }
        p += desc;
    }
    b[p] = 0x0D;
    b[p + 1] = 0x1A;
    return b;
}

std::string IndiceVacio(const Esquema& e, const core::FechaHora& fecha) {
    ComprobarEsquema(e);
    if (e.indices.empty()) return {};
    const Indice& ind = e.indices.front();
    const Campo& campo = *std::find_if(e.campos.begin(), e.campos.end(),
                                       [&](const Campo& c) { return c.nombre == ind.campo; });
    const char tipoClave = campo.tipo == 'C' ? 'C' : 'N';
    const unsigned largoClave = tipoClave == 'N' ? 12 : static_cast<unsigned>(campo.ancho);
    const unsigned largoItem = (4 + largoClave + 3) / 4 * 4;
    std::string b(4096, '\0');
    // File header.
    b[0] = 0x02;
    PonFecha(b, 1, fecha);
    std::string base = e.nombre.substr(0, 16);
    for (char& c : base) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    std::memcpy(&b[4], base.data(), base.size());
    Pon16(b, 20, 2);
    Pon16(b, 22, 1024);
    b[24] = 0x01;
    b[25] = 0x30;
    b[26] = 0x20;
    Pon16(b, 28, 1);
    b[30] = 2;
    b[31] = 0x1B;
    Pon32(b, 32, 8);
    PonFecha(b, 44, fecha);
    b[529] = 0x01;
    // Tag table entry.
    const std::size_t t = 544;
    Pon32(b, t, 4);
    std::memcpy(&b[t + 4], ind.nombre.data(), ind.nombre.size());
    b[t + 15] = 0x10;
    b[t + 19] = 0x02;
    b[t + 20] = tipoClave;
    // Tag header.
    const std::size_t h = 2048;
    Pon32(b, h, 6);
    Pon32(b, h + 4, 2);
    b[h + 8] = 0x10;
    b[h + 9] = tipoClave;
    b[h + 11] = 0x1B;
    Pon16(b, h + 12, largoClave);
    Pon16(b, h + 14, (1024 - 12) / largoItem);
    Pon16(b, h + 16, 0);
    Pon16(b, h + 18, largoItem);
    b[h + 20] = 0x01;
    std::memcpy(&b[h + 24], ind.campo.data(), ind.campo.size());
    Pon32(b, h + 248, 6);
    Pon32(b, h + 252, 6);
    PonFecha(b, h + 257, fecha);
    b[h + 480] = 0x01;
    return b;
}

namespace {

void EscribirArchivo(const std::filesystem::path& ruta, const std::string& bytes) {
    const std::string nombre = RutaAnsi(ruta);
#ifdef _WIN32
    std::FILE* f = _wfopen(ruta.c_str(), L"wb");
#else
    // A table held by another of our processes is not replaced under it.
    if (std::FILE* viejo = std::fopen(ruta.c_str(), "rb")) {
        bool libre = flock(fileno(viejo), LOCK_EX | LOCK_NB) == 0;
        std::fclose(viejo);
        if (!libre) throw ErrorTabla("La tabla " + nombre + " est\xE1 en uso por otro programa; ci\xE9rrela y repita.");
    }
    std::FILE* f = std::fopen(ruta.c_str(), "wb");
#endif
    if (!f) {
        throw ErrorTabla("No se puede crear " + nombre +
                         " (\xBFla carpeta no existe, es de solo lectura o el archivo est\xE1 en uso?).");
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) throw ErrorTabla("No se puede escribir " + nombre + " (\xBF" "disco lleno?).");
}

}  // namespace

void CrearTabla(const std::filesystem::path& carpeta, const Esquema& e, const core::Reloj& reloj) {
    const core::FechaHora fecha = reloj.Ahora();
    std::string cab = CabeceraVacia(e, fecha);
    std::error_code ec;
    if (!std::filesystem::is_directory(carpeta, ec)) {
        throw ErrorTabla("No existe la carpeta " + RutaAnsi(carpeta) + ": no se puede crear la tabla " + e.nombre + ".");
    }
    // A table of another spelling (periodos.dbf) would stand beside the new one.
    BorrarOtrasGrafias(carpeta, e.nombre + ".DBF");
    EscribirArchivo(carpeta / (e.nombre + ".DBF"), cab);
    if (!e.indices.empty()) {
        BorrarOtrasGrafias(carpeta, e.nombre + ".MDX");
        EscribirArchivo(carpeta / (e.nombre + ".MDX"), IndiceVacio(e, fecha));
    }
}

}  // namespace tablas::formato
