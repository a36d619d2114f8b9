#include "to_tables/traslado.h"

#include <algorithm>
#include <fstream>
#include <set>

#include "core/errores.h"
#include "exchange/ansi.h"
#include "exchange/texto.h"
#include "tables/esquemas.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <process.h>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace to_tables {

namespace {

const char* kMarcaNuevo = "tmv-nuevo-";
const char* kMarcaRespaldo = "tmv-respaldo-";
const char* kMarcaTerminado = "tmv-hecho-";
const char* kLista = "TRASLADO.LST";
const char* kHecho = "HECHO";

long PidActual() {
#if defined(_WIN32)
    return static_cast<long>(_getpid());
#else
    return static_cast<long>(getpid());
#endif
}

bool ProcesoVivo(long pid) {
    if (pid == PidActual()) return false;  // runs of this process never overlap
#if defined(_WIN32)
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!h) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD codigo = 0;
    const bool vivo = GetExitCodeProcess(h, &codigo) && codigo == STILL_ACTIVE;
    CloseHandle(h);
    return vivo;
#else
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

// Both folders on one file system, so that a rename moves a file.
bool MismoSistemaArchivos(const fs::path& a, const fs::path& b) {
#if defined(_WIN32)
    return fs::absolute(a).root_name() == fs::absolute(b).root_name();
#else
    struct stat sa {}, sb {};
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev;
#endif
}

std::string NombreUtf8(const fs::path& p) {
    const auto u8 = p.filename().u8string();
    return std::string(u8.begin(), u8.end());
}

fs::path RutaUtf8(const fs::path& carpeta, const std::string& nombreUtf8) {
    return carpeta / fs::path(std::u8string(nombreUtf8.begin(), nombreUtf8.end()));
}

fs::path Normalizada(const fs::path& carpeta) {
    fs::path p = fs::absolute(carpeta).lexically_normal();
    if (!p.has_filename() && p.has_parent_path() && p != p.root_path()) p = p.parent_path();
    return p;
}

// A run keeps its folders beside the working folder ("<parent>/.MTEMP.tmv-...")
// or, when that is another file system, inside it ("MTEMP/.tmv-...").
fs::path Carpeta(const fs::path& carpeta, bool dentro, const char* marca, long pid) {
    const std::string nombre = (dentro ? "." : "." + NombreUtf8(carpeta) + ".") + marca + std::to_string(pid);
    return RutaUtf8(dentro ? carpeta : carpeta.parent_path(), nombre);
}

void RenombrarSistema(const fs::path& de, const fs::path& a) { fs::rename(de, a); }

core::ErrorEjecucion ErrorEscritura(const fs::path& carpeta, const std::error_code& ec, const std::string& mas) {
    return core::ErrorEjecucion("No se pueden colocar las tablas nuevas en la carpeta de trabajo " +
                                TextoRuta(carpeta) + ": " + RazonSistema(ec) + ". " + mas);
}

std::vector<std::string> ArchivosDe(const fs::path& carpeta) {
    std::vector<std::string> nombres;
    for (const auto& e : fs::directory_iterator(carpeta)) {
        std::error_code ec;
        if (e.is_regular_file(ec)) nombres.push_back(NombreUtf8(e.path()));
    }
    std::sort(nombres.begin(), nombres.end());
    return nombres;
}

// Restores the working folder from the backup folder of a run that did not
// finish its move.
void Restaurar(const fs::path& carpeta, const fs::path& respaldo) {
    std::error_code ec0;
    if (fs::exists(respaldo / kHecho, ec0)) {  // the move had finished
        fs::remove_all(respaldo, ec0);
        return;
    }
    std::vector<std::string> viejos, nuevos;
    bool conLista = false;
    {
        std::ifstream lista(respaldo / kLista, std::ios::binary);
        std::string linea;
        while (std::getline(lista, linea)) {
            if (!linea.empty() && linea.back() == '\r') linea.pop_back();
            if (linea == "FIN") conLista = true;
            else if (linea.size() > 2 && linea[0] == 'R') viejos.push_back(linea.substr(2));
            else if (linea.size() > 2 && linea[0] == 'N') nuevos.push_back(linea.substr(2));
        }
    }
    if (conLista) {
        // The new files go in only once every old one is out: when some old
        // file is still in place, no new file has arrived yet.
        bool todosFuera = true;
        for (const auto& v : viejos) {
            std::error_code ec;
            if (!fs::exists(RutaUtf8(respaldo, v), ec)) todosFuera = false;
        }
        if (todosFuera)
            for (const auto& n : nuevos) {
                std::error_code ec;
                fs::remove(RutaUtf8(carpeta, n), ec);
                if (ec) throw core::ErrorEjecucion("No se puede restaurar la carpeta de trabajo " +
                                                   TextoRuta(carpeta) + " desde " + TextoRuta(respaldo) +
                                                   ": " + RazonSistema(ec) + ".");
            }
    }
    for (const auto& v : ArchivosDe(respaldo)) {
        if (v == kLista || v == std::string(kLista) + ".tmp") continue;
        std::error_code ec;
        fs::rename(RutaUtf8(respaldo, v), RutaUtf8(carpeta, v), ec);
        if (ec) throw core::ErrorEjecucion("No se puede restaurar la carpeta de trabajo " + TextoRuta(carpeta) +
                                           " desde " + TextoRuta(respaldo) + ": " + RazonSistema(ec) + ".");
    }
    std::error_code ec;
    fs::remove_all(respaldo, ec);
}

void RecuperarEn(const fs::path& carpeta, bool dentro) {
    const fs::path padre = dentro ? carpeta : carpeta.parent_path();
    const std::string prefijo = dentro ? "." : "." + NombreUtf8(carpeta) + ".";
    std::error_code ec;
    if (!fs::is_directory(padre, ec)) return;
    std::vector<std::pair<fs::path, std::string>> encontrados;
    for (const auto& e : fs::directory_iterator(padre, ec)) {
        const std::string nombre = NombreUtf8(e.path());
        if (nombre.rfind(prefijo, 0) != 0) continue;
        encontrados.emplace_back(e.path(), nombre.substr(prefijo.size()));
    }
    for (const auto& [ruta, resto] : encontrados) {
        for (const char* marca : {kMarcaNuevo, kMarcaRespaldo, kMarcaTerminado}) {
            const std::string m = marca;
            if (resto.rfind(m, 0) != 0) continue;
            const std::string num = resto.substr(m.size());
            if (num.empty() || num.size() > 9 || num.find_first_not_of("0123456789") != std::string::npos) continue;
            if (ProcesoVivo(std::stol(num))) continue;
            if (m == kMarcaRespaldo) {
                Restaurar(carpeta, ruta);
            } else {
                std::error_code ec2;
                fs::remove_all(ruta, ec2);
            }
        }
    }
}

}  // namespace

std::string TextoRuta(const fs::path& ruta) {
    const auto u8 = ruta.u8string();
    return exchange::Utf8AAnsi(std::string_view(reinterpret_cast<const char*>(u8.data()), u8.size()));
}

std::string RazonSistema(const std::error_code& ec) {
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted)
        return "permiso denegado (carpeta de solo lectura o archivo en uso)";
    if (ec == std::errc::read_only_file_system) return "el sistema de archivos es de solo lectura";
    if (ec == std::errc::no_space_on_device) return "no queda espacio en el disco";
    if (ec == std::errc::device_or_resource_busy || ec == std::errc::text_file_busy)
        return "el archivo est\xE1 en uso";
    if (ec == std::errc::no_such_file_or_directory) return "no existe";
    if (ec == std::errc::file_exists || ec == std::errc::directory_not_empty) return "ya existe";
    if (ec == std::errc::cross_device_link) return "las carpetas est\xE1n en discos distintos";
    if (ec == std::errc::too_many_files_open) return "demasiados archivos abiertos";
    return "error del sistema " + std::to_string(ec.value());
}

bool ArchivoReemplazado(std::string_view nombre) {
    static const std::set<std::string> nombres = [] {
        std::set<std::string> s{"JORNADAS.DBF"};
        for (const auto* e : tablas::esquemas::Trabajo()) {
            s.insert(e->nombre + ".DBF");
            s.insert(e->nombre + ".MDX");
        }
        return s;
    }();
    return nombres.count(exchange::MayusculasAZ(nombre)) != 0;
}

void RecuperarInterrumpidos(const fs::path& carpetaTrabajo) {
    const fs::path carpeta = Normalizada(carpetaTrabajo);
    RecuperarEn(carpeta, false);
    RecuperarEn(carpeta, true);
}

Traslado::Traslado(const fs::path& carpetaTrabajo, FuncionRenombrar renombrar)
    : carpeta_(Normalizada(carpetaTrabajo)),
      renombrar_(renombrar ? std::move(renombrar) : FuncionRenombrar(&RenombrarSistema)) {
    const long pid = PidActual();
    std::error_code ec;
    for (bool dentro : {false, true}) {
        provisional_ = Carpeta(carpeta_, dentro, kMarcaNuevo, pid);
        respaldo_ = Carpeta(carpeta_, dentro, kMarcaRespaldo, pid);
        terminado_ = Carpeta(carpeta_, dentro, kMarcaTerminado, pid);
        fs::remove_all(provisional_, ec);
        ec.clear();
        if (fs::create_directory(provisional_, ec) && !ec) {
            if (dentro || MismoSistemaArchivos(provisional_, carpeta_)) return;
            fs::remove_all(provisional_, ec);
        }
    }
    throw core::ErrorEjecucion("No se puede escribir en la carpeta de trabajo " + TextoRuta(carpeta_) + ": " +
                               RazonSistema(ec ? ec : std::make_error_code(std::errc::permission_denied)) +
                               ". No se ha cambiado nada.");
}

Traslado::~Traslado() {
    if (confirmado_) return;
    std::error_code ec;
    fs::remove_all(provisional_, ec);
}

void Traslado::Confirmar() {
    const std::vector<std::string> nuevos = ArchivosDe(provisional_);
    std::vector<std::string> viejos;
    for (const auto& n : ArchivosDe(carpeta_))
        if (ArchivoReemplazado(n)) viejos.push_back(n);

    std::error_code ec;
    fs::remove_all(respaldo_, ec);
    fs::create_directory(respaldo_, ec);
    if (ec) throw ErrorEscritura(carpeta_, ec, "No se ha cambiado nada.");
    {
        std::ofstream lista(respaldo_ / (std::string(kLista) + ".tmp"), std::ios::binary);
        for (const auto& v : viejos) lista << "R " << v << '\n';
        for (const auto& n : nuevos) lista << "N " << n << '\n';
        lista << "FIN\n";
        lista.close();
        if (!lista) {
            fs::remove_all(respaldo_, ec);
            throw ErrorEscritura(carpeta_, std::make_error_code(std::errc::no_space_on_device),
                                 "No se ha cambiado nada.");
        }
    }
    fs::rename(respaldo_ / (std::string(kLista) + ".tmp"), respaldo_ / kLista, ec);
    if (ec) {
        std::error_code ec2;
        fs::remove_all(respaldo_, ec2);
        throw ErrorEscritura(carpeta_, ec, "No se ha cambiado nada.");
    }

    std::vector<std::string> fuera, dentro;
    try {
        for (const auto& v : viejos) {
            renombrar_(RutaUtf8(carpeta_, v), RutaUtf8(respaldo_, v));
            fuera.push_back(v);
        }
        for (const auto& n : nuevos) {
            renombrar_(RutaUtf8(provisional_, n), RutaUtf8(carpeta_, n));
            dentro.push_back(n);
        }
    } catch (const fs::filesystem_error& e) {
        bool restaurado = true;
        for (auto it = dentro.rbegin(); it != dentro.rend(); ++it) {
            try {
                renombrar_(RutaUtf8(carpeta_, *it), RutaUtf8(provisional_, *it));
            } catch (const fs::filesystem_error&) {
                restaurado = false;
            }
        }
        for (auto it = fuera.rbegin(); it != fuera.rend(); ++it) {
            if (!restaurado) break;  // the next run restores from the backup as a whole
            try {
                renombrar_(RutaUtf8(respaldo_, *it), RutaUtf8(carpeta_, *it));
            } catch (const fs::filesystem_error&) {
                restaurado = false;
            }
        }
        if (restaurado) {
            std::error_code ec2;
            fs::remove_all(respaldo_, ec2);
            throw ErrorEscritura(carpeta_, e.code(), "La carpeta queda como estaba.");
        }
        throw ErrorEscritura(carpeta_, e.code(),
                             "Los archivos anteriores se guardan en " + TextoRuta(respaldo_) +
                                 " y se restaurar\xE1n al comenzar la pr\xF3xima conversi\xF3n.");
    }
    confirmado_ = true;
    // Complete: mark it so that a kill from here on keeps the new tables.
    fs::rename(respaldo_, terminado_, ec);
    if (ec) std::ofstream(respaldo_ / kHecho).put('1');
    std::error_code ec2;
    fs::remove_all(ec ? respaldo_ : terminado_, ec2);
    fs::remove_all(provisional_, ec2);
}

}  // namespace to_tables
