// Teachers (PROFT) and rooms (AULAT).
#include <string>

#include "exchange/texto.h"
#include "tables/esquemas.h"
#include "to_tables/codigos.h"
#include "to_tables/pasos.h"

namespace to_tables {

using namespace exchange;

void TransformarEmpleados(Contexto& ctx) {
    tablas::Tabla prof = detalle::CrearYAbrir(ctx, tablas::esquemas::PROFT());
    // Teacher codes given in this step; 'abg' is taken when 'ABG' is.
    ConjuntoCodigos codigos(Comparacion::IgnorarCase);
    CodigosUnicos unicos(codigos);
    for (const auto& r : LeerBloque(ctx.documento, "EMPLEADOS")) {
        if (ContarDatos(r) < 2) continue;
        const std::string empleado = LeerDato(r, 0);
        const std::string tomaPos = LeerDato(r, 1);
        const std::string nombre = LeerDato(r, 3) + " " + LeerDato(r, 4) + ", " + LeerDato(r, 5);
        // The initials come from the values as the document gives them: a
        // part that begins with a space contributes that space.
        std::string codigo;
        for (int pos = 3; pos <= 5; ++pos) {
            const std::string parte = LeerDatoSinRecortar(r, pos);
            if (!parte.empty()) codigo.push_back(parte[0]);
        }
        codigo = AcortarCodigo(unicos.Unico(codigo));
        codigos.Agregar(codigo);

        prof.Agregar();
        prof.EscribirTexto("ABREV", codigo);
        prof.EscribirTexto("NOMBRE", nombre);
        prof.EscribirTexto("DEPART", "");
        prof.EscribirTexto("X_EMPLEADO", empleado);
        prof.EscribirTexto("F_TOMAPOS", tomaPos);
        prof.Grabar();
    }
    prof.Cerrar();
}

void TransformarDependencias(Contexto& ctx) {
    tablas::Tabla aulas = detalle::CrearYAbrir(ctx, tablas::esquemas::AULAT());
    // Full room codes given in this step, compared ignoring case.
    ConjuntoCodigos codigos(Comparacion::IgnorarCase);
    CodigosUnicos unicos(codigos);
    for (const auto& r : LeerBloque(ctx.documento, "DEPENDENCIAS")) {
        if (ContarDatos(r) < 2) continue;
        const std::string clave = LeerDato(r, 0);
        const std::string nombre = LeerDato(r, 1);
        const std::string codigo = unicos.Unico(clave.empty() ? Izquierda(nombre, 6) : clave);
        codigos.Agregar(codigo);

        aulas.Agregar();
        aulas.EscribirTexto("ABREV", Derecha(codigo, 4));
        aulas.EscribirTexto("NOMBRE", nombre);
        aulas.EscribirTexto("DEPCENTRO", clave);
        aulas.Grabar();
    }
    aulas.Cerrar();
}

}  // namespace to_tables
