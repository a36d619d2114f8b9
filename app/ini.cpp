#include "app/ini.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <vector>

namespace app {
namespace {

struct Linea {
    std::string_view texto;  // without its line ending
    std::string_view fin;    // "\r\n", "\n", "\r" or "" (last line)
};

std::vector<Linea> PartirLineas(std::string_view s) {
    std::vector<Linea> lineas;
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t j = i;
        while (j < s.size() && s[j] != '\n' && s[j] != '\r') ++j;
        std::size_t k = j;
        if (k < s.size()) {
            if (s[k] == '\r' && k + 1 < s.size() && s[k + 1] == '\n') k += 2;
            else ++k;
        }
        lineas.push_back({s.substr(i, j - i), s.substr(j, k - j)});
        i = k;
    }
    return lineas;
}

bool EsBlanco(char c) { return c == ' ' || c == '\t'; }

std::string_view Recortar(std::string_view s) {
    while (!s.empty() && EsBlanco(s.front())) s.remove_prefix(1);
    while (!s.empty() && EsBlanco(s.back())) s.remove_suffix(1);
    return s;
}

char Minuscula(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IgualesSinCaso(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Minuscula(a[i]) != Minuscula(b[i])) return false;
    return true;
}

// The name of a section header line ("[Nombre]"), or false.
bool EsSeccion(std::string_view linea, std::string_view& nombre) {
    linea = Recortar(linea);
    if (linea.size() < 2 || linea.front() != '[') return false;
    std::size_t cierre = linea.find(']');
    if (cierre == std::string_view::npos) return false;
    nombre = Recortar(linea.substr(1, cierre - 1));
    return true;
}

bool EsComentario(std::string_view linea) {
    linea = Recortar(linea);
    return !linea.empty() && (linea.front() == ';' || linea.front() == '#');
}

std::string_view FinDeLineaDelArchivo(std::string_view s) {
    std::size_t n = s.find('\n');
    if (n != std::string_view::npos) return (n > 0 && s[n - 1] == '\r') ? "\r\n" : "\n";
    if (s.find('\r') != std::string_view::npos) return "\r";
    return "\r\n";
}

}  // namespace

std::string EscribirValorIni(std::string_view contenido, std::string_view seccion,
                             std::string_view clave, std::string_view valor) {
    // A UTF-8 byte order mark stays in front and is not part of the first line.
    std::string_view bom;
    if (contenido.substr(0, 3) == "\xEF\xBB\xBF") {
        bom = contenido.substr(0, 3);
        contenido.remove_prefix(3);
    }
    const std::string_view fin = FinDeLineaDelArchivo(contenido);
    const std::vector<Linea> lineas = PartirLineas(contenido);

    // The first section with that name: header index and end (exclusive).
    std::size_t cabecera = lineas.size(), finSeccion = lineas.size();
    for (std::size_t i = 0; i < lineas.size(); ++i) {
        std::string_view nombre;
        if (!EsSeccion(lineas[i].texto, nombre)) continue;
        if (cabecera == lineas.size()) {
            if (IgualesSinCaso(nombre, Recortar(seccion))) cabecera = i;
        } else {
            finSeccion = i;
            break;
        }
    }

    std::string salida(bom);
    salida.reserve(contenido.size() + clave.size() + valor.size() + seccion.size() + 8);
    auto copiar = [&](std::size_t desde, std::size_t hasta) {
        for (std::size_t i = desde; i < hasta; ++i) {
            salida.append(lineas[i].texto);
            salida.append(lineas[i].fin);
        }
    };
    const std::string nueva = std::string(clave) + "=" + std::string(valor);

    if (cabecera == lineas.size()) {
        // No such section: add it at the end.
        copiar(0, lineas.size());
        if (!lineas.empty() && lineas.back().fin.empty()) salida.append(fin);
        salida.append("[").append(seccion).append("]").append(fin);
        salida.append(nueva).append(fin);
        return salida;
    }

    for (std::size_t i = cabecera + 1; i < finSeccion; ++i) {
        std::string_view texto = lineas[i].texto;
        if (EsComentario(texto)) continue;
        std::size_t igual = texto.find('=');
        if (igual == std::string_view::npos) continue;
        if (!IgualesSinCaso(Recortar(texto.substr(0, igual)), Recortar(clave))) continue;
        // The key as written and its '=' stay; the value after it is replaced.
        copiar(0, i);
        salida.append(texto.substr(0, igual + 1)).append(valor).append(lineas[i].fin);
        copiar(i + 1, lineas.size());
        return salida;
    }

    // The key is missing: add it after the section's last entry (blank lines
    // and comments that follow it stay before the next section).
    std::size_t ultima = cabecera;
    for (std::size_t i = cabecera + 1; i < finSeccion; ++i)
        if (!Recortar(lineas[i].texto).empty() && !EsComentario(lineas[i].texto)) ultima = i;
    copiar(0, ultima + 1);
    if (lineas[ultima].fin.empty()) salida.append(fin);
    salida.append(nueva).append(fin);
    copiar(ultima + 1, lineas.size());
    return salida;
}

bool EscribirValorIniArchivo(const std::filesystem::path& archivo, std::string_view seccion,
                             std::string_view clave, std::string_view valor) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string contenido;
    const fs::file_status estado = fs::status(archivo, ec);
    if (fs::exists(estado)) {
        if (!fs::is_regular_file(estado)) return false;
        // A file marked read-only stays as it is.
        if ((estado.permissions() & fs::perms::owner_write) == fs::perms::none) return false;
        std::ifstream entrada(archivo, std::ios::binary);
        if (!entrada) return false;
        std::ostringstream bufer;
        bufer << entrada.rdbuf();
        if (entrada.bad()) return false;
        contenido = bufer.str();
    }
    const std::string nuevo = EscribirValorIni(contenido, seccion, clave, valor);

    fs::path temporal = archivo;
    temporal += ".tmp";
    {
        std::ofstream salida(temporal, std::ios::binary | std::ios::trunc);
        if (!salida) return false;
        salida.write(nuevo.data(), static_cast<std::streamsize>(nuevo.size()));
        salida.flush();
        if (!salida) {
            salida.close();
            fs::remove(temporal, ec);
            return false;
        }
    }
    fs::rename(temporal, archivo, ec);
    if (ec) {
        fs::remove(temporal, ec);
        return false;
    }
    return true;
}

}  // namespace app
