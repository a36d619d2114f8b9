// Teachers (PROFT) and rooms (AULAT).
#include <string>

#include "exchange/texto.h"
#include "tables/esquemas.h"
#include "to_tables/codigos.h"
#include "to_tables/pasos.h"

namespace to_tables {

using namespace exchange;
using detalle::Pos;

void TransformarEmpleados(Contexto& ctx) {
    tablas::Tabla prof = detalle::CrearYAbrir(ctx, tablas::esquemas::PROFT());
    const int cAbrev = Pos(prof, "ABREV"), cNombre = Pos(prof, "NOMBRE"), cEmpleado = Pos(prof, "X_EMPLEADO"),
              cTomaPos = Pos(prof, "F_TOMAPOS");
    // Teacher codes given in this step; 'abg' is taken when 'ABG' is.
    ConjuntoCodigos codigos(Comparacion::IgnorarCase);
    CodigosUnicos unicos(codigos);
    std::string nombre, codigo;
    for (const auto& r : LeerBloque(ctx.documento, "EMPLEADOS")) {
        if (detalle::MenosDeDosDatos(r)) continue;
        const std::string empleado = LeerDato(r, 0);
        const std::string tomaPos = LeerDato(r, 1);
        // The initials come from the name parts as the document gives them (a
        // part that begins with a space contributes that space); the name
        // uses the parts trimmed.
        nombre.clear();
        codigo.clear();
        for (int pos = 3; pos <= 5; ++pos) {
            const std::string parte = LeerDatoSinRecortar(r, pos);
            if (!parte.empty()) codigo.push_back(parte[0]);
            nombre += QuitarEspacios(parte);
            if (pos == 3) nombre += " ";
            if (pos == 4) nombre += ", ";
        }
        codigo = unicos.UnicoAcortado(codigo);
        codigos.Agregar(codigo);

        prof.Agregar();  // DEPART stays empty, DNI unset
        prof.EscribirTexto(cAbrev, codigo);
        prof.EscribirTexto(cNombre, nombre);
        prof.EscribirTexto(cEmpleado, empleado);
        prof.EscribirTexto(cTomaPos, tomaPos);
        prof.Grabar();
    }
    prof.Cerrar();
}

void TransformarDependencias(Contexto& ctx) {
    tablas::Tabla aulas = detalle::CrearYAbrir(ctx, tablas::esquemas::AULAT());
    const int cAbrev = Pos(aulas, "ABREV"), cNombre = Pos(aulas, "NOMBRE"), cDep = Pos(aulas, "DEPCENTRO");
    // Full room codes given in this step, compared ignoring case.
    ConjuntoCodigos codigos(Comparacion::IgnorarCase);
    CodigosUnicos unicos(codigos);
    for (const auto& r : LeerBloque(ctx.documento, "DEPENDENCIAS")) {
        if (detalle::MenosDeDosDatos(r)) continue;
        const std::string clave = LeerDato(r, 0);
        const std::string nombre = LeerDato(r, 1);
        const std::string codigo = unicos.Unico(clave.empty() ? Izquierda(nombre, 6) : clave);
        codigos.Agregar(codigo);

        aulas.Agregar();  // EDIFICIO and MAXALUM unset
        aulas.EscribirTexto(cAbrev, Derecha(codigo, 4));
        aulas.EscribirTexto(cNombre, nombre);
        aulas.EscribirTexto(cDep, clave);
        aulas.Grabar();
    }
    aulas.Cerrar();
}

}  // namespace to_tables
