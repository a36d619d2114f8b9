// mirveldra show TABLA.DBF: any dBase table as CSV (UTF-8) on standard output.
#include <cstdio>
#include <string>

#include "cli/comandos.h"
#include "exchange/ansi.h"
#include "tables/tabla.h"

namespace cli {

namespace {

const char* kAyudaShow =
    "Uso: mirveldra show TABLA.DBF\n"
    "\n"
    "Muestra una tabla dBase como CSV (UTF-8) en la salida est\u00e1ndar: una fila de\n"
    "cabecera con los nombres de los campos y una fila por registro, con los valores\n"
    "tal como se leen (sin blancos finales). Los registros borrados no se muestran.\n"
    "\n"
    "Estado de salida: 0 correcto, 1 la tabla no se puede leer, 2 uso incorrecto.\n";

// Appends one CSV value, quoted when it holds a comma, a quote or a line break.
void AgregarValor(std::string& linea, const std::string& ansi) {
    std::string v = exchange::AnsiAUtf8(ansi);
    if (v.find_first_of(",\"\r\n") == std::string::npos) {
        linea += v;
        return;
    }
    linea += '"';
    for (char c : v) {
        if (c == '"') linea += '"';
        linea += c;
    }
    linea += '"';
}

}  // namespace

int ComandoShow(const Argumentos& args) {
    std::string archivo;
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::fputs(kAyudaShow, stdout);
            return 0;
        }
        if (!a.empty() && a[0] == '-' && a != "-") {
            EscribirLinea(stderr, "mirveldra show: opci\xF3n desconocida '" + exchange::Utf8AAnsi(a) + "'");
            std::fputs(kAyudaShow, stderr);
            return 2;
        }
        if (!archivo.empty()) {
            EscribirLinea(stderr, "mirveldra show: indique una sola tabla");
            std::fputs(kAyudaShow, stderr);
            return 2;
        }
        archivo = a;
    }
    if (archivo.empty()) {
        EscribirLinea(stderr, "mirveldra show: falta la tabla");
        std::fputs(kAyudaShow, stderr);
        return 2;
    }
    std::string salida;
    try {
        tablas::Tabla t = tablas::Tabla::Abrir(archivo, tablas::Acceso::Compartido);
        const auto& campos = t.Campos();
        std::string linea;
        for (std::size_t i = 0; i < campos.size(); ++i) {
            if (i) linea += ',';
            AgregarValor(linea, campos[i].nombre);
        }
        salida += linea + '\n';
        for (t.Primero(); !t.FinDeTabla(); t.Siguiente()) {
            linea.clear();
            for (std::size_t i = 0; i < campos.size(); ++i) {
                if (i) linea += ',';
                AgregarValor(linea, t.LeerTexto(static_cast<int>(i)));
            }
            salida += linea;
            salida += '\n';
            if (salida.size() >= (1u << 20)) {
                std::fwrite(salida.data(), 1, salida.size(), stdout);
                salida.clear();
            }
        }
        t.Cerrar();
    } catch (const std::exception& e) {
        std::fwrite(salida.data(), 1, salida.size(), stdout);
        std::fflush(stdout);
        EscribirLinea(stderr, std::string("mirveldra show: ") + e.what());
        return 1;
    }
    std::fwrite(salida.data(), 1, salida.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace cli
