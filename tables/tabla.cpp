// The dBase table engine.
//
// Rows are reached through a read window (up to 1 MiB of consecutive rows read
// with one call; a short window for random access) and appended rows collect in
// a 1 MiB buffer that is written to the end of the file when full and at close.
// The header's row count and date are brought up to date at close.
//
// Lookups (Localizar, Filtrar) use an index built once per table state: a hash
// of the key to the first row in stored order, and for filters a chain of the
// rows holding each value. Appended rows extend the indices; an edit that
// changes a key field drops the indices on that field.
//
// Reading rules: text as read has its trailing blanks removed; numeric fields
// (N, F) read as their text without blanks on either side; a blank numeric or
// text value reads as 0 through LeerEntero and LeerReal. Keys of numeric
// fields compare by value when whole ("12" finds "      12" and "12.00").
#include "tables/tabla.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>

#ifdef _WIN32
#include <io.h>
#define NOMINMAX
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

#include "tables/formato.h"

namespace tablas {

namespace {

constexpr std::size_t kVentana = 1u << 20;       // sequential reads and appends
constexpr std::size_t kVentanaAzar = 4u << 10;   // random access
constexpr unsigned char kFinArchivo = 0x1A;

std::uint16_t Lee16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Lee32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void Pon32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

bool BuscarEnCadena(std::FILE* f, std::uint64_t pos) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<__int64>(pos), SEEK_SET) == 0;
#else
    return fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0;
#endif
}

char Mayus(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view QuitarDer(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}
std::string_view QuitarAmbos(std::string_view s) {
    s = QuitarDer(s);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return s;
}

bool EsNumerico(char t) { return t == 'N' || t == 'F'; }

void PonerTextoCampo(char* destino, int ancho, std::string_view valor) {
    std::size_t n = std::min<std::size_t>(valor.size(), static_cast<std::size_t>(ancho));
    std::memcpy(destino, valor.data(), n);
    std::memset(destino + n, ' ', ancho - n);
}

// Hash of a key (FNV-1a, 64 bits).
std::uint64_t Hash(std::string_view s) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h ^ (h >> 29);
}

// Keys -> first row and the chain of rows with that key, in stored order.
// Keys live in one arena; the slot table holds entry numbers (open addressing).
class IndiceClaves {
public:
    static constexpr std::uint32_t kNada = 0xFFFFFFFFu;
    struct Entrada {
        std::uint64_t hash;
        std::uint32_t desde, largo;
        std::uint32_t primera, ultima;
    };

    // Returns the entry of `clave`, or nullptr.
    const Entrada* Buscar(std::string_view clave) const {
        if (huecos_.empty()) return nullptr;
        const std::uint64_t h = Hash(clave);
        std::size_t m = huecos_.size() - 1;
        for (std::size_t i = h & m;; i = (i + 1) & m) {
            std::uint32_t e = huecos_[i];
            if (e == 0) return nullptr;
            const Entrada& en = entradas_[e - 1];
            if (en.hash == h && Igual(en, clave)) return &en;
        }
    }
    // Adds `fila` (later than every row already added) under `clave`.
    void Agregar(std::string_view clave, std::uint32_t fila, std::vector<std::uint32_t>* cadena) {
        if ((entradas_.size() + 1) * 2 > huecos_.size()) Crecer();
        const std::uint64_t h = Hash(clave);
        std::size_t m = huecos_.size() - 1;
        std::size_t i = h & m;
        for (;; i = (i + 1) & m) {
            std::uint32_t e = huecos_[i];
            if (e == 0) break;
            Entrada& en = entradas_[e - 1];
            if (en.hash == h && Igual(en, clave)) {
                if (cadena) {
                    (*cadena)[en.ultima] = fila;
                    en.ultima = fila;
                }
                return;
            }
        }
        entradas_.push_back({h, static_cast<std::uint32_t>(arena_.size()),
                             static_cast<std::uint32_t>(clave.size()), fila, fila});
        arena_.append(clave);
        huecos_[i] = static_cast<std::uint32_t>(entradas_.size());
    }

private:
    bool Igual(const Entrada& en, std::string_view clave) const {
        return en.largo == clave.size() && std::memcmp(arena_.data() + en.desde, clave.data(), clave.size()) == 0;
    }
    void Crecer() {
        std::size_t n = huecos_.empty() ? 64 : huecos_.size() * 2;
        huecos_.assign(n, 0);
        for (std::size_t k = 0; k < entradas_.size(); ++k) {
            std::size_t i = entradas_[k].hash & (n - 1);
            while (huecos_[i] != 0) i = (i + 1) & (n - 1);
            huecos_[i] = static_cast<std::uint32_t>(k + 1);
        }
    }
    std::vector<std::uint32_t> huecos_;
    std::vector<Entrada> entradas_;
    std::string arena_;
};

struct Localizador {
    std::string campos;          // as given, e.g. "DIHO;MARCOXML"
    std::vector<int> indices;    // field positions
    IndiceClaves claves;
};

}  // namespace

struct Tabla::Impl {
    std::filesystem::path archivo;
    std::string nombreAnsi;
    std::FILE* f = nullptr;
    bool soloLectura = false;
    const core::Reloj* reloj = nullptr;

    std::vector<Campo> campos;
    std::vector<int> desde;  // offset of each field in the record
    std::vector<int> anchos;
    std::vector<char> tipos;
    std::unordered_map<std::string, int> porNombre;  // upper-case name -> position
    std::uint32_t largoCabecera = 0;
    std::uint32_t largoRegistro = 0;
    bool tieneIndiceProduccion = false;

    std::uint32_t filasArchivo = 0;   // rows written in the file
    std::uint32_t totalFilas = 0;     // rows in the file and in the append buffer
    std::string agregadas;            // appended rows not yet written
    std::string ventana;              // rows [vDesde, vHasta) of the file
    std::uint32_t vDesde = 0, vHasta = 0;
    bool modificada = false;

    // Position.
    std::uint32_t fila = 0;
    bool fin = true;
    enum class Modo { Navegar, Agregando, Editando } modo = Modo::Navegar;
    std::string edicion;  // copy of the row being edited
    const char* actual = nullptr;  // the current row's bytes while browsing, once looked up
    char* cambio = nullptr;  // the row being appended (in place, at the end of `agregadas`) or edited

    std::optional<std::uint32_t> vivas;  // live rows, counted on demand

    std::vector<std::unique_ptr<Localizador>> localizadores;
    // Filter: field, value, chains.
    struct Filtro {
        int campo = -1;
        IndiceClaves claves;
        std::vector<std::uint32_t> siguiente;  // next row with the same value
        bool construido = false;
    };
    std::vector<std::unique_ptr<Filtro>> filtros;  // per field, built on demand
    int campoFiltro = -1;
    std::string valorFiltro;
    std::string clave;  // scratch

    ~Impl() {
        if (f) std::fclose(f);
    }

    [[noreturn]] void Error(const std::string& motivo) const {
        throw ErrorTabla("Tabla " + nombreAnsi + ": " + motivo);
    }
    [[noreturn]] void Danada(const std::string& motivo) const {
        throw ErrorTabla("La tabla " + nombreAnsi + " est\xE1 da\xF1" "ada: " + motivo + ".");
    }

    int PosCampo(std::string_view nombre) const {
        std::string k(nombre);
        for (char& c : k) c = Mayus(c);
        auto it = porNombre.find(k);
        if (it == porNombre.end()) {
            throw ErrorTabla("El campo " + std::string(nombre) + " no existe en la tabla " + nombreAnsi + ".");
        }
        return it->second;
    }
    void ComprobarCampo(int i) const {
        if (i < 0 || i >= static_cast<int>(campos.size())) {
            throw ErrorTabla("La tabla " + nombreAnsi + " no tiene el campo n\xFAmero " + std::to_string(i) + ".");
        }
    }

    // The bytes of physical row i (flag byte first).
    const char* Fila(std::uint32_t i) {
        if (i >= filasArchivo) return agregadas.data() + std::size_t(i - filasArchivo) * largoRegistro;
        if (i >= vDesde && i < vHasta) return ventana.data() + std::size_t(i - vDesde) * largoRegistro;
        std::uint32_t desdeFila = i;
        std::size_t filas;
        const std::size_t porVentana = std::max<std::size_t>(1, kVentana / largoRegistro);
        if (i == vHasta && vHasta != 0) {
            filas = porVentana;
        } else if (std::size_t(filasArchivo) <= porVentana) {
            desdeFila = 0;
            filas = filasArchivo;
        } else {
            filas = std::max<std::size_t>(1, kVentanaAzar / largoRegistro);
        }
        filas = std::min<std::size_t>(filas, filasArchivo - desdeFila);
        actual = nullptr;
        ventana.resize(filas * largoRegistro);
        if (!BuscarEnCadena(f, largoCabecera + std::uint64_t(desdeFila) * largoRegistro) ||
            std::fread(ventana.data(), 1, ventana.size(), f) != ventana.size()) {
            vDesde = vHasta = 0;
            Danada("no se pueden leer sus filas");
        }
        actual = nullptr;
        vDesde = desdeFila;
        vHasta = static_cast<std::uint32_t>(desdeFila + filas);
        return ventana.data() + std::size_t(i - vDesde) * largoRegistro;
    }

    bool Viva(std::uint32_t i) { return Fila(i)[0] != '*'; }

    // The current row's bytes: the edit buffer while appending or editing.
    const char* Actual() {
        if (modo != Modo::Navegar) return cambio;
        if (actual) return actual;
        if (fin || fila >= totalFilas) Error("no hay fila actual");
        actual = Fila(fila);
        return actual;
    }

    std::string_view Valor(const char* reg, int c) const {
        const Campo& cp = campos[c];
        return std::string_view(reg + desde[c], cp.ancho);
    }

    // The value as read, as text.
    std::string Texto(const char* reg, int c) const {
        const char tipo = tipos[c];
        if (tipo == 'C') {
            const char* p = reg + desde[c];
            std::size_t n = static_cast<std::size_t>(anchos[c]);
            while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0')) --n;
            return std::string(p, n);
        }
        std::string_view v = Valor(reg, c);
        switch (tipo) {
            case 'N': case 'F':
                return std::string(QuitarAmbos(v));
            case 'I': {
                if (v.size() != 4) return std::string(QuitarDer(v));
                std::int32_t n = static_cast<std::int32_t>(Lee32(reinterpret_cast<const unsigned char*>(v.data())));
                return std::to_string(n);
            }
            case 'M':
                return std::string(QuitarAmbos(v));
            default:
                return std::string(QuitarDer(v));
        }
    }

    // The lookup key of field c in a record: the value as read; whole numbers
    // of numeric fields in canonical form.
    void ClaveCampo(std::string& out, const char* reg, int c) const {
        std::string_view v = Valor(reg, c);
        char t = campos[c].tipo;
        if (EsNumerico(t)) {
            AgregarClaveNumerica(out, QuitarAmbos(v));
        } else if (t == 'I') {
            out += Texto(reg, c);
        } else if (t == 'M') {
            out += QuitarAmbos(v);
        } else {
            out += QuitarDer(v);
        }
    }
    static void AgregarClaveNumerica(std::string& out, std::string_view v) {
        double d = 0;
        auto r = std::from_chars(v.data(), v.data() + v.size(), d);
        if (!v.empty() && r.ec == std::errc() && r.ptr == v.data() + v.size() && std::isfinite(d) &&
            d == std::floor(d) && std::fabs(d) < 1e15) {
            out += std::to_string(static_cast<long long>(d));
        } else {
            out += v;
        }
    }
    void ClaveConsulta(std::string& out, int c, std::string_view v) const {
        char t = campos[c].tipo;
        if (EsNumerico(t) || t == 'I') {
            AgregarClaveNumerica(out, QuitarAmbos(v));
        } else if (t == 'M') {
            out += QuitarAmbos(v);
        } else {
            out += QuitarDer(v);
        }
    }

    void ClaveFila(std::string& out, const char* reg, const std::vector<int>& indices) const {
        out.clear();
        for (std::size_t k = 0; k < indices.size(); ++k) {
            std::size_t antes = out.size();
            ClaveCampo(out, reg, indices[k]);
            if (indices.size() > 1) {
                // length-prefixed parts so that "A","BC" and "AB","C" differ
                std::string largo = std::to_string(out.size() - antes) + ":";
                out.insert(antes, largo);
            }
        }
    }

    void ConstruirLocalizador(Localizador& l) {
        for (std::uint32_t i = 0; i < totalFilas; ++i) {
            const char* r = Fila(i);
            if (r[0] == '*') continue;
            ClaveFila(clave, r, l.indices);
            l.claves.Agregar(clave, i, nullptr);
        }
    }

    Filtro& FiltroDe(int c) {
        if (filtros.size() < campos.size()) filtros.resize(campos.size());
        auto& p = filtros[c];
        if (!p) p = std::make_unique<Filtro>();
        if (!p->construido) {
            p->campo = c;
            p->claves = IndiceClaves();
            p->siguiente.assign(totalFilas, IndiceClaves::kNada);
            std::vector<int> ind{c};
            for (std::uint32_t i = 0; i < totalFilas; ++i) {
                const char* r = Fila(i);
                if (r[0] == '*') continue;
                ClaveFila(clave, r, ind);
                p->claves.Agregar(clave, i, &p->siguiente);
            }
            p->construido = true;
        }
        return *p;
    }

    // Keeps indices up to date for a new row i.
    void IndexarNueva(std::uint32_t i, const char* reg) {
        for (auto& l : localizadores) {
            ClaveFila(clave, reg, l->indices);
            l->claves.Agregar(clave, i, nullptr);
        }
        for (auto& p : filtros) {
            if (!p || !p->construido) continue;
            p->siguiente.push_back(IndiceClaves::kNada);
            std::vector<int> ind{p->campo};
            ClaveFila(clave, reg, ind);
            p->claves.Agregar(clave, i, &p->siguiente);
        }
    }

    // Drops indices whose fields differ between two versions of a row.
    void InvalidarCambios(const char* antes, const char* despues) {
        auto cambio = [&](int c) { return Valor(antes, c) != Valor(despues, c); };
        localizadores.erase(std::remove_if(localizadores.begin(), localizadores.end(),
                                           [&](const std::unique_ptr<Localizador>& l) {
                                               for (int c : l->indices) if (cambio(c)) return true;
                                               return false;
                                           }),
                            localizadores.end());
        for (auto& p : filtros) {
            if (p && p->construido && cambio(p->campo)) p->construido = false;
        }
    }

    void ComprobarEscritura() const {
        if (soloLectura) {
            throw ErrorTabla("No se puede modificar la tabla " + nombreAnsi +
                             ": el archivo es de solo lectura.");
        }
        if (tieneIndiceProduccion) {
            throw ErrorTabla("No se puede modificar la tabla " + nombreAnsi +
                             ": tiene un \xEDndice de producci\xF3n (.MDX) que este programa no mantiene.");
        }
    }

    void VaciarAgregadas() {
        if (agregadas.empty()) return;
        if (!BuscarEnCadena(f, largoCabecera + std::uint64_t(filasArchivo) * largoRegistro) ||
            std::fwrite(agregadas.data(), 1, agregadas.size(), f) != agregadas.size()) {
            Error("no se pueden escribir las filas nuevas (\xBF" "disco lleno o sin permiso?)");
        }
        filasArchivo += static_cast<std::uint32_t>(agregadas.size() / largoRegistro);
        agregadas.clear();
        actual = nullptr;
    }

    void Grabar() {
        if (modo == Modo::Navegar) return;
        char* const fila0 = cambio;
        cambio = nullptr;
        if (modo == Modo::Agregando) {
            std::uint32_t i = totalFilas;  // already in place at the end of `agregadas`
            ++totalFilas;
            if (vivas) ++*vivas;
            modo = Modo::Navegar;
            IrA(i);
            IndexarNueva(i, Fila(i));
        } else {
            const char* viejo = Fila(fila);
            InvalidarCambios(viejo, fila0);
            if (fila >= filasArchivo) {
                std::memcpy(agregadas.data() + std::size_t(fila - filasArchivo) * largoRegistro, edicion.data(),
                            largoRegistro);
            } else {
                if (!BuscarEnCadena(f, largoCabecera + std::uint64_t(fila) * largoRegistro) ||
                    std::fwrite(edicion.data(), 1, largoRegistro, f) != largoRegistro) {
                    Error("no se puede escribir la fila (\xBF" "disco lleno o sin permiso?)");
                }
                if (fila >= vDesde && fila < vHasta) {
                    std::memcpy(ventana.data() + std::size_t(fila - vDesde) * largoRegistro, edicion.data(),
                                largoRegistro);
                }
            }
            modo = Modo::Navegar;
        }
        modificada = true;
    }

    // Walking.
    std::uint32_t SiguienteViva(std::uint32_t i) {
        while (i < totalFilas && !Viva(i)) ++i;
        return i;
    }
    void IrA(std::uint32_t i) {
        actual = nullptr;
        fila = i;
        fin = i >= totalFilas;
    }
    void PrimeroFiltrado() {
        if (campoFiltro < 0) {
            IrA(SiguienteViva(0));
            return;
        }
        Filtro& p = FiltroDe(campoFiltro);
        std::string consulta;
        ClaveConsulta(consulta, campoFiltro, valorFiltro);
        const IndiceClaves::Entrada* e = p.claves.Buscar(consulta);
        IrA(e ? e->primera : totalFilas);
    }
    void SiguienteFiltrado() {
        if (fin) return;
        if (campoFiltro < 0) {
            std::uint32_t i = fila + 1;
            const char* r = nullptr;
            for (; i < totalFilas; ++i) {
                r = Fila(i);
                if (r[0] != '*') break;
            }
            IrA(i);
            if (i < totalFilas) actual = r;
            return;
        }
        Filtro& p = FiltroDe(campoFiltro);
        // The current row may no longer pass after an edit: walk from it.
        std::string consulta;
        ClaveConsulta(consulta, campoFiltro, valorFiltro);
        std::vector<int> ind{campoFiltro};
        ClaveFila(clave, Fila(fila), ind);
        if (Viva(fila) && clave == consulta) {
            std::uint32_t s = p.siguiente[fila];
            IrA(s == IndiceClaves::kNada ? totalFilas : s);
            return;
        }
        const IndiceClaves::Entrada* e = p.claves.Buscar(consulta);
        std::uint32_t s = e ? e->primera : IndiceClaves::kNada;
        while (s != IndiceClaves::kNada && s <= fila) s = p.siguiente[s];
        IrA(s == IndiceClaves::kNada ? totalFilas : s);
    }

    void EscribirCabecera(bool final) {
        unsigned char cab[12];
        if (!BuscarEnCadena(f, 0) || std::fread(cab, 1, 12, f) != 12) Error("no se puede leer la cabecera");
        core::FechaHora ahora = (reloj ? reloj : &relojSistema)->Ahora();
        cab[1] = static_cast<unsigned char>(std::clamp(ahora.anio - 1900, 0, 255));
        cab[2] = static_cast<unsigned char>(ahora.mes);
        cab[3] = static_cast<unsigned char>(ahora.dia);
        Pon32(cab + 4, totalFilas);
        const unsigned char fin1a = kFinArchivo;
        if (!BuscarEnCadena(f, 0) || std::fwrite(cab, 1, 8, f) != 8 ||
            !BuscarEnCadena(f, largoCabecera + std::uint64_t(totalFilas) * largoRegistro) ||
            std::fwrite(&fin1a, 1, 1, f) != 1 || std::fflush(f) != 0) {
            Error("no se puede actualizar la cabecera (\xBF" "disco lleno o sin permiso?)");
        }
        (void)final;
    }

    static inline core::RelojSistema relojSistema;
};

// ---------------------------------------------------------------------------

Tabla::Tabla() = default;
Tabla::Tabla(Tabla&&) noexcept = default;
Tabla& Tabla::operator=(Tabla&& o) noexcept {
    if (this != &o) {
        try {
            Cerrar();
        } catch (...) {
        }
        impl_ = std::move(o.impl_);
    }
    return *this;
}
Tabla::~Tabla() {
    try {
        Cerrar();
    } catch (...) {
    }
}

namespace {

void BloquearArchivo(std::FILE* f, Acceso acceso, const std::string& nombreAnsi) {
#ifdef _WIN32
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
    OVERLAPPED ov{};
    ov.Offset = 0xFFFFFFF0u;
    ov.OffsetHigh = 0x7FFFFFFFu;
    DWORD banderas = LOCKFILE_FAIL_IMMEDIATELY | (acceso == Acceso::Exclusivo ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    bool ok = LockFileEx(h, banderas, 0, 1, 0, &ov) != 0;
#else
    bool ok = flock(fileno(f), (acceso == Acceso::Exclusivo ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
#endif
    if (!ok) {
        throw ErrorTabla("La tabla " + nombreAnsi + " est\xE1 en uso por otro programa; ci\xE9rrela y repita.");
    }
}

}  // namespace

Tabla Tabla::Abrir(const std::filesystem::path& archivo, Acceso acceso, const core::Reloj* reloj) {
    Tabla t;
    t.impl_ = std::make_unique<Impl>();
    Impl& m = *t.impl_;
    m.archivo = archivo;
    m.nombreAnsi = formato::RutaAnsi(archivo);
    m.reloj = reloj;
    std::error_code ec;
    if (!std::filesystem::exists(archivo, ec)) throw ErrorTabla("No existe la tabla " + m.nombreAnsi + ".");
    if (!std::filesystem::is_regular_file(archivo, ec)) {
        throw ErrorTabla("La tabla " + m.nombreAnsi + " no es un archivo.");
    }
    std::uint64_t tam = std::filesystem::file_size(archivo, ec);
    if (ec) throw ErrorTabla("No se puede leer la tabla " + m.nombreAnsi + ".");
#ifdef _WIN32
    m.f = _wfopen(archivo.c_str(), L"r+b");
    if (!m.f) {
        m.f = _wfopen(archivo.c_str(), L"rb");
        m.soloLectura = true;
    }
#else
    m.f = std::fopen(archivo.c_str(), "r+b");
    if (!m.f) {
        m.f = std::fopen(archivo.c_str(), "rb");
        m.soloLectura = true;
    }
#endif
    if (!m.f) throw ErrorTabla("No se puede abrir la tabla " + m.nombreAnsi + " (\xBF" "sin permiso de lectura?).");
    std::setvbuf(m.f, nullptr, _IONBF, 0);
    BloquearArchivo(m.f, acceso, m.nombreAnsi);

    unsigned char c32[32];
    if (tam < 32 || std::fread(c32, 1, 32, m.f) != 32) m.Danada("el archivo es demasiado corto");
    const unsigned char version = c32[0];
    bool nivel7 = (version & 0x07) == 4 && version != 0x30 && version != 0x31 && version != 0x32;
    bool conocida = nivel7 || (version & 0x07) == 3 || version == 0x30 || version == 0x31 || version == 0x32;
    if (!conocida) m.Danada("no es una tabla dBase (versi\xF3n " + std::to_string(version) + ")");
    const std::uint32_t prefijo = nivel7 ? 68 : 32;
    const std::uint32_t largoDesc = nivel7 ? 48 : 32;
    m.largoCabecera = Lee16(c32 + 8);
    m.largoRegistro = Lee16(c32 + 10);
    std::uint32_t cuenta = Lee32(c32 + 4);
    m.tieneIndiceProduccion = c32[28] != 0 && (version & 0x07) != 0;  // FoxPro: byte 28 holds other flags
    if (m.largoCabecera < prefijo + 1 || m.largoCabecera > tam) m.Danada("la longitud de la cabecera es incoherente");
    if (m.largoRegistro < 1) m.Danada("la longitud de registro es nula");
    std::vector<unsigned char> cab(m.largoCabecera);
    if (!BuscarEnCadena(m.f, 0) || std::fread(cab.data(), 1, cab.size(), m.f) != cab.size()) {
        m.Danada("el archivo es demasiado corto");
    }
    std::uint32_t pos = prefijo;
    int desde = 1;
    bool terminada = false;
    while (pos < m.largoCabecera) {
        if (cab[pos] == 0x0D) {
            terminada = true;
            break;
        }
        if (pos + largoDesc > m.largoCabecera) break;
        const unsigned char* d = cab.data() + pos;
        Campo c;
        std::size_t largoNombre = nivel7 ? 32 : 11;
        std::size_t n = 0;
        while (n < largoNombre && d[n] != 0) ++n;
        c.nombre.assign(reinterpret_cast<const char*>(d), n);
        while (!c.nombre.empty() && c.nombre.back() == ' ') c.nombre.pop_back();
        c.tipo = static_cast<char>(d[nivel7 ? 32 : 11]);
        c.ancho = d[nivel7 ? 33 : 16];
        c.decimales = d[nivel7 ? 34 : 17];
        if (c.ancho == 0) m.Danada("el campo " + c.nombre + " tiene ancho nulo");
        m.desde.push_back(desde);
        m.anchos.push_back(c.ancho);
        m.tipos.push_back(c.tipo);
        desde += c.ancho;
        m.campos.push_back(std::move(c));
        pos += largoDesc;
    }
    if (!terminada) m.Danada("la cabecera no termina donde indica su longitud");
    if (static_cast<std::uint32_t>(desde) != m.largoRegistro) {
        m.Danada("la longitud de registro (" + std::to_string(m.largoRegistro) +
                 ") no coincide con la suma de sus campos (" + std::to_string(desde) + ")");
    }
    if (m.largoCabecera + std::uint64_t(cuenta) * m.largoRegistro > tam) {
        m.Danada("el archivo est\xE1 truncado: la cabecera anuncia " + std::to_string(cuenta) +
                 " filas y no caben en sus " + std::to_string(tam) + " bytes");
    }
    for (int i = 0; i < static_cast<int>(m.campos.size()); ++i) {
        std::string k = m.campos[i].nombre;
        for (char& ch : k) ch = Mayus(ch);
        m.porNombre.emplace(std::move(k), i);
    }
    m.filasArchivo = m.totalFilas = cuenta;
    m.IrA(m.SiguienteViva(0));
    return t;
}

void Tabla::Crear(const std::filesystem::path& carpeta, const Esquema& esquema, const core::Reloj& reloj) {
    formato::CrearTabla(carpeta, esquema, reloj);
}

void Tabla::Cerrar() {
    if (!impl_) return;
    Impl& m = *impl_;
    std::unique_ptr<Impl> cerrar = std::move(impl_);  // closed even when a write fails
    if (!m.f) return;
    if (m.modo != Impl::Modo::Navegar) m.Grabar();
    if (m.modificada) {
        m.VaciarAgregadas();
        m.EscribirCabecera(true);
        std::uint64_t fin = m.largoCabecera + std::uint64_t(m.totalFilas) * m.largoRegistro + 1;
        std::fclose(m.f);
        m.f = nullptr;
        std::error_code ec;
        if (std::filesystem::file_size(m.archivo, ec) > fin && !ec) std::filesystem::resize_file(m.archivo, fin, ec);
    } else {
        std::fclose(m.f);
        m.f = nullptr;
    }
}

bool Tabla::Abierta() const { return impl_ && impl_->f; }

namespace {
const std::filesystem::path kSinRuta;
const std::vector<Campo> kSinCampos;
}  // namespace

const std::filesystem::path& Tabla::Archivo() const { return impl_ ? impl_->archivo : kSinRuta; }
const std::vector<Campo>& Tabla::Campos() const { return impl_ ? impl_->campos : kSinCampos; }

int Tabla::IndiceCampo(std::string_view nombre) const {
    if (!impl_) return -1;
    std::string k(nombre);
    for (char& c : k) c = Mayus(c);
    auto it = impl_->porNombre.find(k);
    return it == impl_->porNombre.end() ? -1 : it->second;
}

#define TMV_ABIERTA()                                                      \
    if (!impl_) throw ErrorTabla("La tabla no est\xE1 abierta.");          \
    Impl& m = *impl_

void Tabla::Primero() {
    TMV_ABIERTA();
    m.Grabar();
    m.PrimeroFiltrado();
}

void Tabla::Siguiente() {
    TMV_ABIERTA();
    m.Grabar();
    m.SiguienteFiltrado();
}

bool Tabla::FinDeTabla() const { return !impl_ || (impl_->modo == Impl::Modo::Navegar && impl_->fin); }

std::size_t Tabla::ContarFilas() const {
    if (!impl_) return 0;
    Impl& m = *impl_;
    if (!m.vivas) {
        std::uint32_t n = 0;
        for (std::uint32_t i = 0; i < m.totalFilas; ++i) n += m.Viva(i) ? 1 : 0;
        m.vivas = n;
    }
    return *m.vivas + (m.modo == Impl::Modo::Agregando ? 1 : 0);
}

void Tabla::Agregar() {
    TMV_ABIERTA();
    m.ComprobarEscritura();
    m.Grabar();
    if (m.totalFilas == std::numeric_limits<std::uint32_t>::max()) m.Error("demasiadas filas");
    if (m.agregadas.size() + m.largoRegistro > kVentana) m.VaciarAgregadas();
    if (m.agregadas.capacity() < m.agregadas.size() + m.largoRegistro) {
        // Grow in large steps: fewer copies of the rows already appended.
        m.agregadas.reserve(std::max(m.agregadas.size() + m.largoRegistro,
                                     std::min(kVentana, std::max<std::size_t>(m.agregadas.capacity() * 4, 16u << 10))));
    }
    m.agregadas.append(m.largoRegistro, ' ');
    m.actual = nullptr;
    m.cambio = m.agregadas.data() + m.agregadas.size() - m.largoRegistro;
    m.modo = Impl::Modo::Agregando;
}

void Tabla::Editar() {
    TMV_ABIERTA();
    m.ComprobarEscritura();
    if (m.modo != Impl::Modo::Navegar) return;
    if (m.fin || m.fila >= m.totalFilas) m.Error("no hay fila actual que editar");
    const char* r = m.Fila(m.fila);
    m.edicion.assign(r, m.largoRegistro);
    m.cambio = m.edicion.data();
    m.modo = Impl::Modo::Editando;
}

void Tabla::Grabar() {
    TMV_ABIERTA();
    m.Grabar();
}

std::string Tabla::LeerTexto(std::string_view campo) const {
    TMV_ABIERTA();
    return LeerTexto(m.PosCampo(campo));
}
int Tabla::LeerEntero(std::string_view campo) const {
    TMV_ABIERTA();
    return LeerEntero(m.PosCampo(campo));
}
double Tabla::LeerReal(std::string_view campo) const {
    TMV_ABIERTA();
    return LeerReal(m.PosCampo(campo));
}
bool Tabla::LeerLogico(std::string_view campo) const {
    TMV_ABIERTA();
    return LeerLogico(m.PosCampo(campo));
}

std::string Tabla::LeerTexto(int campo) const {
    // Fast path: a character field of the row being browsed.
    if (impl_ && impl_->actual && impl_->modo == Impl::Modo::Navegar &&
        static_cast<unsigned>(campo) < impl_->tipos.size() && impl_->tipos[campo] == 'C') {
        const char* p = impl_->actual + impl_->desde[campo];
        std::size_t n = static_cast<std::size_t>(impl_->anchos[campo]);
        while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0')) --n;
        return std::string(p, n);
    }
    TMV_ABIERTA();
    if (static_cast<unsigned>(campo) >= m.campos.size()) m.ComprobarCampo(campo);
    return m.Texto(m.Actual(), campo);
}

int Tabla::LeerEntero(int campo) const {
    TMV_ABIERTA();
    if (static_cast<unsigned>(campo) >= m.campos.size()) m.ComprobarCampo(campo);
    const char* r = m.Actual();
    std::string t = m.Texto(r, campo);
    std::string_view v = QuitarAmbos(t);
    if (v.empty()) return 0;
    if (EsNumerico(m.campos[campo].tipo) && v.find('.') != std::string_view::npos) {
        double d = 0;
        auto res = std::from_chars(v.data(), v.data() + v.size(), d);
        if (res.ec != std::errc() || res.ptr != v.data() + v.size() || !std::isfinite(d) ||
            std::fabs(d) > 2147483647.0) {
            throw core::ErrorConversion(std::string(v));
        }
        return static_cast<int>(std::lround(d));
    }
    return core::ConvertirEntero(std::string(v));
}

double Tabla::LeerReal(int campo) const {
    TMV_ABIERTA();
    if (static_cast<unsigned>(campo) >= m.campos.size()) m.ComprobarCampo(campo);
    std::string t = m.Texto(m.Actual(), campo);
    std::string_view v = QuitarAmbos(t);
    if (v.empty()) return 0.0;
    std::string s(v);
    std::replace(s.begin(), s.end(), ',', '.');
    const char* p = s.data();
    if (*p == '+') ++p;
    double d = 0;
    auto res = std::from_chars(p, s.data() + s.size(), d);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size()) {
        throw ErrorTabla("'" + std::string(v) + "' no es un valor num\xE9rico v\xE1lido (campo " +
                         m.campos[campo].nombre + " de " + m.nombreAnsi + ").");
    }
    return d;
}

bool Tabla::LeerLogico(int campo) const {
    TMV_ABIERTA();
    if (static_cast<unsigned>(campo) >= m.campos.size()) m.ComprobarCampo(campo);
    std::string_view v = QuitarAmbos(m.Valor(m.Actual(), campo));
    if (v.empty()) return false;
    char c = v.front();
    return c == 'T' || c == 't' || c == 'Y' || c == 'y' || c == 'S' || c == 's';
}

// ---- writing ----


void Tabla::EscribirTexto(int campo, std::string_view valor) {
    // Fast path: a character field of the row being appended or edited.
    if (impl_ && impl_->cambio && static_cast<unsigned>(campo) < impl_->tipos.size() &&
        impl_->tipos[campo] == 'C') {
        PonerTextoCampo(impl_->cambio + impl_->desde[campo], impl_->anchos[campo], valor);
        return;
    }
    TMV_ABIERTA();
    if (static_cast<unsigned>(campo) >= m.campos.size()) m.ComprobarCampo(campo);
    if (m.modo == Impl::Modo::Navegar) m.Error("escritura sin Agregar ni Editar");
    const Campo& c = m.campos[campo];
    char* d = m.cambio + m.desde[campo];
    switch (c.tipo) {
        case 'N': case 'F': {
            std::string_view v = QuitarAmbos(valor);
            if (v.empty()) {
                std::memset(d, ' ', c.ancho);
                return;
            }
            std::string s(v);
            std::replace(s.begin(), s.end(), ',', '.');
            double x = 0;
            const char* p = s.data();
            if (*p == '+') ++p;
            auto res = std::from_chars(p, s.data() + s.size(), x);
            if (res.ec != std::errc() || res.ptr != s.data() + s.size()) {
                throw ErrorTabla("'" + std::string(v) + "' no es un valor num\xE9rico v\xE1lido para el campo " +
                                 c.nombre + " de " + m.nombreAnsi + ".");
            }
            EscribirReal(campo, x);
            return;
        }
        case 'L': {
            std::string_view v = QuitarAmbos(valor);
            char l = ' ';
            if (!v.empty()) {
                char ch = Mayus(v.front());
                l = (ch == 'T' || ch == 'Y' || ch == 'S') ? 'T' : 'F';
            }
            *d = l;
            return;
        }
        case 'I': {
            std::string_view v = QuitarAmbos(valor);
            EscribirEntero(campo, v.empty() ? 0 : core::ConvertirEntero(std::string(v)));
            return;
        }
        default:
            PonerTextoCampo(d, c.ancho, valor);
    }
}

// A number's text right-aligned in its field; one that does not fit is an
// error naming the value, the field and the table (never cut).
static void PonerNumeroAlineado(const std::string& tabla, const Campo& c, char* d, std::string_view texto) {
    if (static_cast<int>(texto.size()) > c.ancho) {
        throw ErrorTabla("El valor " + std::string(texto) + " no cabe en el campo " + c.nombre + " (ancho " +
                         std::to_string(c.ancho) + ") de la tabla " + tabla + ".");
    }
    std::memset(d, ' ', c.ancho - texto.size());
    std::memcpy(d + c.ancho - texto.size(), texto.data(), texto.size());
}

void Tabla::EscribirEntero(int campo, std::int64_t valor) {
    TMV_ABIERTA();
    if (static_cast<unsigned>(campo) >= m.campos.size()) m.ComprobarCampo(campo);
    if (m.modo == Impl::Modo::Navegar) m.Error("escritura sin Agregar ni Editar");
    const Campo& c = m.campos[campo];
    char* d = m.cambio + m.desde[campo];
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, valor);
    std::string_view texto(buf, r.ptr - buf);
    switch (c.tipo) {
        case 'N': case 'F':
            if (c.decimales > 0) {
                EscribirReal(campo, static_cast<double>(valor));
                return;
            }
            PonerNumeroAlineado(m.nombreAnsi, c, d, texto);
            return;
        case 'I': {
            if (valor < std::numeric_limits<std::int32_t>::min() || valor > std::numeric_limits<std::int32_t>::max()) {
                throw ErrorTabla("El valor " + std::string(texto) + " no cabe en el campo " + c.nombre +
                                 " de la tabla " + m.nombreAnsi + ".");
            }
            Pon32(reinterpret_cast<unsigned char*>(d), static_cast<std::uint32_t>(static_cast<std::int32_t>(valor)));
            return;
        }
        case 'L':
            *d = valor != 0 ? 'T' : 'F';
            return;
        default:
            PonerTextoCampo(d, c.ancho, texto);
    }
}

void Tabla::EscribirReal(int campo, double valor) {
    TMV_ABIERTA();
    if (static_cast<unsigned>(campo) >= m.campos.size()) m.ComprobarCampo(campo);
    if (m.modo == Impl::Modo::Navegar) m.Error("escritura sin Agregar ni Editar");
    const Campo& c = m.campos[campo];
    char* d = m.cambio + m.desde[campo];
    if (!std::isfinite(valor)) {
        throw ErrorTabla("Valor no finito para el campo " + c.nombre + " de la tabla " + m.nombreAnsi + ".");
    }
    char buf[400];
    std::to_chars_result r;
    if ((c.tipo == 'N' || c.tipo == 'F') && c.decimales >= 0 && c.decimales <= 30 && std::fabs(valor) < 1e15 &&
        valor == std::trunc(valor)) {
        // A whole number: its integer digits and the zero decimals are the
        // fixed form's, without the cost of the general conversion ("-0"
        // comes out as "0", as it is written below).
        r = std::to_chars(buf, buf + 40, static_cast<std::int64_t>(valor));
        if (c.decimales > 0) {
            *r.ptr++ = '.';
            std::memset(r.ptr, '0', static_cast<std::size_t>(c.decimales));
            r.ptr += c.decimales;
        }
    } else if (c.tipo == 'N' || c.tipo == 'F') {
        r = std::to_chars(buf, buf + sizeof buf, valor, std::chars_format::fixed, c.decimales);
    } else {
        r = std::to_chars(buf, buf + sizeof buf, valor);
    }
    if (r.ec != std::errc()) m.Error("valor num\xE9rico ilegible");
    std::string_view texto(buf, r.ptr - buf);
    if (texto == "-0" || (texto.size() > 2 && texto.substr(0, 2) == "-0" &&
                          texto.find_first_not_of("0.", 1) == std::string_view::npos)) {
        texto.remove_prefix(1);
    }
    switch (c.tipo) {
        case 'N': case 'F':
            PonerNumeroAlineado(m.nombreAnsi, c, d, texto);
            return;
        case 'I':
            EscribirEntero(campo, static_cast<std::int64_t>(std::llround(valor)));
            return;
        case 'L':
            *d = valor != 0 ? 'T' : 'F';
            return;
        default:
            PonerTextoCampo(d, c.ancho, texto);
    }
}

void Tabla::EscribirLogico(int campo, bool valor) {
    TMV_ABIERTA();
    if (static_cast<unsigned>(campo) >= m.campos.size()) m.ComprobarCampo(campo);
    if (m.modo == Impl::Modo::Navegar) m.Error("escritura sin Agregar ni Editar");
    const Campo& c = m.campos[campo];
    char* d = m.cambio + m.desde[campo];
    if (EsNumerico(c.tipo) || c.tipo == 'I') {
        EscribirEntero(campo, valor ? 1 : 0);
        return;
    }
    PonerTextoCampo(d, c.ancho, valor ? "T" : "F");
}

void Tabla::EscribirTexto(std::string_view campo, std::string_view valor) {
    TMV_ABIERTA();
    EscribirTexto(m.PosCampo(campo), valor);
}
void Tabla::EscribirEntero(std::string_view campo, std::int64_t valor) {
    TMV_ABIERTA();
    EscribirEntero(m.PosCampo(campo), valor);
}
void Tabla::EscribirReal(std::string_view campo, double valor) {
    TMV_ABIERTA();
    EscribirReal(m.PosCampo(campo), valor);
}
void Tabla::EscribirLogico(std::string_view campo, bool valor) {
    TMV_ABIERTA();
    EscribirLogico(m.PosCampo(campo), valor);
}

// ---- lookups ----

bool Tabla::Localizar(std::string_view campos, std::initializer_list<std::string_view> valores) {
    TMV_ABIERTA();
    m.Grabar();
    Localizador* l = nullptr;
    for (auto& x : m.localizadores) {
        if (x->campos == campos) {
            l = x.get();
            break;
        }
    }
    if (!l) {
        auto nuevo = std::make_unique<Localizador>();
        nuevo->campos = std::string(campos);
        std::string_view resto = campos;
        while (true) {
            std::size_t p = resto.find(';');
            std::string_view nombre = QuitarAmbos(resto.substr(0, p));
            nuevo->indices.push_back(m.PosCampo(nombre));
            if (p == std::string_view::npos) break;
            resto.remove_prefix(p + 1);
        }
        m.ConstruirLocalizador(*nuevo);
        m.localizadores.push_back(std::move(nuevo));
        l = m.localizadores.back().get();
    }
    if (valores.size() != l->indices.size()) {
        m.Error("Localizar con " + std::to_string(valores.size()) + " valores para los campos " + std::string(campos));
    }
    std::string consulta;
    std::size_t k = 0;
    for (std::string_view v : valores) {
        std::size_t antes = consulta.size();
        m.ClaveConsulta(consulta, l->indices[k], v);
        if (l->indices.size() > 1) consulta.insert(antes, std::to_string(consulta.size() - antes) + ":");
        ++k;
    }
    const IndiceClaves::Entrada* e = l->claves.Buscar(consulta);
    if (!e) return false;
    m.IrA(e->primera);
    return true;
}

void Tabla::Filtrar(std::string_view campo, std::string_view valor) {
    TMV_ABIERTA();
    m.Grabar();
    m.campoFiltro = m.PosCampo(campo);
    m.valorFiltro = std::string(valor);
    m.PrimeroFiltrado();
}

void Tabla::QuitarFiltro() {
    if (!impl_) return;
    impl_->campoFiltro = -1;
}

}  // namespace tablas
