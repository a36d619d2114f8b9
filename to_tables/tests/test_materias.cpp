// Subjects and activities: the codes built from the names, the known-subject
// rule and the task rows.
#include "ayuda.h"

namespace prueba {
namespace {

class Materias : public Escuela {};

TEST_F(Materias, CodigosDeNombresSueltos) {
    struct Caso { std::string nombre, cod, codLargo; };
    const std::vector<Caso> casos = {
        {"Lengua Castellana y Literatura", "LCL", "Lengua Cas"},
        {"Matemáticas", "Matemá", "Matemá"},
        {"Educación física", "Ef", "Educación"},  // CODLARGO "Educación " read without its blank
        {"ética", "ética", "ética"},
        {"1º Bachillerato", "1B", "1º Bachill"},
        {"TECNOLOGIA INDUSTRIAL", "TECNOLOGIA", "TECNOLOGIA"},
        {"", "", ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        ConvertirBien(Documento().Bloque("MATERIAS", {{"6001", "41", c.nombre}}));
        const auto filas = Tabla("ASIGNOMT");
        ASSERT_EQ(filas.size(), 1u);
        EXPECT_EQ(filas[0].at("COD"), c.cod);
        EXPECT_EQ(filas[0].at("CODLARGO"), c.codLargo);
        EXPECT_EQ(filas[0].at("NOMBRE"), c.nombre);
        EXPECT_EQ(filas[0].at("ESTAREA"), "F");
    }
}

TEST_F(Materias, CodigosUnicosConocidasYOfertas) {
    ConvertirBien(Documento().Bloque(
        "MATERIAS", {
                        {"6001", "41", "Lengua Castellana y Literatura"},
                        {"6002", "42", "Lengua Castellana y Literatura"},    // same subject, other course
                        {"6002", "42", "Lengua Castellana y Literatura"},    // same keys again: nothing
                        {"6001", "43", "Lengua Cooficial y Literatura"},     // LCL taken: LCL1
                        {"6001", "44", "TECNOLOGIA INDUSTRIAL"},
                        {"6002", "45", "TECNOLOGIA INFORMATICA"},            // TECNOLOGIA1 -> TECNOLOGA1
                        {"6002", "48", "TECNOLOGIA ELECTRICA"},              // TECNOLOGA1 given: TECNOLOGA2
                        {"6001", "46", "lengua castellana y literatura"},    // differs in case: new subject
                        {"6001"},                                           // fewer than 2 values
                        {"6003", "47"},                                     // no name: read as empty
                    }));
    const auto a = Tabla("ASIGNOMT");
    EXPECT_EQ(Columna(a, "COD"),
              (std::vector<std::string>{"LCL", "LCL1", "TECNOLOGIA", "TECNOLOGA1", "TECNOLOGA2", "lcyl", ""}));
    const auto a2 = Tabla("ASIGNOMT2");
    EXPECT_EQ(Columna(a2, "COD"),
              (std::vector<std::string>{"LCL", "LCL", "LCL1", "TECNOLOGIA", "TECNOLOGA1", "TECNOLOGA2", "lcyl", ""}));
    EXPECT_EQ(Columna(a2, "MATERIA"), (std::vector<std::string>{"41", "42", "43", "44", "45", "48", "46", "47"}));
    EXPECT_EQ(Columna(a2, "OFERTAMATRI"),
              (std::vector<std::string>{"6001", "6002", "6001", "6001", "6002", "6002", "6001", "6003"}));
    EXPECT_EQ(a2[1].at("CODLARGO"), "Lengua Cas");
    EXPECT_EQ(a2[1].at("ESTAREA"), "F");
    EXPECT_EQ(a2[1].at("CODTAREA"), "");
}

TEST_F(Materias, NombreLargoSeEncuentraPorSusPrimeros80) {
    const std::string largo = "Proyecto " + std::string(75, 'x') + " Final";  // 90 characters
    ConvertirBien(Documento().Bloque("MATERIAS", {{"6001", "41", largo}, {"6002", "42", largo}}));
    const auto a = Tabla("ASIGNOMT");
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].at("NOMBRE"), largo.substr(0, 80));
    const auto a2 = Tabla("ASIGNOMT2");
    ASSERT_EQ(a2.size(), 2u);
    EXPECT_EQ(a2[1].at("COD"), a[0].at("COD"));
}

TEST_F(Materias, ActividadesComoTareasTrasLasMaterias) {
    ConvertirBien(Documento()
                      .Bloque("ACTIVIDADES", {{"1", "GUARDIA", "Guardia de recreo y biblioteca"},
                                              {"2", "LCL", "Reunión"},
                                              {"3"}})
                      .Bloque("MATERIAS", {{"6001", "41", "Lengua Castellana y Literatura"}}));
    const auto a = Tabla("ASIGNOMT");
    ASSERT_EQ(a.size(), 3u);
    EXPECT_EQ(a[0].at("COD"), "LCL");
    EXPECT_EQ(a[1].at("COD"), "GUARDIA");
    EXPECT_EQ(a[1].at("CODTAREA"), "GUARDIA");
    EXPECT_EQ(a[1].at("CODLARGO"), "Guardia de");
    EXPECT_EQ(a[1].at("ESTAREA"), "T");
    EXPECT_EQ(a[2].at("COD"), "LCL");  // a task key is never made unique
    EXPECT_EQ(Tabla("ASIGNOMT2").size(), 1u);
}

TEST_F(Materias, ConjuntosVaciosEnCadaEjecucion) {
    // Codes left in the sets by an earlier run must not make this run's
    // codes unique against them.
    const auto doc = Documento()
                         .Bloque("MATERIAS", {{"6001", "41", "Lengua Castellana y Literatura"}})
                         .Bloque("CURSOS_DEL_CENTRO", {{"xx", "1º ESO"}});
    EXPECT_EQ(Convertir(doc), core::FinEjecucion::Error);
    estado.ListaCodigos.Agregar("LCL");  // as a stopped run might leave them
    ConvertirBien(Documento().Bloque("MATERIAS", {{"6001", "41", "Lengua Castellana y Literatura"}}));
    EXPECT_EQ(Tabla("ASIGNOMT").at(0).at("COD"), "LCL");
    EXPECT_EQ(estado.ListaCodigos.Tamano(), 0u);
    EXPECT_EQ(estado.ListaNombres.Tamano(), 0u);
}

}  // namespace
}  // namespace prueba
