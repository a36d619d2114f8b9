// Courses, groups and teaching assignments.
#include "ayuda.h"

namespace prueba {
namespace {

class Cursos : public Escuela {};

TEST_F(Cursos, CursosConNivelesDeReferencia) {
    ConvertirBien(Documento().Bloque("CURSOS_DEL_CENTRO", {
                                                              {"6001", "1º ESO"},
                                                              {"9999", "2º Ciclo"},  // not in the reference
                                                              {"007", "Bachillerato"},
                                                              {"+7", ""},
                                                              {"6001"},
                                                          }));
    const auto c = Tabla("CURSOST");
    EXPECT_EQ(Columna(c, "CLAVE"), (std::vector<std::string>{"6001", "9999", "007", "+7"}));
    EXPECT_EQ(Columna(c, "NIVEL"), (std::vector<std::string>{"ESO", "Niv", "BACH", "BACH"}));
    EXPECT_EQ(Columna(c, "CURSO"), (std::vector<std::string>{"1", "2", "B", ""}));
    EXPECT_EQ(Columna(c, "ESTUD"),
              (std::vector<std::string>{"Educación Secundaria Obligatoria", "", "Bachillerato", "Bachillerato"}));
    EXPECT_EQ(c[0].at("ABREV"), "");
    EXPECT_EQ(c[0].at("TURNO"), "");
}

TEST_F(Cursos, ClaveNoEnteraDetieneLaEjecucion) {
    for (const std::string clave : {"", "12a", "99999999999", "8:30"}) {
        usuario.errores.clear();
        EXPECT_EQ(Convertir(Documento().Bloque("CURSOS_DEL_CENTRO", {{clave, "1º ESO"}})),
                  core::FinEjecucion::Error);
        ASSERT_EQ(usuario.errores.size(), 1u);
        EXPECT_EQ(exchange::AnsiAUtf8(usuario.errores[0]), "'" + clave + "' no es un valor entero válido");
    }
    EXPECT_FALSE(fs::exists(trabajo / "CURSOST.DBF"));
}

TEST_F(Cursos, NivelVacioEnLaReferenciaEsNiv) {
    Referencia({{5, "", "Estudio sin nivel"}});
    ConvertirBien(Documento().Bloque("CURSOS_DEL_CENTRO", {{"5", "Curso"}}));
    EXPECT_EQ(Tabla("CURSOST")[0].at("NIVEL"), "Niv");
    EXPECT_EQ(Tabla("CURSOST")[0].at("ESTUD"), "Estudio sin nivel");
}

TEST_F(Cursos, ReferenciaSinCampoEsUnError) {
    tablas::Esquema incompleta{"NIVELLARI", {{"X_OFERTAMATRIG", 'N', 10, 0}, {"ESTUDIO", 'C', 80, 0}}, {},
                               tablas::Nivel::DBase7};
    tablas::Tabla::Crear(raiz, incompleta, Reloj());
    EXPECT_EQ(Convertir(Documento()), core::FinEjecucion::Error);
    ASSERT_EQ(usuario.errores.size(), 1u);
    EXPECT_NE(usuario.errores[0].find("NIVEL_ABREV"), std::string::npos);
}

TEST_F(Cursos, Grupos) {
    ConvertirBien(Documento()
                      .Bloque("CURSOS_DEL_CENTRO", {{"6001", "1º ESO"}, {"9999", "2º Ciclo"}, {"007", "Bach"}})
                      .Bloque("UNIDADES", {
                                              {"G1", "1º ESO A", "6001"},
                                              {"G2", "1º ESO A", "9999"},
                                              {"G3", "BACHILLERATO B", "007"},
                                              {"G4", "BACHILLERATO B", "7"},   // finds no course row
                                              {"G5", "ABCDEFGHIJ", "6001"},   // exactly ten: kept
                                              {"G6", "1º ESO a", "6001"},     // 1ºESOa taken ignoring case
                                              {"G7", "Sin curso"},            // course key read as empty
                                              {"G8"},
                                          }));
    const auto g = Tabla("GRUPOST");
    EXPECT_EQ(Columna(g, "ABREV"), (std::vector<std::string>{"1ºESOA", "1ºESOA1", "BACHILLERB", "BACHILLEB1",
                                                              "ABCDEFGHIJ", "1ºESOa2", "Sincurso"}));
    EXPECT_EQ(Columna(g, "DESCRIP"),
              (std::vector<std::string>{"(1º ESO A) Educación Secundaria Obligatoria", " Niv 2 A",
                                        "(BACHILLERATO B) Bachillerato", "   B",
                                        "(ABCDEFGHIJ) Educación Secundaria Obligatoria",
                                        "(1º ESO a) Educación Secundaria Obligatoria", "   o"}));
    EXPECT_EQ(Columna(g, "NIVEL"), (std::vector<std::string>{"ESO", "Niv", "BACH", "", "ESO", "ESO", ""}));
    EXPECT_EQ(Columna(g, "CURSO"), (std::vector<std::string>{"1", "2", "B", "", "1", "1", ""}));
    EXPECT_EQ(Columna(g, "GRUPO"), (std::vector<std::string>{"A", "A", "B", "B", "J", "a", "o"}));
    EXPECT_EQ(Columna(g, "CLAVECURSO"), (std::vector<std::string>{"6001", "9999", "007", "7", "6001", "6001", ""}));
    EXPECT_EQ(g[0].at("CLAVE"), "G1");
    EXPECT_EQ(g[0].at("MARCO"), "0");
    EXPECT_EQ(g[0].at("TURNO"), "");
}

TEST_F(Cursos, NombreDeGrupoLargoGuardaSuUltimaLetra) {
    ConvertirBien(Documento().Bloque("UNIDADES", {{"G1", "2º Bachillerato de Ciencias C", "1"}}));
    EXPECT_EQ(Tabla("GRUPOST")[0].at("ABREV"), "2ºBachillC");
}

TEST_F(Cursos, Asignaciones) {
    ConvertirBien(
        Documento()
            .Bloque("CURSOS_DEL_CENTRO", {{"6001", "1º ESO"}, {"6002", "2º ESO"}})
            .Bloque("UNIDADES", {{"G1", "1º ESO A", "6001"},
                                 {"G2", "2º ESO A", "6002"},
                                 {"G3", "1º ESO B", "6001"},
                                 {"G4", "1º ESO C", "6001"}})
            .Bloque("ACTIVIDADES", {{"1", "GUARD", "Guardia"}, {"2", "", "Sin clave"}})
            .Bloque("MATERIAS", {
                                    {"6001", "41", "Matemáticas"},
                                    {"6002", "42", "MATEMáTICAS"},   // found by its a-z capitals
                                    {"6001", "43", "Guardia"},       // the subject row comes before the task's
                                    {"6003", "44", "Lengua"},        // no group for the course
                                    {"6001", "45", "Sin clave"},
                                    {"6001", "46"},                  // no name: its row has an empty code
                                    {"6001"},
                                }));
    const auto a = Tabla("ASIGT");
    EXPECT_EQ(Columna(a, "CASIG"), (std::vector<std::string>{"Matemá", "Matemá", "Matemá", "Matemá", "Guardi",
                                                              "Guardi", "Guardi", "Sc", "Sc", "Sc"}));
    EXPECT_EQ(Columna(a, "CGRUP"), (std::vector<std::string>{"1ºESOA", "1ºESOB", "1ºESOC", "2ºESOA", "1ºESOA",
                                                              "1ºESOB", "1ºESOC", "1ºESOA", "1ºESOB", "1ºESOC"}));
    EXPECT_EQ(Columna(a, "CLAVE"),
              (std::vector<std::string>{"41", "41", "41", "42", "43", "43", "43", "45", "45", "45"}));
    EXPECT_EQ(a[3].at("CLAVECURSO"), "6002");
    EXPECT_EQ(a[3].at("NIVEL"), "Niv");
    EXPECT_EQ(a[0].at("NIVEL"), "ESO");
    EXPECT_EQ(a[0].at("CURSO"), "1");
    EXPECT_EQ(a[1].at("GRUPO"), "B");
    for (const auto& f : a) {
        EXPECT_EQ(std::stod(f.at("HORAS")), 4.0);
        EXPECT_EQ(f.at("SESIONES"), "1111");
        EXPECT_EQ(f.at("CTAREA"), "1");
        EXPECT_EQ(f.at("CPROF"), "");
        EXPECT_EQ(f.at("CAULA"), "");
        EXPECT_EQ(f.at("TURNO"), "");
        EXPECT_EQ(f.at("NCONEX"), "");
    }
}

TEST_F(Cursos, AsignacionesComparanSoloLetrasAZ) {
    ConvertirBien(Documento()
                      .Bloque("UNIDADES", {{"G1", "1º ESO A", "6001"}})
                      .Bloque("MATERIAS", {{"6001", "41", "Ética"}, {"6001", "42", "éTICA"}}));
    // 'éTICA' is another subject: it differs from 'Ética' in an accented letter.
    EXPECT_EQ(Columna(Tabla("ASIGT"), "CASIG"), (std::vector<std::string>{"Ética", "éTICA"}));
}

}  // namespace
}  // namespace prueba
