// Subjects and activities: ASIGNOMT and ASIGNOMT2.
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "exchange/texto.h"
#include "tables/esquemas.h"
#include "to_tables/codigos.h"
#include "to_tables/pasos.h"

namespace to_tables {

using namespace exchange;
using detalle::Almacenado;
using detalle::Ancho;
using detalle::Clave2;
using detalle::Pos;

namespace {

// The subject code before it is made unique: a first character that is not a
// capital, then the capitals; a single character grows into the initials of
// the words or the first six characters of the name.
std::string CodigoMateria(const std::string& nombre) {
    std::string c;
    if (!nombre.empty() && !(nombre[0] >= 'A' && nombre[0] <= 'Z')) c.push_back(nombre[0]);
    c += SoloMayusculas(nombre);
    if (c.size() == 1) {
        if (nombre.find(' ') != std::string::npos)
            c = nombre.substr(0, 1) + LetrasTrasEspacio(nombre);
        else
            c = Izquierda(nombre, 6);
    }
    return c;
}

}  // namespace

void TransformarMaterias(Contexto& ctx) {
    const auto& esq1 = tablas::esquemas::ASIGNOMT();
    const auto& esq2 = tablas::esquemas::ASIGNOMT2();
    tablas::Tabla asig = detalle::CrearYAbrir(ctx, esq1);
    tablas::Tabla asig2 = detalle::CrearYAbrir(ctx, esq2);
    const int anchoCod = Ancho(esq1, "COD"), anchoLargo = Ancho(esq1, "CODLARGO"),
              anchoNombre = Ancho(esq1, "NOMBRE");
    const int anchoMateria = Ancho(esq2, "MATERIA"), anchoOferta = Ancho(esq2, "OFERTAMATRI");
    const int a1Cod = Pos(asig, "COD"), a1Largo = Pos(asig, "CODLARGO"), a1Nombre = Pos(asig, "NOMBRE"),
              a1EsTarea = Pos(asig, "ESTAREA");
    const int a2Cod = Pos(asig2, "COD"), a2Largo = Pos(asig2, "CODLARGO"), a2Nombre = Pos(asig2, "NOMBRE"),
              a2Materia = Pos(asig2, "MATERIA"), a2Oferta = Pos(asig2, "OFERTAMATRI"),
              a2EsTarea = Pos(asig2, "ESTAREA");

    auto& e = ctx.estado;
    CodigosUnicos unicos(e.ListaCodigos);
    // ASIGNOMT2 by MATERIA + OFERTAMATRI, and ASIGNOMT by CODLARGO + NOMBRE
    // (first row: its COD and CODLARGO), both as the fields store them.
    std::unordered_set<std::string> ofertas;
    struct Fila { std::string cod, codLargo; };
    std::unordered_map<std::string, Fila> materias;
    // Names already known with their ASIGNOMT row. The sets only grow and the
    // first row of a pair never changes, so a name once resolved so resolves
    // the same way for the rest of the step.
    std::unordered_map<std::string, Fila> resueltas;

    auto escribirOferta = [&](const Fila& fila, const std::string& nombre, const std::string& clave,
                              const std::string& curso) {
        asig2.Agregar();
        asig2.EscribirTexto(a2Cod, fila.cod);
        asig2.EscribirTexto(a2Largo, fila.codLargo);
        asig2.EscribirTexto(a2Nombre, nombre);
        asig2.EscribirTexto(a2Materia, clave);
        asig2.EscribirTexto(a2Oferta, curso);
        asig2.EscribirLogico(a2EsTarea, false);
        asig2.Grabar();
    };
    // One more offer of a known subject, unless ASIGNOMT2 already has a row
    // with these keys (as its fields store them).
    auto ofertaConocida = [&](const Fila& fila, const std::string& nombre, const std::string& clave,
                              const std::string& curso) {
        if (static_cast<int>(clave.size()) <= anchoMateria && static_cast<int>(curso.size()) <= anchoOferta) {
            if (!ofertas.insert(Clave2(clave, curso)).second) return;  // looked up and recorded at once
        } else {
            if (ofertas.count(Clave2(clave, curso))) return;
            ofertas.insert(Clave2(Almacenado(clave, anchoMateria), Almacenado(curso, anchoOferta)));
        }
        escribirOferta(fila, nombre, clave, curso);
    };

    const auto registros = LeerBloque(ctx.documento, "MATERIAS");
    ofertas.reserve(registros.size());
    for (const auto& r : registros) {
        if (detalle::MenosDeDosDatos(r)) continue;
        const std::string nombre = LeerDato(r, 2);
        const std::string clave = LeerDato(r, 1);
        const std::string curso = LeerDato(r, 0);

        if (auto it = resueltas.find(nombre); it != resueltas.end()) {
            ofertaConocida(it->second, nombre, clave, curso);
            continue;
        }

        std::string c = CodigoMateria(nombre);
        const std::string codLargo = c.size() < 5 ? Izquierda(nombre, 10) : c;
        c = Izquierda(c, 10);
        const std::string nombreMay = MayusculasAZ(nombre);
        const std::string largoNombre = codLargo + nombre;

        if (e.ListaNombres.Contiene(nombreMay) && e.ListaCodLargos.Contiene(codLargo) &&
            e.ListaCodLargoNombre.Contiene(largoNombre)) {
            // A known subject: one more offer of the row stored for it.
            auto it = materias.find(Clave2(Almacenado(codLargo, anchoLargo), Almacenado(nombre, anchoNombre)));
            if (it == materias.end()) {
                continue;
            }
            resueltas.emplace(nombre, it->second);
            ofertaConocida(it->second, nombre, clave, curso);
            continue;
        }

        e.ListaNombres.Agregar(nombreMay);
        e.ListaCodLargos.Agregar(codLargo);
        e.ListaCodLargoNombre.Agregar(largoNombre);
        const std::string cod = unicos.UnicoAcortado(c);
        e.ListaCodigos.Agregar(cod);

        asig.Agregar();
        asig.EscribirTexto(a1Cod, cod);
        asig.EscribirTexto(a1Largo, codLargo);
        asig.EscribirTexto(a1Nombre, nombre);
        asig.EscribirLogico(a1EsTarea, false);
        asig.Grabar();
        const Fila fila{Almacenado(cod, anchoCod), Almacenado(codLargo, anchoLargo)};
        materias.emplace(Clave2(Almacenado(codLargo, anchoLargo), Almacenado(nombre, anchoNombre)), fila);
        escribirOferta(fila, nombre, clave, curso);
        ofertas.insert(Clave2(Almacenado(clave, anchoMateria), Almacenado(curso, anchoOferta)));
    }
    asig.Cerrar();
    asig2.Cerrar();
}

void TransformarActividades(Contexto& ctx) {
    tablas::Tabla asig = detalle::AbrirCreada(ctx, tablas::esquemas::ASIGNOMT());
    const int cCod = Pos(asig, "COD"), cLargo = Pos(asig, "CODLARGO"), cNombre = Pos(asig, "NOMBRE"),
              cTarea = Pos(asig, "CODTAREA"), cEsTarea = Pos(asig, "ESTAREA");
    for (const auto& r : LeerBloque(ctx.documento, "ACTIVIDADES")) {
        if (detalle::MenosDeDosDatos(r)) continue;
        const std::string nombre = LeerDato(r, 2);
        const std::string clave = LeerDato(r, 1);
        asig.Agregar();
        asig.EscribirTexto(cCod, clave);
        asig.EscribirTexto(cLargo, Izquierda(nombre, 10));
        asig.EscribirTexto(cNombre, nombre);
        asig.EscribirTexto(cTarea, clave);
        asig.EscribirLogico(cEsTarea, true);
        asig.Grabar();
    }
    asig.Cerrar();
    auto& e = ctx.estado;
    e.ListaCodigos.Vaciar();
    e.ListaCodLargos.Vaciar();
    e.ListaNombres.Vaciar();
    e.ListaCodLargoNombre.Vaciar();
}

}  // namespace to_tables
