#include "apoyo.h"

#include <fstream>
#include <sstream>

#include "core/errores.h"
#include "tables/archivos.h"

namespace prueba {

std::string LeerArchivo(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void EscribirArchivo(const fs::path& p, const std::string& bytes) {
    std::ofstream f(p, std::ios::binary);
    f << bytes;
}

void Escenario::Documento(const std::string& bytes) const { EscribirArchivo(Entrada(), bytes); }

void Escenario::Filas(const std::string& tabla, const std::vector<Fila>& filas) const {
    const auto ruta = tablas::BuscarArchivo(Trabajo(), tabla + ".DBF");
    tablas::Tabla t = tablas::Tabla::Abrir(*ruta, tablas::Acceso::Exclusivo, &reloj);
    for (const Fila& fila : filas) {
        t.Agregar();
        for (const auto& [campo, valor] : fila) {
            const int i = t.IndiceCampo(campo);
            if (const char tipo = t.Campos().at(static_cast<std::size_t>(i)).tipo; tipo == 'N' || tipo == 'F') {
                if (!valor.empty()) t.EscribirEntero(campo, core::ConvertirEntero(valor));
            } else {
                t.EscribirTexto(campo, valor);
            }
        }
        t.Grabar();
    }
    t.Cerrar();
}

core::FinEjecucion Escenario::Ejecutar(UsuarioPrueba& ui, core::EstadoVentana& estado) const {
    if (!ui.documento) ui.documento = Entrada();
    to_document::OpcionesExportacion op;
    op.carpetaTrabajo = Trabajo();
    op.reloj = &reloj;
    return to_document::BImportarClick(estado, ui, op);
}

std::string Registros(const fs::path& salida) {
    pugi::xml_document doc;
    if (!doc.load_file(salida.c_str())) return "(no se pudo leer " + salida.string() + ")";
    std::string r;
    const pugi::xml_node grupo =
        doc.select_node("/SERVICIO/BLOQUE_DATOS/grupo_datos[@seq='HORARIOS_REGULARES']").node();
    for (pugi::xml_node prof : grupo.children()) {
        r += std::string(prof.attribute("seq").value()) + " " + prof.attribute("registros").value() + ":";
        for (pugi::xml_node d : prof.children("dato")) r += std::string(" ") + d.text().get();
        r += "\n";
        for (pugi::xml_node act : prof.children("grupo_datos")) {
            r += std::string("  ") + act.attribute("seq").value() + ":";
            const char* sep = " ";
            for (pugi::xml_node d : act.children("dato")) {
                r += sep;
                r += d.text().get();
                sep = "|";
            }
            r += "\n";
        }
    }
    return r;
}

}  // namespace prueba
