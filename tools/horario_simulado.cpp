#include "tools/horario_simulado.h"

#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/errores.h"
#include "core/reloj.h"
#include "tables/archivos.h"
#include "tables/tabla.h"

namespace simulado {

namespace {

using tablas::Tabla;

struct Asignacion {
    std::string asig, grupo, sesiones, tarea;
};
struct Tramo {
    int dia, hora;
    std::string marco;
};

Tabla AbrirTabla(const std::filesystem::path& carpeta, const std::string& nombre) {
    const auto ruta = tablas::BuscarArchivo(carpeta, nombre + ".DBF");
    if (!ruta)
        throw core::ErrorEjecucion("No se encuentra la tabla " + nombre + ".DBF en la carpeta de trabajo.");
    return Tabla::Abrir(*ruta, tablas::Acceso::Compartido);
}

int EnteroOCero(const std::string& t) {
    try {
        return t.empty() ? 0 : core::ConvertirEntero(t);
    } catch (const core::ErrorConversion&) {
        return 0;
    }
}

}  // namespace

ResumenSimulado GenerarSoluc(const OpcionesSimulado& op) {
    tablas::ComprobarCarpetaTrabajo(op.carpeta);
    std::vector<std::string> profesores, aulas;
    std::map<std::string, std::string> marcoDeGrupo;
    std::vector<Asignacion> asignaciones;
    std::vector<Tramo> tramos;
    {
        Tabla t = AbrirTabla(op.carpeta, "PROFT");
        for (t.Primero(); !t.FinDeTabla(); t.Siguiente()) profesores.push_back(t.LeerTexto("ABREV"));
    }
    {
        Tabla t = AbrirTabla(op.carpeta, "AULAT");
        for (t.Primero(); !t.FinDeTabla(); t.Siguiente()) aulas.push_back(t.LeerTexto("DEPCENTRO"));
    }
    {
        Tabla t = AbrirTabla(op.carpeta, "GRUPOST");
        for (t.Primero(); !t.FinDeTabla(); t.Siguiente()) marcoDeGrupo.emplace(t.LeerTexto("ABREV"), t.LeerTexto("MARCO"));
    }
    {
        Tabla t = AbrirTabla(op.carpeta, "ASIGT");
        for (t.Primero(); !t.FinDeTabla(); t.Siguiente())
            asignaciones.push_back({t.LeerTexto("CASIG"), t.LeerTexto("CGRUP"), t.LeerTexto("SESIONES"),
                                    t.LeerTexto("CTAREA")});
    }
    {
        Tabla t = AbrirTabla(op.carpeta, "DIASHORAST");
        for (t.Primero(); !t.FinDeTabla(); t.Siguiente())
            tramos.push_back({EnteroOCero(t.LeerTexto("DIA")), EnteroOCero(t.LeerTexto("HORA")), t.LeerTexto("MARCO")});
    }
    // A school works Monday to Friday: days 6 and 7 only when there is nothing else.
    std::vector<Tramo> laborables;
    for (const Tramo& s : tramos)
        if (s.dia >= 1 && s.dia <= 5) laborables.push_back(s);
    if (!laborables.empty()) tramos.swap(laborables);
    if (profesores.empty()) throw core::ErrorEjecucion("PROFT no tiene profesores: no hay horario que simular.");

    std::mt19937_64 azar(op.semilla);
    const auto uno = [&](std::size_t n) { return static_cast<std::size_t>(azar() % n); };
    // Drawn by hand so that every standard library gives the same tables.
    const auto probabilidad = [&](double p) { return static_cast<double>(azar() >> 11) * 0x1.0p-53 < p; };

    struct Fila {
        std::string prof;
        int dia, hora;
        std::string marco, asig, grupo, tarea, aula;
    };
    std::vector<Fila> filas;
    const auto tareaDe = [&](const Asignacion& a) { return probabilidad(0.3) ? a.tarea : std::string(); };
    const auto aulaAzar = [&]() { return aulas.empty() || probabilidad(0.1) ? std::string() : aulas[uno(aulas.size())]; };

    if (op.filas >= 0) {
        if (asignaciones.empty() || tramos.empty())
            throw core::ErrorEjecucion("ASIGT y DIASHORAST deben tener filas para simular un horario.");
        filas.reserve(static_cast<std::size_t>(op.filas));
        while (static_cast<std::int64_t>(filas.size()) < op.filas) {
            const Asignacion& a = asignaciones[uno(asignaciones.size())];
            const Tramo& s = tramos[uno(tramos.size())];
            const bool fuera = probabilidad(op.sinColocar);
            filas.push_back({profesores[uno(profesores.size())], fuera ? 0 : s.dia, fuera ? 0 : s.hora, s.marco,
                             a.asig, a.grupo, tareaDe(a), aulaAzar()});
        }
    } else {
        // The periods of each frame and day, and who is busy when.
        std::map<std::string, std::map<int, std::set<int>>> periodos;
        for (const Tramo& s : tramos) periodos[s.marco][s.dia].insert(s.hora);
        std::set<std::tuple<std::string, int, int>> ocupadoProf, ocupadoGrupo;
        for (const Asignacion& a : asignaciones) {
            const std::string prof = profesores[uno(profesores.size())];
            std::string marco = marcoDeGrupo.count(a.grupo) ? marcoDeGrupo[a.grupo] : "0";
            if (!periodos.count(marco) && !periodos.empty()) marco = periodos.begin()->first;
            const auto& dias = periodos[marco];
            for (char c : a.sesiones) {
                if (c < '1' || c > '9') continue;
                const int largo = c - '0';
                bool colocada = false;
                if (!dias.empty() && !probabilidad(op.sinColocar)) {
                    for (int intento = 0; intento < 60 && !colocada; ++intento) {
                        auto d = dias.begin();
                        std::advance(d, static_cast<long>(uno(dias.size())));
                        auto h = d->second.begin();
                        std::advance(h, static_cast<long>(uno(d->second.size())));
                        bool libre = true;
                        for (int k = 0; k < largo && libre; ++k)
                            libre = d->second.count(*h + k) && !ocupadoProf.count({prof, d->first, *h + k}) &&
                                    !ocupadoGrupo.count({a.grupo, d->first, *h + k});
                        if (!libre) continue;
                        const std::string tarea = tareaDe(a), aula = aulaAzar();
                        for (int k = 0; k < largo; ++k) {
                            ocupadoProf.insert({prof, d->first, *h + k});
                            ocupadoGrupo.insert({a.grupo, d->first, *h + k});
                            filas.push_back({prof, d->first, *h + k, marco, a.asig, a.grupo, tarea, aula});
                        }
                        colocada = true;
                    }
                }
                if (!colocada) filas.push_back({prof, 0, 0, marco, a.asig, a.grupo, tareaDe(a), ""});
            }
        }
    }

    // SOLUC, replaced whatever the case of its file name.
    tablas::BorrarSiExiste(op.carpeta, "SOLUC.DBF");
    const core::RelojSistema reloj;
    const tablas::Esquema esquema{"SOLUC",
                                  {{"PROF", 'C', 10}, {"DIA", 'N', 2}, {"HORA", 'N', 2}, {"MARCO", 'C', 1},
                                   {"ASIG", 'C', 10}, {"CODGRUPO", 'C', 10}, {"TAREA", 'C', 10}, {"AULA", 'C', 10}},
                                  {}};
    Tabla::Crear(op.carpeta, esquema, reloj);
    Tabla t = Tabla::Abrir(op.carpeta / "SOLUC.DBF", tablas::Acceso::Exclusivo, &reloj);
    ResumenSimulado r;
    for (const Fila& f : filas) {
        t.Agregar();
        t.EscribirTexto("PROF", f.prof);
        t.EscribirEntero("DIA", f.dia);
        t.EscribirEntero("HORA", f.hora);
        t.EscribirTexto("MARCO", f.marco);
        t.EscribirTexto("ASIG", f.asig);
        t.EscribirTexto("CODGRUPO", f.grupo);
        t.EscribirTexto("TAREA", f.tarea);
        t.EscribirTexto("AULA", f.aula);
        t.Grabar();
        ++r.filas;
        (f.dia != 0 ? r.colocadas : r.sinColocar)++;
    }
    t.Cerrar();
    return r;
}

}  // namespace simulado
