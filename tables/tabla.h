#pragma once
// The dBase table engine: create, open, walk, read, write, locate, count and
// filter tables as the two conversions need them.
//
// Files written: dBase IV without memo (version 0x03, code page mark 0x03,
// Windows-1252) or, for schemas that need long field names, dBase level 7.
// Files read: dBase III/IV, level 7 and FoxPro-style headers, field types
// C N F L D I M (memo contents ignored); deleted rows are invisible.
// Text is Windows-1252 throughout.
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/errores.h"
#include "core/reloj.h"

namespace tablas {

// An error of the table engine; the message (Windows-1252 Spanish) names the file.
class ErrorTabla : public core::ErrorEjecucion {
public:
    using core::ErrorEjecucion::ErrorEjecucion;
};

enum class Nivel { DBase4, DBase7 };

struct Campo {
    std::string nombre;
    char tipo = 'C';       // C, N, F, L, D, I, M
    int ancho = 0;
    int decimales = 0;
};

// A production index tag on one field (kept in <NAME>.MDX).
struct Indice {
    std::string nombre;
    std::string campo;
};

struct Esquema {
    std::string nombre;              // table name, file name without .DBF
    std::vector<Campo> campos;
    std::vector<Indice> indices;     // empty: no .MDX
    Nivel nivel = Nivel::DBase4;
};

enum class Acceso { Compartido, Exclusivo };

class Tabla {
public:
    // Creates `carpeta`/<nombre>.DBF empty with exactly these fields (and its
    // .MDX when the schema has indices), replacing an existing table. The
    // header date comes from `reloj`.
    static void Crear(const std::filesystem::path& carpeta, const Esquema& esquema,
                      const core::Reloj& reloj);

    // Opens an existing table file. Throws ErrorTabla for a missing, locked or
    // damaged file. `reloj` dates the header when the table is changed (the
    // machine's clock when null). Access takes an advisory lock on the file
    // (flock / LockFileEx): an exclusive open fails while any other open of the
    // file holds it, a shared open fails while another holds it exclusively.
    // A read-only file opens for reading; changing it is an ErrorTabla, as is
    // changing a table whose header announces a production index (.MDX).
    static Tabla Abrir(const std::filesystem::path& archivo, Acceso acceso = Acceso::Compartido,
                       const core::Reloj* reloj = nullptr);

    Tabla();
    Tabla(Tabla&&) noexcept;
    Tabla& operator=(Tabla&&) noexcept;
    ~Tabla();  // closes without throwing; call Cerrar() to see write errors

    // Posts a pending row, writes what is buffered, updates the header's row
    // count and date (when the table was changed) and releases the file.
    void Cerrar();
    bool Abierta() const;
    const std::filesystem::path& Archivo() const;
    const std::vector<Campo>& Campos() const;
    // Position of a field by name (exact, case-insensitive A-Z), or -1.
    int IndiceCampo(std::string_view nombre) const;

    // Walking, in stored (appended) order; respects the filter.
    void Primero();
    void Siguiente();     // also posts a row being edited or appended
    bool FinDeTabla() const;
    std::size_t ContarFilas() const;   // live rows of the table (ignores the filter)

    // Changing rows.
    void Agregar();       // a new row at the end, every field empty, made current
    void Editar();        // makes the current row changeable
    void Grabar();        // writes the appended or edited row

    // Reading the current row. Unknown field: ErrorTabla.
    // Text: trailing blanks removed; a numeric field's text has no blanks on
    // either side. A blank value reads as 0 through LeerEntero and LeerReal;
    // a numeric value with decimals reads through LeerEntero rounded.
    std::string LeerTexto(std::string_view campo) const;
    int LeerEntero(std::string_view campo) const;           // ErrorConversion when not whole
    double LeerReal(std::string_view campo) const;
    bool LeerLogico(std::string_view campo) const;
    // The same by field position (for inner loops).
    std::string LeerTexto(int campo) const;
    int LeerEntero(int campo) const;
    double LeerReal(int campo) const;
    bool LeerLogico(int campo) const;

    // Writing the current row (after Agregar or Editar).
    void EscribirTexto(std::string_view campo, std::string_view valor);  // cut to the width
    void EscribirEntero(std::string_view campo, std::int64_t valor);     // into a C field: decimal text
    void EscribirReal(std::string_view campo, double valor);
    void EscribirLogico(std::string_view campo, bool valor);
    // The same by field position (for inner loops).
    void EscribirTexto(int campo, std::string_view valor);
    void EscribirEntero(int campo, std::int64_t valor);
    void EscribirReal(int campo, double valor);
    void EscribirLogico(int campo, bool valor);

    // The first row in stored order whose key fields ("A" or "A;B") equal the
    // values exactly (whole value, case-sensitive, trailing blanks ignored as
    // when read). Makes it current and returns true; false leaves the position
    // unspecified. Indexed: no scan per call. A numeric key field compares by
    // value when whole: "12" finds a stored "      12" (and "12.00").
    bool Localizar(std::string_view campos, std::initializer_list<std::string_view> valores);

    // While on, Primero/Siguiente visit only rows whose character field equals
    // `valor` (as read), in stored order. Setting it moves to the first such row.
    void Filtrar(std::string_view campo, std::string_view valor);
    void QuitarFiltro();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tablas
