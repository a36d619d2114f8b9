// Teachers and rooms: codes from initials and keys, unique ignoring case.
#include "ayuda.h"

namespace prueba {
namespace {

class Personal : public Escuela {};

TEST_F(Personal, ProfesoresConIniciales) {
    ConvertirBien(Documento().Bloque(
        "EMPLEADOS", {
                         {"E1", "01/09/2019", "x", "ALFA", "BETA", "GAMMA"},
                         {"E2", "", "", "Alba", "Benítez", "Gema"},
                         {"E3", "", "", "Ávila", "Gómez", "Ana"},
                         {"E4", "", "", "ana", "bueno", "gil"},   // abg is taken as ABG
                         {"E5", "", "", "Ana", "", "Gil"},        // empty second part
                         {"E6", "", "", " Ana", "Bo", "Gil"},     // leading space counts for the code
                         {"E7"},                                  // fewer than 2 values
                         {"", "x"},                               // empty key: still a row
                         {"E9", "", "", "ñu", "Ñ", "a"},          // ñ and Ñ are one letter to the set
                         {"E10", "", "", "Ñ", "ñ", "A"},
                     }));
    const auto p = Tabla("PROFT");
    EXPECT_EQ(Columna(p, "ABREV"),
              (std::vector<std::string>{"ABG", "ABG1", "ÁGA", "abg2", "AG", " BG", "", "ñÑa", "ÑñA1"}));
    EXPECT_EQ(p[0].at("NOMBRE"), "ALFA BETA, GAMMA");
    EXPECT_EQ(p[4].at("NOMBRE"), "Ana , Gil");
    EXPECT_EQ(p[5].at("NOMBRE"), "Ana Bo, Gil");
    EXPECT_EQ(p[6].at("NOMBRE"), " ,");  // " , " read without its trailing blank
    EXPECT_EQ(p[0].at("X_EMPLEADO"), "E1");
    EXPECT_EQ(p[0].at("F_TOMAPOS"), "01/09/2019");
    for (const auto& f : p) {
        EXPECT_EQ(f.at("DEPART"), "");
        EXPECT_EQ(f.at("DNI"), "");
    }
}

TEST_F(Personal, Aulas) {
    ConvertirBien(Documento().Bloque(
        "DEPENDENCIAS", {
                            {"AULA205", "Aula 2.05"},
                            {"", "LABORATORIO"},
                            {"", "LABORATORIO DE QUÍMICA"},
                            {"12", "Despacho"},
                            {"12", "Despacho bis"},
                            {"X1001", "Sala"},
                            {"Y1001", "Sala"},
                            {"A1", "a"},
                            {"a1", "b"},
                            {"", "Sum"},
                            {"AULA9"},
                        }));
    const auto a = Tabla("AULAT");
    EXPECT_EQ(Columna(a, "ABREV"),
              (std::vector<std::string>{"A205", "BORA", "ORA1", "12", "121", "1001", "1001", "A1", "a11", "Sum"}));
    EXPECT_EQ(Columna(a, "DEPCENTRO"),
              (std::vector<std::string>{"AULA205", "", "", "12", "12", "X1001", "Y1001", "A1", "a1", ""}));
    EXPECT_EQ(a[2].at("NOMBRE"), "LABORATORIO DE QUÍMICA");
    EXPECT_EQ(a[0].at("EDIFICIO"), "");
    EXPECT_EQ(a[0].at("MAXALUM"), "");
}

TEST_F(Personal, SinBloquesTablasVacias) {
    ConvertirBien(Documento());
    for (const char* t : {"ASIGNOMT", "ASIGNOMT2", "PROFT", "AULAT", "CURSOST", "GRUPOST", "ASIGT", "DIASHORAST",
                          "DIASHORAST2", "PERIODOS"})
        EXPECT_TRUE(Tabla(t).empty()) << t;
    EXPECT_TRUE(fs::exists(trabajo / "DIASHORAST2.MDX"));
}

}  // namespace
}  // namespace prueba
