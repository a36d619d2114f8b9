// The text rules that clean values and build codes, and the code sets.
#include "exchange/texto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace exchange {
namespace {

TEST(Espacios, QuitanSoloEspaciosDelBordeQuePideCadaRegla) {
    struct Caso {
        std::string texto, ambos, izq, der;
    };
    const std::vector<Caso> casos = {
        {"  Lengua  ", "Lengua", "Lengua  ", "  Lengua"},
        {"   ", "", "", ""},
        {"", "", "", ""},
        {"a b", "a b", "a b", "a b"},
        {"\tx\t", "\tx\t", "\tx\t", "\tx\t"},         // tabs are not spaces
        {" \xA0x\xA0 ", "\xA0x\xA0", "\xA0x\xA0 ", " \xA0x\xA0"},  // nor is the no-break space
    };
    for (const auto& c : casos) {
        SCOPED_TRACE("'" + c.texto + "'");
        EXPECT_EQ(QuitarEspacios(c.texto), c.ambos);
        EXPECT_EQ(QuitarEspaciosIzq(c.texto), c.izq);
        EXPECT_EQ(QuitarEspaciosDer(c.texto), c.der);
    }
}

TEST(IzquierdaDerecha, CuentanCaracteresDeOchoBits) {
    struct Caso {
        std::string texto;
        int n;
        std::string izq, der;
    };
    const std::vector<Caso> casos = {
        {"Matem\xE1ticas", 6, "Matem\xE1", "\xE1ticas"},
        {"AULA012", 4, "AULA", "A012"},
        {"AULA012", 7, "AULA012", "AULA012"},
        {"AULA012", 50, "AULA012", "AULA012"},
        {"AULA012", 0, "", ""},
        {"AULA012", -3, "", ""},
        {"", 5, "", ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.texto + " " + std::to_string(c.n));
        EXPECT_EQ(Izquierda(c.texto, c.n), c.izq);
        EXPECT_EQ(Derecha(c.texto, c.n), c.der);
    }
}

TEST(SoloMayusculas, TomaSoloAaZ) {
    EXPECT_EQ(SoloMayusculas("Lengua Castellana y Literatura"), "LCL");
    EXPECT_EQ(SoloMayusculas("\xC1LGEBRA"), "LGEBRA");          // Á is not a capital here
    EXPECT_EQ(SoloMayusculas("matem\xE1ticas"), "");
    EXPECT_EQ(SoloMayusculas("\xD1" "A\xD1" "O 2\xBA B"), "AOB");  // Ñ neither
}

TEST(LetrasTrasEspacio, ElCaracterQueSigueACadaEspacio) {
    EXPECT_EQ(LetrasTrasEspacio("Educaci\xF3n f\xEDsica"), "f");
    EXPECT_EQ(LetrasTrasEspacio("Ciencias de la Naturaleza"), "dlN");
    EXPECT_EQ(LetrasTrasEspacio("Lengua  Extranjera"), " E");
    EXPECT_EQ(LetrasTrasEspacio("Lengua "), "");
    EXPECT_EQ(LetrasTrasEspacio(" a"), "a");
    EXPECT_EQ(LetrasTrasEspacio(" "), "");
    EXPECT_EQ(LetrasTrasEspacio(""), "");
    EXPECT_EQ(LetrasTrasEspacio("Lengua\tExtranjera"), "");
}

TEST(AcortarCodigo, OchoPrimerosYDosUltimosPasadosLosDiez) {
    EXPECT_EQ(AcortarCodigo("ABCDEFGHIJK"), "ABCDEFGHJK");
    EXPECT_EQ(AcortarCodigo("ABCDEFGHIJ"), "ABCDEFGHIJ");
    EXPECT_EQ(AcortarCodigo("ABCDEFGHIJKLMNOPQRST"), "ABCDEFGHST");
    EXPECT_EQ(AcortarCodigo(""), "");
}

TEST(MayusculasMinusculasAZ, NoTocanLetrasAcentuadas) {
    EXPECT_EQ(MayusculasAZ("exportar \xE1\xF1\xFC 9z"), "EXPORTAR \xE1\xF1\xFC 9Z");
    EXPECT_EQ(MinusculasAZ("IMPORTAR \xC1\xD1\xDC 9Z"), "importar \xC1\xD1\xDC 9z");
}

TEST(ConjuntoCodigos, ExactoDistingueMayusculas) {
    ConjuntoCodigos c(Comparacion::Exacta);
    c.Agregar("MAT");
    c.Agregar("Espa\xF1ol");
    EXPECT_TRUE(c.Contiene("MAT"));
    EXPECT_FALSE(c.Contiene("mat"));
    EXPECT_TRUE(c.Contiene("Espa\xF1ol"));
    EXPECT_FALSE(c.Contiene("ESPA\xD1OL"));
    EXPECT_FALSE(c.Contiene("MAT "));
    c.Agregar("MAT");
    EXPECT_EQ(c.Tamano(), 2u);
}

TEST(ConjuntoCodigos, IgnorarCaseCubreTodasLasLetrasDeWindows1252) {
    // Each pair must match both ways; the others must not.
    const std::vector<std::pair<std::string, std::string>> iguales = {
        {"mat", "MAT"},           {"a\xF1o", "A\xD1O"},   {"\xE1rbol", "\xC1RBOL"},
        {"g\xFC" "ero", "G\xDC" "ERO"},  {"\xE7", "\xC7"},  {"\xFE", "\xDE"},
        {"\x9A", "\x8A"},         {"\x9C", "\x8C"},       {"\x9E", "\x8E"},
        {"\xFF", "\x9F"},         {"aB1-\xE9", "Ab1-\xC9"},
    };
    for (const auto& [a, b] : iguales) {
        ConjuntoCodigos c1(Comparacion::IgnorarCase), c2(Comparacion::IgnorarCase);
        c1.Agregar(a);
        c2.Agregar(b);
        EXPECT_TRUE(c1.Contiene(b)) << a << " / " << b;
        EXPECT_TRUE(c2.Contiene(a)) << a << " / " << b;
    }
    const std::vector<std::pair<std::string, std::string>> distintos = {
        {"\xF7", "\xD7"},  // division and multiplication signs are not letters
        {"\xDF", "SS"},    {"\xF1", "N"},   {"\xE1", "A"},  {"[", "{"},  {"@", "`"},
    };
    for (const auto& [a, b] : distintos) {
        ConjuntoCodigos c(Comparacion::IgnorarCase);
        c.Agregar(a);
        EXPECT_FALSE(c.Contiene(b)) << a << " / " << b;
    }
}

TEST(CodigoUnico, ConstruyeCadaCandidatoDesdeLaBase) {
    ConjuntoCodigos c(Comparacion::Exacta);
    c.Agregar("MAT1");
    EXPECT_EQ(CodigoUnico("MAT", c), "MAT");
    c.Agregar("MAT");
    EXPECT_EQ(CodigoUnico("MAT", c), "MAT2");
    for (int k = 2; k <= 9; ++k) c.Agregar("MAT" + std::to_string(k));
    EXPECT_EQ(CodigoUnico("MAT", c), "MAT10");
    c.Agregar("MAT10");
    EXPECT_EQ(CodigoUnico("MAT", c), "MAT11");
    EXPECT_EQ(c.Tamano(), 11u);  // the rule adds nothing itself
    c.Agregar("MAT12");
    EXPECT_EQ(CodigoUnico("MAT", c), "MAT11");  // never built from a previous candidate
}

TEST(CodigoUnico, SigueLaComparacionDelConjunto) {
    ConjuntoCodigos c(Comparacion::IgnorarCase);
    c.Agregar("PE\xD1" "A");
    c.Agregar("pe\xF1" "a1");
    EXPECT_EQ(CodigoUnico("Pe\xF1" "a", c), "Pe\xF1" "a2");
    ConjuntoCodigos e(Comparacion::Exacta);
    e.Agregar("PE\xD1" "A");
    EXPECT_EQ(CodigoUnico("Pe\xF1" "a", e), "Pe\xF1" "a");
}

}  // namespace
}  // namespace exchange
