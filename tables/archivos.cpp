#include "tables/archivos.h"

#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#define NOMINMAX
#include <windows.h>
#endif

#include "tables/formato.h"
#include "tables/tabla.h"

namespace tablas {

namespace fs = std::filesystem;

namespace {

bool IgualSinMayus(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::string NombreDe(const fs::path& p) {
    auto u8 = p.filename().u8string();
    return std::string(reinterpret_cast<const char*>(u8.data()), u8.size());
}

// Every file of `carpeta` named `nombre` ignoring case; the exact spelling first.
std::vector<fs::path> Coincidencias(const fs::path& carpeta, std::string_view nombre) {
    std::vector<fs::path> v;
    std::error_code ec;
    fs::directory_iterator it(carpeta, ec), fin;
    for (; !ec && it != fin; it.increment(ec)) {
        std::error_code e2;
        if (it->is_directory(e2)) continue;
        std::string n = NombreDe(it->path());
        if (!IgualSinMayus(n, nombre)) continue;
        if (n == nombre) v.insert(v.begin(), it->path());
        else v.push_back(it->path());
    }
    return v;
}

}  // namespace

fs::path CarpetaTrabajoPredeterminada() {
#ifdef _WIN32
    return fs::path(L"C:\\MTEMP");
#else
    const char* prefijo = std::getenv("WINEPREFIX");
    fs::path base;
    if (prefijo && *prefijo) {
        base = prefijo;
    } else {
        const char* casa = std::getenv("HOME");
        base = fs::path(casa && *casa ? casa : ".") / ".wine";
    }
    return base / "drive_c" / "MTEMP";
#endif
}

void ComprobarCarpetaTrabajo(const fs::path& carpeta) {
    std::error_code ec;
    if (!fs::is_directory(carpeta, ec)) {
        throw ErrorTabla("No existe la carpeta de trabajo " + formato::RutaAnsi(carpeta) +
                         ". Cr\xE9" "ela (o instale Mirantel) y repita.");
    }
}

std::optional<fs::path> BuscarArchivo(const fs::path& carpeta, std::string_view nombre) {
    auto v = Coincidencias(carpeta, nombre);
    if (v.empty()) return std::nullopt;
    return v.front();
}

bool ExisteArchivo(const fs::path& carpeta, std::string_view nombre) {
    return BuscarArchivo(carpeta, nombre).has_value();
}

bool BorrarSiExiste(const fs::path& carpeta, std::string_view nombre) {
    bool borrado = false;
    for (const fs::path& p : Coincidencias(carpeta, nombre)) {
        std::error_code ec;
        if (fs::remove(p, ec) && !ec) borrado = true;
    }
    return borrado;
}

void BorrarOtrasGrafias(const fs::path& carpeta, std::string_view nombre) {
    for (const fs::path& p : Coincidencias(carpeta, nombre)) {
        if (NombreDe(p) == nombre) continue;
        std::error_code ec;
        fs::remove(p, ec);
    }
}

fs::path CarpetaPrograma() {
#ifdef _WIN32
    std::wstring buf(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    buf.resize(n);
    return fs::path(buf).parent_path();
#else
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return fs::current_path(ec);
    return exe.parent_path();
#endif
}

}  // namespace tablas
