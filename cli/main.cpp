// mirveldra: the batch tool of TransMirantelVeldra.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/comandos.h"
#include "exchange/ansi.h"

namespace cli {

void EscribirLinea(std::FILE* flujo, const std::string& textoAnsi) {
    std::string utf8 = exchange::AnsiAUtf8(textoAnsi);
    utf8.push_back('\n');
    std::fwrite(utf8.data(), 1, utf8.size(), flujo);
    std::fflush(flujo);
}

}  // namespace cli

namespace {

const char* kAyuda =
    "Uso: mirveldra ORDEN [ARGUMENTOS]\n"
    "\n"
    "Herramienta por lotes de TransMirantelVeldra: convierte los datos de horarios\n"
    "entre los documentos XML de Veldra y las tablas de trabajo de Mirantel.\n"
    "\n"
    "\u00d3rdenes:\n"
    "  to-tables DOCUMENTO [--workdir CARPETA] [--reference ARCHIVO] [--frame C\u00d3DIGO]...\n"
    "      Crea las diez tablas de trabajo a partir del documento XML de Veldra.\n"
    "  to-document DOCUMENTO [--workdir CARPETA]\n"
    "      Escribe el horario de Mirantel (SOLUC) como documento XML de Veldra,\n"
    "      llamado ResultadoMiran seguido del nombre de DOCUMENTO, en su carpeta.\n"
    "  show TABLA.DBF\n"
    "      Muestra una tabla dBase como CSV (UTF-8) en la salida est\u00e1ndar.\n"
    "\n"
    "Opciones generales:\n"
    "  --help      muestra esta ayuda (tambi\u00e9n: mirveldra ORDEN --help)\n"
    "  --version   muestra la versi\u00f3n\n"
    "\n"
    "Estado de salida: 0 correcto, 1 el proceso se detuvo (mensaje en la salida de\n"
    "error), 2 uso incorrecto.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kAyuda, stderr);
        return 2;
    }
    const std::string orden = argv[1];
    cli::Argumentos resto(argv + 2, argv + argc);
    if (orden == "--help" || orden == "-h" || orden == "help") {
        std::fputs(kAyuda, stdout);
        return 0;
    }
    if (orden == "--version") {
        std::puts("mirveldra (TransMirantelVeldra) " TMV_VERSION);
        return 0;
    }
    if (orden == "show") return cli::ComandoShow(resto);
    if (orden == "to-tables") return cli::ComandoToTables(resto);
    if (orden == "to-document") return cli::ComandoToDocument(resto);
    std::fprintf(stderr, "mirveldra: orden desconocida '%s'\n\n", orden.c_str());
    std::fputs(kAyuda, stderr);
    return 2;
}
