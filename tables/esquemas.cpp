// Widths chosen for the numeric fields: integers N(11,0) (every 32-bit value
// with its sign fits), reals N(20,4).
#include "tables/esquemas.h"

namespace tablas::esquemas {

namespace {

Campo C(const char* n, int ancho) { return Campo{n, 'C', ancho, 0}; }
Campo L(const char* n) { return Campo{n, 'L', 1, 0}; }
Campo Entero(const char* n) { return Campo{n, 'N', 11, 0}; }
Campo Real(const char* n) { return Campo{n, 'N', 20, 4}; }

std::vector<Campo> CamposDiasHoras() {
    return {C("DIHO", 10),     C("CODDIHO", 10),  C("DIA", 20),       C("TEXTODIA", 20),
            C("HORA", 8),      C("TEXTOHOR", 15), C("HORADESDE", 8),  C("HORAHASTA", 8),
            C("MINUTOS", 8),   C("MARCO", 1),     C("MARCOXML", 10)};
}

}  // namespace

const Esquema& ASIGNOMT() {
    static const Esquema e{"ASIGNOMT",
                           {C("COD", 10), C("CODLARGO", 10), C("NOMBRE", 80), C("CODTAREA", 10), L("ESTAREA")},
                           {},
                           Nivel::DBase4};
    return e;
}

const Esquema& ASIGNOMT2() {
    static const Esquema e{"ASIGNOMT2",
                           {C("COD", 10), C("CODLARGO", 10), C("NOMBRE", 80), C("MATERIA", 20),
                            C("OFERTAMATRI", 20), C("CODTAREA", 12), L("ESTAREA")},
                           {},
                           Nivel::DBase4};
    return e;
}

const Esquema& PROFT() {
    static const Esquema e{"PROFT",
                           {C("ABREV", 10), C("NOMBRE", 80), C("DEPART", 40), Entero("DNI"), C("X_EMPLEADO", 10),
                            C("F_TOMAPOS", 10)},
                           {},
                           Nivel::DBase4};
    return e;
}

const Esquema& AULAT() {
    static const Esquema e{"AULAT",
                           {C("ABREV", 10), C("NOMBRE", 80), C("EDIFICIO", 1), Entero("MAXALUM"), C("DEPCENTRO", 10)},
                           {},
                           Nivel::DBase4};
    return e;
}

const Esquema& CURSOST() {
    static const Esquema e{"CURSOST",
                           {C("ABREV", 3), C("TURNO", 1), C("NIVEL", 5), C("CURSO", 3), C("CLAVE", 10),
                            C("ESTUD", 80)},
                           {},
                           Nivel::DBase4};
    return e;
}

const Esquema& GRUPOST() {
    static const Esquema e{"GRUPOST",
                           {C("ABREV", 10), C("TURNO", 1), C("NIVEL", 5), C("CURSO", 3), C("GRUPO", 2), C("MARCO", 1),
                            C("CLAVE", 10), C("CLAVECURSO", 10), C("DESCRIP", 80)},
                           {},
                           Nivel::DBase4};
    return e;
}

const Esquema& ASIGT() {
    static const Esquema e{"ASIGT",
                           {C("CASIG", 10), C("CPROF", 10), C("CGRUP", 10), C("CAULA", 10), C("TURNO", 1),
                            C("NIVEL", 5), C("CURSO", 3), C("GRUPO", 2), Real("HORAS"), C("SESIONES", 20),
                            C("NCONEX", 4), C("CLAVE", 10), C("CLAVECURSO", 10), C("CTAREA", 10)},
                           {},
                           Nivel::DBase4};
    return e;
}

const Esquema& DIASHORAST() {
    static const Esquema e{"DIASHORAST", CamposDiasHoras(), {}, Nivel::DBase4};
    return e;
}

const Esquema& DIASHORAST2() {
    static const Esquema e = [] {
        Esquema x{"DIASHORAST2", CamposDiasHoras(), {Indice{"ORDEN", "ORDEN"}}, Nivel::DBase4};
        x.campos.push_back(Entero("ORDEN"));
        return x;
    }();
    return e;
}

const Esquema& PERIODOS() {
    static const Esquema e{"PERIODOS",
                           {C("CJORNADA", 10), C("JORNADA", 40), C("FECINI", 10), C("FECFIN", 10)},
                           {},
                           Nivel::DBase4};
    return e;
}

const Esquema& NIVELLARI() {
    static const Esquema e{"NIVELLARI",
                           {Entero("X_OFERTAMATRIG"), C("NIVEL_ABREV", 5), C("ESTUDIO", 80)},
                           {},
                           Nivel::DBase7};
    return e;
}

const std::vector<const Esquema*>& Trabajo() {
    static const std::vector<const Esquema*> v{&ASIGNOMT(), &ASIGNOMT2(),  &PROFT(),      &AULAT(),
                                               &CURSOST(),  &GRUPOST(),    &ASIGT(),      &DIASHORAST(),
                                               &DIASHORAST2(), &PERIODOS()};
    return v;
}

}  // namespace tablas::esquemas
