// Loading exchange documents in every encoding, reading blocks and values,
// and the messages for documents that cannot be read.
#include "exchange/documento.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "exchange/ansi.h"

namespace fs = std::filesystem;

namespace exchange {
namespace {

class DocumentoTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tmv_documento_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_ / "cerrado.xml", fs::perms::owner_all, ec);
        fs::remove_all(dir_, ec);
    }
    fs::path Escribir(const std::string& nombre, const std::string& bytes) {
        const fs::path p = dir_ / nombre;
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    fs::path dir_;
};

std::string Utf16(const std::string& utf8, bool bigEndian) {
    std::u32string cps;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        cps += cp;
        i += n;
    }
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    auto unidad = [&](unsigned u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (char32_t cp : cps) {
        if (cp >= 0x10000) {
            unidad(0xD800 + ((cp - 0x10000) >> 10));
            unidad(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unidad(cp);
        }
    }
    return out;
}

const char* const kCuerpo =
    "<SERVICIO>\n"
    " <BLOQUE_DATOS>\n"
    "  <grupo_datos seq=\"MATERIAS\">\n"
    "   <grupo_datos><dato nombre_dato=\"X\">  10 </dato><dato>Lengua  Castellana</dato></grupo_datos>\n"
    "   <grupo_datos><dato>11</dato><nota>no cuenta</nota><dato>B</dato>texto suelto<dato>C</dato></grupo_datos>\n"
    "  </grupo_datos>\n"
    "  <grupo_datos seq=\"EMPLEADOS\">\n"
    "   <grupo_datos><dato>E1</dato></grupo_datos>\n"
    "  </grupo_datos>\n"
    "  <grupo_datos seq=\"MATERIAS\">\n"
    "   <grupo_datos><dato>12</dato><dato/><dato>  </dato><dato><![CDATA[ <x> ]]></dato>"
    "<dato>A<b>B<c>C</c></b>D</dato><dato>&#241;&#xF1;&#x20AC;&amp;&lt;</dato></grupo_datos>\n"
    "  </grupo_datos>\n"
    "  <grupo_datos seq=\"materias\"><grupo_datos><dato>minusculas</dato></grupo_datos></grupo_datos>\n"
    " </BLOQUE_DATOS>\n"
    "</SERVICIO>\n";

TEST_F(DocumentoTest, BloquesDelMismoNombreSeLeenComoUnoEnOrden) {
    Documento doc;
    ASSERT_TRUE(doc.Cargar(Escribir("a.xml", kCuerpo)));
    const auto regs = LeerBloque(doc, "MATERIAS");
    ASSERT_EQ(regs.size(), 3u);
    EXPECT_EQ(LeerDato(regs[0], 0), "10");
    EXPECT_EQ(LeerDato(regs[1], 0), "11");
    EXPECT_EQ(LeerDato(regs[2], 0), "12");
    EXPECT_EQ(LeerBloque(doc, "EMPLEADOS").size(), 1u);
    EXPECT_EQ(LeerBloque(doc, "materias").size(), 1u);  // names compare exactly
    EXPECT_TRUE(LeerBloque(doc, "UNIDADES").empty());
    EXPECT_TRUE(LeerBloque(doc, "").empty());
}

TEST_F(DocumentoTest, ValoresPorPosicion) {
    Documento doc;
    ASSERT_TRUE(doc.Cargar(Escribir("a.xml", kCuerpo)));
    const auto regs = LeerBloque(doc, "MATERIAS");
    ASSERT_EQ(regs.size(), 3u);

    EXPECT_EQ(ContarDatos(regs[0]), 2);
    EXPECT_EQ(LeerDatoSinRecortar(regs[0], 0), "  10 ");
    EXPECT_EQ(LeerDato(regs[0], 1), "Lengua  Castellana");

    // Only dato elements count; other elements and loose text are skipped.
    EXPECT_EQ(ContarDatos(regs[1]), 3);
    EXPECT_EQ(LeerDato(regs[1], 1), "B");
    EXPECT_EQ(LeerDato(regs[1], 2), "C");

    // Positions the record lacks read as empty text.
    for (int p : {3, 100, -1}) {
        EXPECT_EQ(LeerDato(regs[1], p), "") << p;
        EXPECT_EQ(LeerDatoSinRecortar(regs[1], p), "") << p;
    }

    EXPECT_EQ(ContarDatos(regs[2]), 6);
    EXPECT_EQ(LeerDato(regs[2], 1), "");               // <dato/>
    EXPECT_EQ(LeerDato(regs[2], 2), "");               // spaces only
    EXPECT_EQ(LeerDatoSinRecortar(regs[2], 2), "  ");
    EXPECT_EQ(LeerDato(regs[2], 3), "<x>");            // CDATA
    EXPECT_EQ(LeerDatoSinRecortar(regs[2], 3), " <x> ");
    EXPECT_EQ(LeerDato(regs[2], 4), "ABCD");           // all descendant text
    EXPECT_EQ(LeerDato(regs[2], 5), "\xF1\xF1\x80&<");  // character references
    // Any order of reading gives the same values as reading forwards.
    const std::vector<std::string> adelante = {"12", "", "", "<x>", "ABCD", "\xF1\xF1\x80&<"};
    for (int p : {5, 0, 4, 1, 3, 3, 2, 6, 5}) EXPECT_EQ(LeerDato(regs[2], p), p < 6 ? adelante[p] : "") << p;
    EXPECT_EQ(TextoDeNodo(regs[2].Nodo().child("dato").next_sibling("dato").next_sibling("dato")
                              .next_sibling("dato").next_sibling("dato")),
              "ABCD");
}

TEST_F(DocumentoTest, SoloBajoServicioYBloqueDatos) {
    const std::vector<std::string> fuera = {
        "<OTRO><BLOQUE_DATOS><grupo_datos seq=\"M\"><grupo_datos><dato>1</dato></grupo_datos>"
        "</grupo_datos></BLOQUE_DATOS></OTRO>",
        "<SERVICIO><grupo_datos seq=\"M\"><grupo_datos><dato>1</dato></grupo_datos></grupo_datos></SERVICIO>",
        "<SERVICIO><BLOQUE_DATOS><x><grupo_datos seq=\"M\"><grupo_datos><dato>1</dato></grupo_datos>"
        "</grupo_datos></x></BLOQUE_DATOS></SERVICIO>",
        "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"M\"><registro><dato>1</dato></registro>"
        "</grupo_datos></BLOQUE_DATOS></SERVICIO>",
    };
    for (const auto& xml : fuera) {
        Documento doc;
        ASSERT_TRUE(doc.Cargar(Escribir("f.xml", xml))) << xml;
        EXPECT_TRUE(LeerBloque(doc, "M").empty()) << xml;
    }
}

// The same document in every accepted encoding reads the same values.
TEST_F(DocumentoTest, CadaCodificacionDaLosMismosValores) {
    const std::string valor = "A\xC3\xB1o \xE2\x82\xAC \xC3\x91 \xC5\x82 &#241;";  // Año € Ñ ł &#241;
    const std::string esperado = "A\xF1o \x80 \xD1 ? \xF1";
    auto cuerpo = [&](const std::string& v) {
        return "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"M\"><grupo_datos><dato>" + v +
               "</dato></grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>";
    };
    const std::string latin1 = "A\xF1o &#x20AC; \xD1 &#322; &#241;";
    const std::string cp1252 = "A\xF1o \x80 \xD1 &#322; &#241;";
    struct Caso {
        std::string nombre, bytes;
        Codificacion codificacion;
        bool declaracion;
    };
    const std::vector<Caso> casos = {
        {"utf8-sin-declaracion", cuerpo(valor), Codificacion::Utf8, false},
        {"utf8-bom", "\xEF\xBB\xBF" + cuerpo(valor), Codificacion::Utf8, false},
        {"utf8-declarado", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + cuerpo(valor), Codificacion::Utf8, true},
        {"utf8-bom-declarado", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>" + cuerpo(valor),
         Codificacion::Utf8, true},
        {"utf16le", Utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + cuerpo(valor), false),
         Codificacion::Utf16LE, true},
        {"utf16be", Utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + cuerpo(valor), true),
         Codificacion::Utf16BE, true},
        {"utf16le-sin-bom", Utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + cuerpo(valor), false).substr(2),
         Codificacion::Utf16LE, true},
        {"latin1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + cuerpo(latin1), Codificacion::Latin1, true},
        {"latin1-corto", "<?xml version='1.0' encoding='latin1' standalone='yes'?>" + cuerpo(latin1),
         Codificacion::Latin1, true},
        {"windows1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n" + cuerpo(cp1252),
         Codificacion::Windows1252, true},
        {"cp1252", "<?xml version=\"1.0\" encoding = 'CP1252' ?>" + cuerpo(cp1252), Codificacion::Windows1252, true},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        Documento doc;
        const auto r = doc.Cargar(Escribir(c.nombre + ".xml", c.bytes));
        ASSERT_TRUE(r) << r.mensaje;
        EXPECT_EQ(doc.CodificacionLeida(), c.codificacion);
        EXPECT_EQ(doc.TieneDeclaracion(), c.declaracion);
        const auto regs = LeerBloque(doc, "M");
        ASSERT_EQ(regs.size(), 1u);
        EXPECT_EQ(LeerDato(regs[0], 0), esperado);
    }
}

// A text that is not valid in its declared encoding loses nothing else.
TEST_F(DocumentoTest, Utf8MalFormadoDaInterrogacion) {
    Documento doc;
    ASSERT_TRUE(doc.Cargar(Escribir("m.xml",
        "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"M\"><grupo_datos><dato>Espa\xF1" "a</dato>"
        "</grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>")));
    EXPECT_EQ(LeerDato(LeerBloque(doc, "M").at(0), 0), "Espa?a");
}

TEST_F(DocumentoTest, Utf16DeclaradoSinMarcaDeOrden) {
    Documento doc;
    const auto r = doc.Cargar(Escribir("u16.xml", "<?xml version=\"1.0\" encoding=\"UTF-16\"?><SERVICIO/>"));
    EXPECT_FALSE(r);
    EXPECT_NE(r.mensaje.find("'UTF-16' pero no est\xE1 escrito en ella"), std::string::npos) << r.mensaje;
}

TEST_F(DocumentoTest, CodificacionNoAdmitida) {
    Documento doc;
    const auto r = doc.Cargar(Escribir("sjis.xml", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><SERVICIO/>"));
    EXPECT_FALSE(r);
    EXPECT_NE(r.mensaje.find("sjis.xml"), std::string::npos) << r.mensaje;
    EXPECT_NE(r.mensaje.find("'Shift_JIS'"), std::string::npos) << r.mensaje;
    EXPECT_NE(r.mensaje.find("codificaci\xF3n"), std::string::npos) << r.mensaje;
}

TEST_F(DocumentoTest, DocumentoMalFormadoDaMotivoLineaYColumna) {
    struct Caso {
        std::string nombre, bytes, motivo;
        std::size_t linea, columna;
    };
    const std::vector<Caso> casos = {
        {"cierre", "<SERVICIO>\n  <BLOQUE_DATOS>\n  </BLOQUE>\n</SERVICIO>", "etiqueta de cierre que no corresponde", 3, 5},
        {"sin-cerrar", "<SERVICIO>\n<BLOQUE_DATOS>\n", "etiqueta de cierre que no corresponde", 2, 15},
        {"vacio", "", "no tiene elemento ra\xEDz", 1, 1},
        {"solo-espacios", "   \n ", "no tiene elemento ra\xEDz", 2, 1},
        {"atributo", "<SERVICIO>\n<grupo_datos seq=M/>\n</SERVICIO>", "atributo mal formado", 2, 18},
        {"comentario", "<SERVICIO><!-- sin fin </SERVICIO>", "comentario mal formado", 1, 15},
        // Columns count characters, not bytes: "ñññ" is three.
        {"columna-caracteres", "<SERVICIO>\n<dato>\xC3\xB1\xC3\xB1\xC3\xB1</datos>\n</SERVICIO>",
         "etiqueta de cierre que no corresponde", 2, 12},
        {"columna-utf16", Utf16("<SERVICIO>\n<dato>\xC3\xB1\xF0\x9F\x98\x80\xC3\xB1</datos>\n</SERVICIO>", true),
         "etiqueta de cierre que no corresponde", 2, 12},
        {"nulo", std::string("<SERVICIO>\n<dato>a\0b</dato></SERVICIO>", 35), "car\xE1" "cter nulo", 2, 8},
        {"columna-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<SERVICIO>\r\n<dato>\xF1\x80\xF1</datos>",
         "etiqueta de cierre que no corresponde", 3, 12},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nombre);
        Documento doc;
        const auto r = doc.Cargar(Escribir(c.nombre + ".xml", c.bytes));
        ASSERT_FALSE(r);
        EXPECT_NE(r.mensaje.find(c.nombre + ".xml"), std::string::npos) << r.mensaje;
        EXPECT_NE(r.mensaje.find(c.motivo), std::string::npos) << r.mensaje;
        EXPECT_EQ(r.linea, c.linea) << r.mensaje;
        EXPECT_EQ(r.columna, c.columna) << r.mensaje;
        EXPECT_NE(r.mensaje.find("l\xEDnea " + std::to_string(c.linea) + ", columna " + std::to_string(c.columna)),
                  std::string::npos) << r.mensaje;
        EXPECT_TRUE(LeerBloque(doc, "M").empty());
    }
}

TEST_F(DocumentoTest, ArchivoQueNoSePuedeLeer) {
    Documento doc;
    auto r = doc.Cargar(dir_ / "no_existe.xml");
    EXPECT_FALSE(r);
    EXPECT_NE(r.mensaje.find("no_existe.xml"), std::string::npos) << r.mensaje;
    EXPECT_NE(r.mensaje.find("no existe"), std::string::npos) << r.mensaje;
    EXPECT_EQ(r.linea, 0u);

    fs::create_directories(dir_ / "carpeta.xml");
    r = doc.Cargar(dir_ / "carpeta.xml");
    EXPECT_FALSE(r);
    EXPECT_NE(r.mensaje.find("carpeta"), std::string::npos) << r.mensaje;

    const fs::path cerrado = Escribir("cerrado.xml", "<SERVICIO/>");
    fs::permissions(cerrado, fs::perms::none);
    if (std::ifstream(cerrado).good()) GTEST_SKIP() << "running with rights that ignore file permissions";
    r = doc.Cargar(cerrado);
    EXPECT_FALSE(r);
    EXPECT_NE(r.mensaje.find("cerrado.xml"), std::string::npos) << r.mensaje;
    EXPECT_NE(r.mensaje.find("permiso"), std::string::npos) << r.mensaje;
}

TEST_F(DocumentoTest, NombreConAcentosEnElMensaje) {
    Documento doc;
    const auto r = doc.Cargar(dir_ / "horario_a\xC3\xB1o.xml");
    EXPECT_NE(r.mensaje.find("horario_a\xF1o.xml"), std::string::npos) << r.mensaje;
}

TEST_F(DocumentoTest, UnaCargaFallidaNoDejaElDocumentoAnterior) {
    Documento doc;
    ASSERT_TRUE(doc.Cargar(Escribir("a.xml", kCuerpo)));
    ASSERT_FALSE(doc.Cargar(Escribir("b.xml", "<SERVICIO>")));
    EXPECT_TRUE(LeerBloque(doc, "MATERIAS").empty());
}

// Entities a DOCTYPE defines are never expanded and nothing is fetched.
TEST_F(DocumentoTest, DoctypeConEntidadesNoSeExpande) {
    const std::string xml =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE SERVICIO [\n"
        "  <!ENTITY interna \"EXPANDIDA\">\n"
        "  <!ENTITY externa SYSTEM \"file:///etc/passwd\">\n"
        "  <!ENTITY lol \"lol\">\n"
        "  <!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n"
        "  <!ENTITY lol2 \"&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;\">\n"
        "  <!ELEMENT SERVICIO ANY>\n"
        "]>\n"
        "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"M\"><grupo_datos>"
        "<dato>&interna;</dato><dato>&externa;</dato><dato>&lol2;</dato>"
        "</grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>";
    Documento doc;
    const auto r = doc.Cargar(Escribir("dtd.xml", xml));
    ASSERT_TRUE(r) << r.mensaje;
    const auto regs = LeerBloque(doc, "M");
    ASSERT_EQ(regs.size(), 1u);
    EXPECT_EQ(LeerDato(regs[0], 0), "&interna;");
    EXPECT_EQ(LeerDato(regs[0], 1), "&externa;");
    EXPECT_EQ(LeerDato(regs[0], 2), "&lol2;");
}

TEST_F(DocumentoTest, AnidamientoProfundoDentroDeUnDato) {
    std::string xml = "<SERVICIO><BLOQUE_DATOS><grupo_datos seq=\"M\"><grupo_datos><dato>";
    for (int i = 0; i < 200000; ++i) xml += "<x>";
    xml += "hondo";
    for (int i = 0; i < 200000; ++i) xml += "</x>";
    xml += "fin</dato></grupo_datos></grupo_datos></BLOQUE_DATOS></SERVICIO>";
    Documento doc;
    ASSERT_TRUE(doc.Cargar(Escribir("hondo.xml", xml)));
    EXPECT_EQ(LeerDato(LeerBloque(doc, "M").at(0), 0), "hondofin");
}

TEST_F(DocumentoTest, ElPrologoSeConserva) {
    Documento doc;
    ASSERT_TRUE(doc.Cargar(Escribir("p.xml",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- exportado -->\n<SERVICIO><BLOQUE_DATOS>"
        "<grupo_datos seq=\"CURSO\"><dato>2026/2027</dato></grupo_datos></BLOQUE_DATOS></SERVICIO>")));
    const pugi::xml_node decl = doc.Dom().first_child();
    ASSERT_EQ(decl.type(), pugi::node_declaration);
    EXPECT_STREQ(decl.attribute("encoding").value(), "ISO-8859-1");
    EXPECT_EQ(decl.next_sibling().type(), pugi::node_comment);
    EXPECT_EQ(TextoDeNodo(doc.Dom().child("SERVICIO").child("BLOQUE_DATOS").first_child()), "2026/2027");
}

}  // namespace
}  // namespace exchange
