#include "to_tables/pasos.h"

#include "exchange/texto.h"

namespace to_tables {

const std::vector<Paso>& PasosConversion() {
    static const std::vector<Paso> pasos = {
        {"TransformarMaterias", &TransformarMaterias},
        {"TransformarActividades", &TransformarActividades},
        {"TransformarEmpleados", &TransformarEmpleados},
        {"TransformarDependencias", &TransformarDependencias},
        {"TransformarCursosUnidades", &TransformarCursosUnidades},
        {"TransformarAsignaciones", &TransformarAsignaciones},
        {"TransformarTramos", &TransformarTramos},
    };
    return pasos;
}

namespace detalle {

tablas::Tabla CrearYAbrir(const Contexto& ctx, const tablas::Esquema& esquema) {
    tablas::Tabla::Crear(ctx.carpeta, esquema, ctx.reloj);
    return AbrirCreada(ctx, esquema);
}

tablas::Tabla AbrirCreada(const Contexto& ctx, const tablas::Esquema& esquema) {
    return tablas::Tabla::Abrir(ctx.carpeta / (esquema.nombre + ".DBF"), tablas::Acceso::Exclusivo,
                                &ctx.reloj);
}

int Pos(const tablas::Tabla& tabla, std::string_view campo) {
    const int i = tabla.IndiceCampo(campo);
    if (i < 0) throw tablas::ErrorTabla("La tabla no tiene el campo " + std::string(campo));
    return i;
}

int Ancho(const tablas::Esquema& esquema, std::string_view campo) {
    for (const auto& c : esquema.campos)
        if (c.nombre == campo) return c.ancho;
    throw tablas::ErrorTabla("La tabla " + esquema.nombre + " no tiene el campo " + std::string(campo));
}

std::string Almacenado(std::string_view valor, int ancho) {
    return exchange::QuitarEspaciosDer(exchange::Izquierda(valor, ancho));
}

bool MenosDeDosDatos(const exchange::Registro& registro) {
    const pugi::xml_node primero = registro.Nodo().child("dato");
    return !primero || !primero.next_sibling("dato");
}

std::string Clave2(std::string_view a, std::string_view b) {
    std::string k;
    k.reserve(a.size() + b.size() + 1);
    k.append(a);
    k.push_back('\x01');
    k.append(b);
    return k;
}

}  // namespace detalle
}  // namespace to_tables
