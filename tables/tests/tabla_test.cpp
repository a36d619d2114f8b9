#include <cstdio>

#include <gtest/gtest.h>

#include "tables/esquemas.h"
#include "tables/formato.h"
#include "tables/tabla.h"
#include "tables/tests/apoyo.h"

using namespace tablas;
using prueba::kReloj;

namespace {

const Esquema kMini{"MINI",
                    {{"NOMBRE", 'C', 5, 0}, {"CANT", 'N', 6, 2}, {"ACTIVO", 'L', 1, 0}, {"FECHA", 'D', 8, 0}},
                    {},
                    Nivel::DBase4};

class TablaTest : public prueba::Carpeta {};

TEST_F(TablaTest, TinyTableOfEveryTypeHasTheExpectedBytes) {
    Tabla::Crear(dir, kMini, kReloj);
    {
        Tabla t = Tabla::Abrir(dir / "MINI.DBF", Acceso::Exclusivo, &kReloj);
        t.Agregar();
        t.EscribirTexto("NOMBRE", "\xD1u y m\xE1s");  // cut to 5
        t.EscribirReal("CANT", -0.5);
        t.EscribirLogico("ACTIVO", true);
        t.EscribirTexto("FECHA", "20251115");
        t.Grabar();
        t.Agregar();  // every field left empty
        t.Grabar();
        t.Agregar();
        t.EscribirEntero("CANT", 12);
        t.EscribirLogico("ACTIVO", false);
        t.Cerrar();  // posts the pending row
    }
    std::string e;
    e += std::string("\x03\x7D\x0B\x0F\x03\x00\x00\x00", 8);
    e += std::string("\xA1\x00\x15\x00", 4);  // header 161, record 21
    e += std::string(16, '\0');
    e += std::string("\x00\x03\x00\x00", 4);
    auto desc = [](std::string nombre, char tipo, int ancho, int dec) {
        std::string d = nombre + std::string(11 - nombre.size(), '\0');
        d += tipo;
        d += std::string(4, '\0');
        d += static_cast<char>(ancho);
        d += static_cast<char>(dec);
        d += std::string(14, '\0');
        return d;
    };
    e += desc("NOMBRE", 'C', 5, 0) + desc("CANT", 'N', 6, 2) + desc("ACTIVO", 'L', 1, 0) + desc("FECHA", 'D', 8, 0);
    e += '\x0D';
    e += std::string(" \xD1u y  -0.50T20251115", 21);
    e += std::string(21, ' ');
    e += " " + std::string(5, ' ') + " 12.00F" + std::string(8, ' ');
    e += '\x1A';
    EXPECT_EQ(prueba::Leer(dir / "MINI.DBF"), e);
    // The empty table: header, terminator and end-of-file mark only.
    Tabla::Crear(dir, kMini, kReloj);
    std::string vacia = e.substr(0, 161) + '\x1A';
    vacia[4] = 0;
    EXPECT_EQ(prueba::Leer(dir / "MINI.DBF"), vacia);
}

TEST_F(TablaTest, EmptyOrderIndexOfDiasHoras2) {
    Tabla::Crear(dir, esquemas::DIASHORAST2(), kReloj);
    std::string dbf = prueba::Leer(dir / "DIASHORAST2.DBF");
    ASSERT_EQ(dbf.size(), 32u + 12 * 32 + 1 + 1);
    EXPECT_EQ(dbf[28], 1);
    EXPECT_EQ(dbf.substr(32 + 11 * 32, 6), std::string("ORDEN\0", 6));
    EXPECT_EQ(dbf[32 + 11 * 32 + 31], 1);
    EXPECT_EQ(dbf[32 + 10 * 32 + 31], 0);

    std::string m = prueba::Leer(dir / "DIASHORAST2.MDX");
    std::string e(4096, '\0');
    auto pon = [&](std::size_t at, std::string b) { e.replace(at, b.size(), b); };
    pon(0, std::string("\x02\x7D\x0B\x0F" "DIASHORAST2", 15));
    pon(20, std::string("\x02\x00\x00\x04\x01\x30\x20\x00\x01\x00\x02\x1B\x08", 13));
    pon(44, "\x7D\x0B\x0F");
    pon(529, "\x01");
    pon(544, std::string("\x04\x00\x00\x00ORDEN", 9));
    pon(544 + 15, "\x10");
    pon(544 + 19, "\x02N");
    pon(2048, std::string("\x06\x00\x00\x00\x02\x00\x00\x00\x10N\x00\x1B\x0C\x00\x3F\x00\x00\x00\x10\x00\x01", 21));
    pon(2048 + 24, "ORDEN");
    pon(2048 + 248, std::string("\x06\x00\x00\x00\x06\x00\x00\x00", 8));
    pon(2048 + 257, "\x7D\x0B\x0F");
    pon(2048 + 480, "\x01");
    EXPECT_EQ(m, e);
}

TEST_F(TablaTest, LevelSevenHeaderKeepsLongFieldNames) {
    Tabla::Crear(dir, esquemas::NIVELLARI(), kReloj);
    std::string b = prueba::Leer(dir / "NIVELLARI.DBF");
    ASSERT_EQ(b.size(), 68u + 3 * 48 + 1 + 1);
    EXPECT_EQ(b.substr(0, 4), std::string("\x04\x7D\x0B\x0F", 4));
    EXPECT_EQ(static_cast<unsigned char>(b[8]), 213u);  // 68 + 3 * 48 + 1
    EXPECT_EQ(b.substr(32, 9), std::string("DBWINWE0\0", 9));
    EXPECT_EQ(b.substr(68, 15), std::string("X_OFERTAMATRIG\0", 15));
    EXPECT_EQ(b.substr(68 + 32, 3), std::string("N\x0B\x00", 3));
    EXPECT_EQ(b[68 + 3 * 48], '\x0D');
    Tabla t = Tabla::Abrir(dir / "NIVELLARI.DBF");
    ASSERT_EQ(t.Campos().size(), 3u);
    EXPECT_EQ(t.Campos()[0].nombre, "X_OFERTAMATRIG");
    EXPECT_EQ(t.Campos()[2].ancho, 80);
}

TEST_F(TablaTest, ValuesReadBackAsStored) {
    Tabla::Crear(dir, esquemas::ASIGT(), kReloj);
    Tabla t = Tabla::Abrir(dir / "ASIGT.DBF");
    t.Agregar();
    t.EscribirTexto("CASIG", "MAT  ");
    t.EscribirReal("HORAS", 2.5);
    t.EscribirEntero("CTAREA", 1);
    t.EscribirTexto("SESIONES", std::string(25, '1'));
    t.Grabar();
    t.Primero();
    ASSERT_FALSE(t.FinDeTabla());
    EXPECT_EQ(t.LeerTexto("CASIG"), "MAT");
    EXPECT_EQ(t.LeerTexto("horas"), "2.5000");
    EXPECT_DOUBLE_EQ(t.LeerReal("HORAS"), 2.5);
    EXPECT_EQ(t.LeerEntero("CTAREA"), 1);
    EXPECT_EQ(t.LeerTexto("SESIONES"), std::string(20, '1'));
    EXPECT_EQ(t.LeerTexto("CPROF"), "");
    EXPECT_EQ(t.LeerEntero("CPROF"), 0);  // blank reads as 0
    EXPECT_THROW(t.LeerEntero("CASIG"), core::ErrorConversion);
    EXPECT_THROW(t.LeerTexto("NOEXISTE"), ErrorTabla);
    t.Siguiente();
    EXPECT_TRUE(t.FinDeTabla());
    EXPECT_THROW({ t.Agregar(); t.EscribirReal("HORAS", 1e30); }, ErrorTabla);
}

TEST_F(TablaTest, NameOf80CharactersAndFirstOnEmptyTable) {
    Tabla::Crear(dir, esquemas::ASIGNOMT(), kReloj);
    Tabla t = Tabla::Abrir(dir / "ASIGNOMT.DBF");
    t.Primero();
    EXPECT_TRUE(t.FinDeTabla());
    EXPECT_EQ(t.ContarFilas(), 0u);
    std::string n81(80, 'a');
    n81 += 'Z';
    t.Agregar();
    t.EscribirTexto("NOMBRE", n81);
    t.Grabar();
    t.Cerrar();
    Tabla r = Tabla::Abrir(dir / "ASIGNOMT.DBF");
    EXPECT_EQ(r.ContarFilas(), 1u);
    EXPECT_EQ(r.LeerTexto("NOMBRE"), std::string(80, 'a'));
}

// Locate and filter: first row in stored order, after appends and after edits.
TEST_F(TablaTest, LocateAndFilterFollowAppendsAndEdits) {
    Tabla::Crear(dir, esquemas::DIASHORAST(), kReloj);
    Tabla t = Tabla::Abrir(dir / "DIASHORAST.DBF");
    auto fila = [&](const char* diho, const char* marco, const char* hora) {
        t.Agregar();
        t.EscribirTexto("DIHO", diho);
        t.EscribirTexto("MARCOXML", marco);
        t.EscribirTexto("HORA", hora);
        t.Grabar();
    };
    fila("11", "A", "1");
    fila("12", "A", "2");
    EXPECT_FALSE(t.Localizar("DIHO;MARCOXML", {"11", "B"}));
    fila("11", "B", "3");
    fila("11", "A", "4");  // a later duplicate never wins
    ASSERT_TRUE(t.Localizar("DIHO;MARCOXML", {"11", "B"}));
    EXPECT_EQ(t.LeerTexto("HORA"), "3");
    ASSERT_TRUE(t.Localizar("DIHO;MARCOXML", {"11", "A"}));
    EXPECT_EQ(t.LeerTexto("HORA"), "1");
    EXPECT_FALSE(t.Localizar("DIHO;MARCOXML", {"11", "a"}));   // case-sensitive
    EXPECT_FALSE(t.Localizar("DIHO;MARCOXML", {"1", "1A"}));   // whole values
    EXPECT_TRUE(t.Localizar("DIHO", {"12  "}));                // trailing blanks as read

    // Editing the first match moves the answer to the next row in stored order.
    ASSERT_TRUE(t.Localizar("DIHO;MARCOXML", {"11", "A"}));
    t.Editar();
    t.EscribirTexto("MARCOXML", "Z");
    t.Siguiente();  // posts the edit
    ASSERT_TRUE(t.Localizar("DIHO;MARCOXML", {"11", "A"}));
    EXPECT_EQ(t.LeerTexto("HORA"), "4");

    t.Filtrar("MARCOXML", "A");
    std::string visto;
    for (; !t.FinDeTabla(); t.Siguiente()) visto += t.LeerTexto("HORA");
    EXPECT_EQ(visto, "24");
    fila("13", "A", "5");
    visto.clear();
    for (t.Primero(); !t.FinDeTabla(); t.Siguiente()) visto += t.LeerTexto("HORA");
    EXPECT_EQ(visto, "245");
    t.Filtrar("MARCOXML", "Q");
    EXPECT_TRUE(t.FinDeTabla());
    t.QuitarFiltro();
    visto.clear();
    for (t.Primero(); !t.FinDeTabla(); t.Siguiente()) visto += t.LeerTexto("HORA");
    EXPECT_EQ(visto, "12345");
    EXPECT_EQ(t.ContarFilas(), 5u);
    t.Cerrar();

    Tabla r = Tabla::Abrir(dir / "DIASHORAST.DBF");
    EXPECT_EQ(r.ContarFilas(), 5u);
    ASSERT_TRUE(r.Localizar("DIHO;MARCOXML", {"11", "Z"}));
    EXPECT_EQ(r.LeerTexto("HORA"), "1");
}

TEST_F(TablaTest, NumericKeyFoundByWholeNumber) {
    Tabla::Crear(dir, esquemas::NIVELLARI(), kReloj);
    {
        Tabla t = Tabla::Abrir(dir / "NIVELLARI.DBF");
        for (int k : {30, 12, 7}) {
            t.Agregar();
            t.EscribirEntero("X_OFERTAMATRIG", k);
            t.EscribirTexto("NIVEL_ABREV", "N" + std::to_string(k));
        }
    }
    Tabla t = Tabla::Abrir(dir / "NIVELLARI.DBF");
    ASSERT_TRUE(t.Localizar("X_OFERTAMATRIG", {"12"}));
    EXPECT_EQ(t.LeerTexto("NIVEL_ABREV"), "N12");
    EXPECT_EQ(t.LeerEntero("X_OFERTAMATRIG"), 12);
    EXPECT_FALSE(t.Localizar("X_OFERTAMATRIG", {"13"}));
}

TEST_F(TablaTest, ExclusiveOpenFailsWhileAnotherHoldsTheTable) {
    Tabla::Crear(dir, esquemas::PROFT(), kReloj);
    Tabla a = Tabla::Abrir(dir / "PROFT.DBF", Acceso::Exclusivo);
    EXPECT_THROW(Tabla::Abrir(dir / "PROFT.DBF", Acceso::Exclusivo), ErrorTabla);
    EXPECT_THROW(Tabla::Abrir(dir / "PROFT.DBF", Acceso::Compartido), ErrorTabla);
    a.Cerrar();
    Tabla b = Tabla::Abrir(dir / "PROFT.DBF", Acceso::Compartido);
    Tabla c = Tabla::Abrir(dir / "PROFT.DBF", Acceso::Compartido);
    EXPECT_TRUE(c.Abierta());
}

}  // namespace
