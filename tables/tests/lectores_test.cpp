// Independent dBase readers and writers agree with the engine, and damaged
// files end in a clear error naming the file.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "exchange/ansi.h"
#include "tables/archivos.h"
#include "tables/esquemas.h"
#include "tables/tabla.h"
#include "tables/tests/apoyo.h"

using namespace tablas;
using prueba::kReloj;

namespace {

bool Hay(const char* programa) {
    return std::filesystem::exists(programa);
}

std::string Ejecutar(const std::string& orden) {
    std::string salida;
    if (std::FILE* p = popen(orden.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) salida.append(buf, n);
        pclose(p);
    }
    return salida;
}

// One row in every working table: accented text in every character field
// (cut to its width), 42 in integers, 2.5 in reals, true in logicals.
std::string Texto() { return "Educaci\xF3n f\xEDsica \xD1"; }

void LlenarFila(Tabla& t) {
    t.Agregar();
    for (int i = 0; i < static_cast<int>(t.Campos().size()); ++i) {
        const Campo& c = t.Campos()[i];
        if (c.tipo == 'C') t.EscribirTexto(i, c.ancho == 1 ? std::string("\xD1") : Texto());
        else if (c.tipo == 'L') t.EscribirLogico(i, true);
        else if (c.decimales == 0) t.EscribirEntero(i, 42);
        else t.EscribirReal(i, 2.5);
    }
    t.Grabar();
}

class Lectores : public prueba::Carpeta {};

TEST_F(Lectores, DbfreadAndDbfdumpReadEveryWorkingTable) {
    if (!Hay("/usr/bin/python3") || !Hay("/usr/bin/dbfdump")) GTEST_SKIP() << "faltan dbfread o dbfdump";
    for (const Esquema* e : esquemas::Trabajo()) {
        Tabla::Crear(dir, *e, kReloj);
        if (!e->indices.empty()) continue;  // created empty, never filled
        Tabla t = Tabla::Abrir(dir / (e->nombre + ".DBF"));
        LlenarFila(t);
        LlenarFila(t);
        t.Cerrar();
    }
    for (const Esquema* e : esquemas::Trabajo()) {
        SCOPED_TRACE(e->nombre);
        const std::string dbf = (dir / (e->nombre + ".DBF")).string();
        // python: field names, then each value as the expected text.
        std::string py = Ejecutar(
            "/usr/bin/python3 -c 'import sys,dbfread\n"
            "t=dbfread.DBF(sys.argv[1],encoding=\"cp1252\")\n"
            "print(\"|\".join(t.field_names))\n"
            "for r in t:\n"
            "  print(\"|\".join(str(v) for v in r.values()))' " + dbf);
        std::string nombres, fila;
        for (const Campo& c : e->campos) {
            nombres += (nombres.empty() ? "" : "|") + c.nombre;
            std::string v;
            if (c.tipo == 'C') {
                std::string ansi = c.ancho == 1 ? std::string("\xD1") : Texto().substr(0, c.ancho);
                while (!ansi.empty() && ansi.back() == ' ') ansi.pop_back();
                v = exchange::AnsiAUtf8(ansi);
            }
            if (c.tipo == 'L') v = "True";
            if (c.tipo == 'N') v = c.decimales ? "2.5" : "42";
            fila += (&c == &e->campos.front() ? "" : "|") + v;
        }
        std::string esperado = nombres + "\n";
        if (e->indices.empty()) esperado += fila + "\n" + fila + "\n";
        EXPECT_EQ(py, esperado);

        std::string dump = Ejecutar("/usr/bin/dbfdump " + dbf);
        if (e->indices.empty()) {
            EXPECT_NE(dump.find("Educaci\xF3n f"), std::string::npos) << dump;
        }
        for (const Campo& c : e->campos) EXPECT_NE(dump.find(c.nombre), std::string::npos) << c.nombre;
    }
}

TEST_F(Lectores, EngineReadsWhatShapelibWrites) {
    if (!Hay("/usr/bin/dbfcreate") || !Hay("/usr/bin/dbfadd")) GTEST_SKIP() << "faltan dbfcreate o dbfadd";
    const std::string f = (dir / "ajena.dbf").string();
    Ejecutar("/usr/bin/dbfcreate " + f + " -s NOMBRE 20 -n HORAS 8 2 -n NUM 6 0");
    Ejecutar("/usr/bin/dbfadd " + f + " \"$(printf '\\321and\\372, \"el\"')\" 2.5 17");
    Ejecutar("/usr/bin/dbfadd " + f + " 'Ana' 0 -3");
    Tabla t = Tabla::Abrir(f);
    ASSERT_EQ(t.ContarFilas(), 2u);
    ASSERT_EQ(t.Campos().size(), 3u);
    EXPECT_EQ(t.LeerTexto("NOMBRE"), "\xD1" "and\xFA, \"el\"");
    EXPECT_DOUBLE_EQ(t.LeerReal("HORAS"), 2.5);
    EXPECT_EQ(t.LeerEntero("NUM"), 17);
    t.Siguiente();
    EXPECT_EQ(t.LeerTexto("NOMBRE"), "Ana");
    EXPECT_EQ(t.LeerEntero("NUM"), -3);
    ASSERT_TRUE(t.Localizar("NUM", {"-3"}));
    t.Siguiente();
    EXPECT_TRUE(t.FinDeTabla());
}

// A valid table of three rows whose bytes the cases below damage.
std::string TablaSana(const std::filesystem::path& dir) {
    const Esquema e{"SANA", {{"A", 'C', 4, 0}, {"B", 'N', 5, 0}}, {}, Nivel::DBase4};
    Tabla::Crear(dir, e, kReloj);
    Tabla t = Tabla::Abrir(dir / "SANA.DBF");
    for (int i = 1; i <= 3; ++i) {
        t.Agregar();
        t.EscribirTexto("A", "f" + std::to_string(i));
        t.EscribirEntero("B", i);
    }
    t.Cerrar();
    return prueba::Leer(dir / "SANA.DBF");  // header 97, record 10, size 128
}

TEST_F(Lectores, DamagedFilesAreReportedNamingTheFile) {
    const std::string sana = TablaSana(dir);
    ASSERT_EQ(sana.size(), 128u);
    struct Caso {
        const char* nombre;
        std::function<void(std::string&)> danar;
    };
    const Caso casos[] = {
        {"vacio", [](std::string& b) { b.clear(); }},
        {"corto", [](std::string& b) { b.resize(20); }},
        {"sin cabecera entera", [](std::string& b) { b.resize(60); }},
        {"truncado", [](std::string& b) { b.resize(b.size() - 8); }},
        {"cuenta absurda", [](std::string& b) { b[4] = b[5] = b[6] = b[7] = '\xFF'; }},
        {"cabecera larga", [](std::string& b) { b[8] = '\x00'; b[9] = '\x10'; }},
        {"cabecera corta", [](std::string& b) { b[8] = 20; b[9] = 0; }},
        {"sin terminador", [](std::string& b) { b[96] = 'X'; }},
        {"registro distinto", [](std::string& b) { b[10] = 11; }},
        {"ancho que se sale", [](std::string& b) { b[32 + 32 + 16] = 200; }},
        {"ancho nulo", [](std::string& b) { b[32 + 16] = 0; }},
        {"no es dBase", [](std::string& b) { b[0] = '<'; }},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        std::string b = sana;
        c.danar(b);
        prueba::Escribir(dir / "ROTA.DBF", b);
        try {
            Tabla t = Tabla::Abrir(dir / "ROTA.DBF");
            for (t.Primero(); !t.FinDeTabla(); t.Siguiente()) t.LeerTexto("A");
            ADD_FAILURE() << "no error";
        } catch (const ErrorTabla& e) {
            EXPECT_NE(std::string(e.what()).find("ROTA.DBF"), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(Tabla::Abrir(dir / "NOEXISTE.DBF"), ErrorTabla);
    std::filesystem::create_directory(dir / "CARPETA.DBF");
    EXPECT_THROW(Tabla::Abrir(dir / "CARPETA.DBF"), ErrorTabla);
}

// Every truncation and many random header corruptions: an error or a
// readable table, never a crash or a read outside the file (run under ASan).
TEST_F(Lectores, HostileBytesNeverCrash) {
    const std::string sana = TablaSana(dir);
    std::uint32_t semilla = 12345;
    auto azar = [&] { return semilla = semilla * 1103515245u + 12345u, (semilla >> 16) & 0x7FFF; };
    for (int caso = 0; caso < 600; ++caso) {
        std::string b = sana;
        if (caso < static_cast<int>(sana.size())) {
            b.resize(static_cast<std::size_t>(caso));
        } else {
            for (int k = 0; k < 3; ++k) b[azar() % 100] = static_cast<char>(azar() & 0xFF);
        }
        prueba::Escribir(dir / "H.DBF", b);
        try {
            Tabla t = Tabla::Abrir(dir / "H.DBF");
            for (t.Primero(); !t.FinDeTabla(); t.Siguiente()) {
                for (int c = 0; c < static_cast<int>(t.Campos().size()); ++c) {
                    t.LeerTexto(c);
                    t.LeerLogico(c);
                    try {
                        t.LeerEntero(c);
                        t.LeerReal(c);
                    } catch (const core::ErrorEjecucion&) {
                    }
                }
            }
            if (!t.Campos().empty()) t.Localizar(t.Campos()[0].nombre, {"f1"});
        } catch (const ErrorTabla& e) {
            EXPECT_NE(std::string(e.what()).find("H.DBF"), std::string::npos) << e.what();
        }
    }
}

TEST_F(Lectores, MissingEndMarkDeletedRowsAndForeignHeaders) {
    std::string b = TablaSana(dir);
    b.pop_back();                   // no 0x1A
    b[97 + 10] = '*';               // second row deleted
    prueba::Escribir(dir / "X.DBF", b);
    {
        Tabla t = Tabla::Abrir(dir / "X.DBF");
        std::string visto;
        for (t.Primero(); !t.FinDeTabla(); t.Siguiente()) visto += t.LeerTexto("A");
        EXPECT_EQ(visto, "f1f3");
        EXPECT_EQ(t.ContarFilas(), 2u);
        EXPECT_FALSE(t.Localizar("A", {"f2"}));
        t.Filtrar("A", "f2");
        EXPECT_TRUE(t.FinDeTabla());
    }
    // FoxPro-style header: version 0x30 and a 263-byte area after the terminator.
    std::string fox = b.substr(0, 97) + std::string(263, '\0') + b.substr(97);
    fox[0] = 0x30;
    fox[8] = static_cast<char>((97 + 263) & 0xFF);
    fox[9] = static_cast<char>((97 + 263) >> 8);
    prueba::Escribir(dir / "FOX.DBF", fox);
    Tabla t = Tabla::Abrir(dir / "FOX.DBF");
    EXPECT_EQ(t.LeerTexto("A"), "f1");
    EXPECT_EQ(t.LeerEntero("B"), 1);
}

TEST_F(Lectores, ReadOnlyTableIsReadButNotChanged) {
    TablaSana(dir);
    std::filesystem::permissions(dir / "SANA.DBF", std::filesystem::perms::owner_read);
    if (std::FILE* f = std::fopen((dir / "SANA.DBF").c_str(), "r+b")) {
        std::fclose(f);
        GTEST_SKIP() << "running with rights that ignore file permissions";
    }
    Tabla t = Tabla::Abrir(dir / "SANA.DBF");
    EXPECT_EQ(t.LeerTexto("A"), "f1");
    EXPECT_THROW(t.Agregar(), ErrorTabla);
}

TEST_F(Lectores, FileNamesIgnoreCase) {
    prueba::Escribir(dir / "proft.dbf", "x");
    prueba::Escribir(dir / "PROFT.DBF", "x");
    prueba::Escribir(dir / "Proft.Mdx", "x");
    EXPECT_EQ(BuscarArchivo(dir, "PROFT.DBF")->filename(), "PROFT.DBF");
    EXPECT_EQ(BuscarArchivo(dir, "proft.mdx")->filename(), "Proft.Mdx");
    EXPECT_TRUE(BorrarSiExiste(dir, "PROFT.DBF"));
    EXPECT_FALSE(ExisteArchivo(dir, "proft.dbf"));
    EXPECT_TRUE(ExisteArchivo(dir, "PROFT.MDX"));
    EXPECT_FALSE(BorrarSiExiste(dir, "PROFT.DBF"));
    EXPECT_THROW(ComprobarCarpetaTrabajo(dir / "NOHAY"), ErrorTabla);
    EXPECT_FALSE(std::filesystem::exists(dir / "NOHAY"));
    EXPECT_NO_THROW(ComprobarCarpetaTrabajo(dir));

    // Creating a table replaces a table of another spelling: one file is left.
    prueba::Escribir(dir / "periodos.dbf", "viejo");
    Tabla::Crear(dir, esquemas::PERIODOS(), kReloj);
    EXPECT_FALSE(std::filesystem::exists(dir / "periodos.dbf"));
    EXPECT_EQ(Tabla::Abrir(*BuscarArchivo(dir, "periodos.dbf")).ContarFilas(), 0u);
}

}  // namespace
