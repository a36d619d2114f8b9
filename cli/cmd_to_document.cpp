// mirveldra to-document DOCUMENT [--workdir DIR]
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/comandos.h"
#include "cli/interaccion_lote.h"
#include "core/reloj.h"
#include "tables/archivos.h"
#include "to_document/exportacion.h"

namespace cli {

namespace {

const char* kAyudaToDocument =
    "Uso: mirveldra to-document DOCUMENTO [--workdir CARPETA]\n"
    "\n"
    "Convierte el horario terminado de Mirantel (la tabla SOLUC y las tablas de\n"
    "trabajo de CARPETA) en un documento XML de horarios regulares para Veldra.\n"
    "\n"
    "DOCUMENTO es un documento XML de Veldra del centro: de \u00e9l se toman el a\u00f1o\n"
    "acad\u00e9mico y la declaraci\u00f3n XML. El resultado se escribe en la carpeta de\n"
    "DOCUMENTO con el nombre ResultadoMiran seguido del nombre de DOCUMENTO; un\n"
    "archivo anterior con ese nombre se sustituye solo si el proceso termina bien.\n"
    "\n"
    "Opciones:\n"
    "  --workdir CARPETA  carpeta de trabajo de Mirantel (por omisi\u00f3n C:\\MTEMP)\n"
    "  --help             muestra esta ayuda\n"
    "\n"
    "Estado de salida: 0 y \"Proceso finalizado\" en la salida est\u00e1ndar; 1 si el\n"
    "proceso se detuvo (mensaje en la salida de error); 2 uso incorrecto.\n";

int Uso(const std::string& motivo) {
    std::fprintf(stderr, "mirveldra to-document: %s\n\n", motivo.c_str());
    std::fputs(kAyudaToDocument, stderr);
    return 2;
}

}  // namespace

int ComandoToDocument(const Argumentos& args) {
    std::string documento, carpeta;
    bool hayDocumento = false, hayCarpeta = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kAyudaToDocument, stdout);
            return 0;
        }
        if (a == "--workdir" || a.rfind("--workdir=", 0) == 0) {
            if (hayCarpeta) return Uso("--workdir aparece m\u00e1s de una vez");
            if (a == "--workdir") {
                if (i + 1 >= args.size()) return Uso("falta la carpeta tras --workdir");
                carpeta = args[++i];
            } else {
                carpeta = a.substr(10);
            }
            if (carpeta.empty()) return Uso("la carpeta de --workdir est\u00e1 vac\u00eda");
            hayCarpeta = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return Uso("opci\u00f3n desconocida '" + a + "'");
        } else if (hayDocumento) {
            return Uso("sobra el argumento '" + a + "'");
        } else {
            documento = a;
            hayDocumento = true;
        }
    }
    if (!hayDocumento || documento.empty()) return Uso("falta el DOCUMENTO");

    std::error_code ec;
    std::filesystem::path ruta = std::filesystem::absolute(std::filesystem::path(documento), ec);
    if (ec) ruta = std::filesystem::path(documento);

    InteraccionLote ui(ruta);
    core::EstadoVentana estado;
    to_document::OpcionesExportacion opciones;
    opciones.carpetaTrabajo =
        hayCarpeta ? std::filesystem::path(carpeta) : tablas::CarpetaTrabajoPredeterminada();
    const core::FinEjecucion fin = to_document::BImportarClick(estado, ui, opciones);
    return ui.Terminar(fin == core::FinEjecucion::Finalizado);
}

}  // namespace cli
