// mirveldra to-tables: the document-to-tables run from the command line.
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/comandos.h"
#include "cli/interaccion_lote.h"
#include "core/errores.h"
#include "exchange/ansi.h"
#include "exchange/texto.h"
#include "tables/archivos.h"
#include "to_tables/conversion.h"
#include "to_tables/marcos.h"

#if defined(_WIN32)
#include <io.h>
#define TMV_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define TMV_ISATTY(f) isatty(fileno(f))
#endif

namespace fs = std::filesystem;

namespace cli {

namespace {

const char* kAyudaToTables =
    "Uso: mirveldra to-tables DOCUMENTO [--workdir CARPETA] [--reference ARCHIVO] [--frame C\u00d3DIGO]...\n"
    "\n"
    "Lee el documento XML de Veldra y crea en la carpeta de trabajo las diez tablas de\n"
    "Mirantel (ASIGNOMT, ASIGNOMT2, PROFT, AULAT, CURSOST, GRUPOST, ASIGT, DIASHORAST,\n"
    "DIASHORAST2 y PERIODOS) y borra JORNADAS.DBF. Todo o nada: si el proceso se detiene,\n"
    "la carpeta de trabajo queda exactamente como estaba.\n"
    "\n"
    "Opciones:\n"
    "  --workdir CARPETA    carpeta de trabajo (por omisi\u00f3n C:\\MTEMP, o su equivalente\n"
    "                       de Wine en otros sistemas)\n"
    "  --reference ARCHIVO  tabla de referencia de niveles (por omisi\u00f3n NIVELLARI.DBF\n"
    "                       junto al programa)\n"
    "  --frame C\u00d3DIGO      Marco Horario que se aplica cuando el documento tiene m\u00e1s de\n"
    "                       uno; se puede dar una o dos veces. Los marcos se toman en el\n"
    "                       orden del documento. Con un solo marco se ignora.\n"
    "  --help               muestra esta ayuda\n"
    "\n"
    "Si el documento tiene varios Marcos Horarios y no se da --frame, en un terminal se\n"
    "pregunta cu\u00e1les aplicar (con su nombre, fechas y horas); fuera de un terminal el\n"
    "proceso se detiene con un mensaje que lista los c\u00f3digos.\n"
    "\n"
    "Estado de salida: 0 correcto (\"Proceso finalizado\" en la salida est\u00e1ndar);\n"
    "1 el proceso se detuvo (documento inexistente o da\u00f1ado, falta la tabla de\n"
    "referencia, un valor no v\u00e1lido...; mensaje en la salida de error); 2 uso incorrecto\n"
    "(opci\u00f3n desconocida, falta el documento, m\u00e1s de dos --frame o un c\u00f3digo que no\n"
    "est\u00e1 en el documento).\n";

int ErrorUso(const std::string& textoAnsi) {
    EscribirLinea(stderr, "mirveldra to-tables: " + textoAnsi);
    EscribirLinea(stderr, "Use 'mirveldra to-tables --help' para ver la ayuda.");
    return 2;
}

fs::path RutaArgumento(const std::string& arg) {
    return fs::path(std::u8string(arg.begin(), arg.end()));
}

std::string ListaCodigos(const std::vector<std::string>& codigos) {
    std::string s;
    for (const auto& c : codigos) s += (s.empty() ? "'" : ", '") + c + "'";
    return s;
}

// The entry of the list that a code given on the command line names: the
// same text, or the same once trimmed; -1 when none.
int EntradaDe(const std::vector<std::string>& entradas, const std::vector<bool>& tomadas,
              const std::string& codigo) {
    for (int pasada = 0; pasada < 2; ++pasada)
        for (std::size_t i = 0; i < entradas.size(); ++i) {
            if (tomadas[i]) continue;
            const bool igual = pasada == 0 ? entradas[i] == codigo
                                           : exchange::QuitarEspacios(entradas[i]) == exchange::QuitarEspacios(codigo);
            if (igual) return static_cast<int>(i);
        }
    return -1;
}

class InteraccionToTables : public InteraccionLote {
public:
    InteraccionToTables(fs::path documento, std::vector<std::string> marcos, bool terminal)
        : InteraccionLote(std::move(documento)), marcos_(std::move(marcos)), terminal_(terminal) {}

    core::EleccionMarcos ElegirMarcos(const fs::path& documento) override {
        const to_tables::DatosMarcos datos = to_tables::LeerMarcos(documento);
        const std::vector<std::string> entradas = to_tables::CodigosParaLista(datos);
        if (entradas.empty()) return core::EleccionMarcos{false, {}, true};
        std::string mensaje;
        if (!marcos_.empty()) {
            // As if these entries were selected in the dialog.
            std::vector<bool> seleccion(entradas.size(), false);
            for (const auto& m : marcos_) {
                const int i = EntradaDe(entradas, seleccion, m);
                if (i >= 0) seleccion[static_cast<std::size_t>(i)] = true;
            }
            auto r = to_tables::CerrarSeleccion(entradas, seleccion, mensaje);
            if (!r.SeleccionValida) throw core::ErrorEjecucion(mensaje);
            return r;
        }
        if (!terminal_)
            throw core::ErrorEjecucion(
                "El documento tiene varios Marcos Horarios: indique uno o dos con --frame C\xD3"
                "DIGO. C\xF3" "digos: " + ListaCodigos(entradas) + ".");
        return Preguntar(datos, entradas);
    }

private:
    core::EleccionMarcos Preguntar(const to_tables::DatosMarcos& datos, const std::vector<std::string>& entradas) {
        for (;;) {
            EscribirLinea(stdout, "Marcos Horarios del documento:");
            for (std::size_t i = 0; i < entradas.size(); ++i) {
                const auto d = to_tables::Detalle(datos, entradas[i]);
                EscribirLinea(stdout, "  " + std::to_string(i + 1) + ") " + entradas[i] + ": " + d.nombre +
                                          " (" + d.fechaInicio + " - " + d.fechaFin + ")");
                std::string horas;
                for (const auto& e : d.etiquetas) horas += (horas.empty() ? "" : ", ") + e;
                EscribirLinea(stdout, "     Horas: " + (horas.empty() ? std::string("-") : horas));
            }
            std::fputs("Elija 1 o 2 marcos por su n\u00famero, separados por espacios: ", stdout);
            std::fflush(stdout);
            std::string linea;
            if (!std::getline(std::cin, linea))
                throw core::ErrorEjecucion("No se eligi\xF3 ning\xFAn Marco Horario: proceso cancelado.");
            std::vector<bool> seleccion(entradas.size(), false);
            std::istringstream in(linea);
            std::string palabra;
            bool bien = true;
            while (in >> palabra) {
                try {
                    const int n = core::ConvertirEntero(palabra);
                    if (n < 1 || static_cast<std::size_t>(n) > entradas.size()) throw core::ErrorConversion(palabra);
                    seleccion[static_cast<std::size_t>(n - 1)] = true;
                } catch (const core::ErrorConversion&) {
                    EscribirLinea(stdout, "'" + exchange::Utf8AAnsi(palabra) + "' no es un n\xFAmero de la lista.");
                    bien = false;
                }
            }
            if (!bien) continue;
            std::string mensaje;
            auto r = to_tables::CerrarSeleccion(entradas, seleccion, mensaje);
            if (!mensaje.empty()) EscribirLinea(stdout, mensaje);
            if (r.SeleccionValida) return r;
        }
    }

    std::vector<std::string> marcos_;
    bool terminal_;
};

}  // namespace

int ComandoToTables(const Argumentos& args) {
    std::string documento;
    bool hayDocumento = false;
    std::optional<fs::path> carpeta, referencia;
    std::vector<std::string> marcos;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kAyudaToTables, stdout);
            return 0;
        }
        std::string opcion = a, valor;
        bool conValor = false;
        if (a.rfind("--", 0) == 0) {
            if (auto igual = a.find('='); igual != std::string::npos) {
                opcion = a.substr(0, igual);
                valor = a.substr(igual + 1);
                conValor = true;
            }
            if (opcion != "--workdir" && opcion != "--reference" && opcion != "--frame")
                return ErrorUso("opci\xF3n desconocida '" + exchange::Utf8AAnsi(a) + "'");
            if (!conValor) {
                if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0)
                    return ErrorUso("falta el valor de " + opcion);
                valor = args[++i];
            }
            if (opcion == "--workdir") carpeta = RutaArgumento(valor);
            else if (opcion == "--reference") referencia = RutaArgumento(valor);
            else marcos.push_back(exchange::Utf8AAnsi(valor));
        } else if (a.size() > 1 && a[0] == '-') {
            return ErrorUso("opci\xF3n desconocida '" + exchange::Utf8AAnsi(a) + "'");
        } else {
            if (hayDocumento) return ErrorUso("sobra el argumento '" + exchange::Utf8AAnsi(a) + "'");
            documento = a;
            hayDocumento = true;
        }
    }
    if (!hayDocumento) return ErrorUso("falta el DOCUMENTO");
    if (marcos.size() > 2) return ErrorUso("como m\xE1ximo se pueden dar 2 --frame");

    const fs::path rutaDocumento = RutaArgumento(documento);
    if (!marcos.empty()) {
        const auto datos = to_tables::LeerMarcos(rutaDocumento);
        const auto entradas = to_tables::CodigosParaLista(datos);
        if (!entradas.empty()) {
            std::vector<bool> ninguna(entradas.size(), false);
            for (const auto& m : marcos)
                if (EntradaDe(entradas, ninguna, m) < 0)
                    return ErrorUso("el Marco Horario '" + m + "' no est\xE1 en el documento (c\xF3" "digos: " +
                                    ListaCodigos(entradas) + ")");
        }
    }

    to_tables::OpcionesConversion opciones;
    try {
        opciones.carpetaTrabajo = carpeta ? *carpeta : tablas::CarpetaTrabajoPredeterminada();
        if (referencia) {
            opciones.tablaReferencia = *referencia;
        } else {
            const fs::path programa = tablas::CarpetaPrograma();
            opciones.tablaReferencia =
                tablas::BuscarArchivo(programa, "NIVELLARI.DBF").value_or(programa / "NIVELLARI.DBF");
        }
    } catch (const std::exception& e) {
        EscribirLinea(stderr, e.what());
        return 1;
    }
    const bool terminal = TMV_ISATTY(stdin) && TMV_ISATTY(stdout);
    InteraccionToTables ui(rutaDocumento, marcos, terminal);
    core::EstadoVentana estado;
    const core::FinEjecucion fin = to_tables::BExportarClick(estado, ui, opciones);
    return ui.Terminar(fin == core::FinEjecucion::Finalizado);
}

}  // namespace cli
