// The streaming writer: its layout, escaping, encodings (read back by an
// independent XML parser) and the all-or-nothing replacement of the output.
#include "exchange/escritor.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/errores.h"

namespace fs = std::filesystem;
using exchange::CodificacionSalida;
using exchange::EscritorXML;
using exchange::FormatoSalida;

namespace {

class Carpeta {
public:
    Carpeta() {
        std::random_device r;
        ruta_ = fs::temp_directory_path() / ("tmv_escritor_" + std::to_string(r()) + std::to_string(r()));
        fs::create_directories(ruta_);
    }
    ~Carpeta() {
        std::error_code ec;
        fs::permissions(ruta_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(ruta_, ec);
    }
    const fs::path& operator()() const { return ruta_; }
    int Archivos() const {
        int n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(ruta_)) ++n;
        return n;
    }

private:
    fs::path ruta_;
};

std::string Leer(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void Escribir(const fs::path& p, const std::string& bytes) {
    std::ofstream f(p, std::ios::binary);
    f << bytes;
}

std::string Ejecutar(const std::string& orden) {
    std::string salida;
    if (FILE* t = popen(orden.c_str(), "r")) {
        char b[4096];
        std::size_t n;
        while ((n = std::fread(b, 1, sizeof b, t)) > 0) salida.append(b, n);
        pclose(t);
    }
    return salida;
}

// The values of the written document as an independent parser sees them:
// one line per element, "name|attr=value|...|text" in UTF-8.
std::string LeidoPorPython(const fs::path& archivo) {
    const std::string guion =
        "import sys, xml.etree.ElementTree as ET\n"
        "r = ET.parse(sys.argv[1]).getroot()\n"
        "for e in r.iter():\n"
        "    a = '|'.join(k + '=' + v for k, v in e.attrib.items())\n"
        "    t = (e.text or '') if len(e) == 0 else ''\n"
        "    sys.stdout.buffer.write((e.tag + '|' + a + '|' + t + '\\n').encode('utf-8'))\n";
    const fs::path py = archivo.parent_path() / "leer.py";
    Escribir(py, guion);
    return Ejecutar("/usr/bin/python3 '" + py.string() + "' '" + archivo.string() + "' 2>&1");
}

// Writes a small document with the values that test escaping and encodings.
void DocumentoDePrueba(EscritorXML& w) {
    w.Abrir("SERVICIO");
    w.Atributo("modulo", "HORARIOS");
    w.Atributo("fecha", "a\"b<c>&d'e");
    w.Abrir("BLOQUE_DATOS");
    w.Abrir("grupo_datos");
    w.Atributo("seq", "HORARIOS_REGULARES");
    w.Atributo("registros", std::int64_t{12});
    // Windows-1252: Ñandú, euro, low quote, oe, and an undefined byte.
    w.ElementoConTexto("dato", "nombre_dato", "X_EMPLEADO", "\xD1" "and\xFA \x80\x82\x9C\x81");
    w.ElementoConTexto("dato", "nombre_dato", "VAC\xCD" "O", "");
    w.ElementoConTexto("dato", "nombre_dato", "ESC", "1 < 2 && 3 > 2 \"x\"");
    w.Cerrar();
    w.Abrir("grupo_datos");
    w.Atributo("seq", "ANNO");
    w.Cerrar();
    w.Cerrar();
    w.Cerrar();
}

}  // namespace

TEST(EscritorXML, WritesTheLayoutADomSaveGives) {
    Carpeta c;
    const fs::path destino = c() / "salida.xml";
    {
        EscritorXML w(destino, FormatoSalida{});
        DocumentoDePrueba(w);
        w.Terminar();
    }
    EXPECT_EQ(Leer(destino),
              "<SERVICIO modulo=\"HORARIOS\" fecha=\"a&quot;b&lt;c&gt;&amp;d'e\">\n"
              "\t<BLOQUE_DATOS>\n"
              "\t\t<grupo_datos seq=\"HORARIOS_REGULARES\" registros=\"12\">\n"
              "\t\t\t<dato nombre_dato=\"X_EMPLEADO\">\xC3\x91" "and\xC3\xBA \xE2\x82\xAC\xE2\x80\x9A\xC5\x93\xC2\x81</dato>\n"
              "\t\t\t<dato nombre_dato=\"VAC\xC3\x8DO\" />\n"
              "\t\t\t<dato nombre_dato=\"ESC\">1 &lt; 2 &amp;&amp; 3 &gt; 2 \"x\"</dato>\n"
              "\t\t</grupo_datos>\n"
              "\t\t<grupo_datos seq=\"ANNO\" />\n"
              "\t</BLOQUE_DATOS>\n"
              "</SERVICIO>\n");
    EXPECT_EQ(c.Archivos(), 1);
}

TEST(EscritorXML, TextAndElementsMixTheSameWayThroughEveryCall) {
    Carpeta c;
    const fs::path destino = c() / "salida.xml";
    {
        EscritorXML w(destino, FormatoSalida{});
        w.Abrir("a");
        w.Abrir("b");
        w.Texto("x\ty\r\n");
        w.Cerrar();
        w.Abrir("c");
        w.Atributo("v", "l\xEDnea\n\ttab");
        w.Texto("");
        w.Cerrar();
        w.Abrir("d");
        w.TextoUtf8("\xE2\x82\xAC");
        w.Cerrar();
        w.Cerrar();
        w.Terminar();
    }
    EXPECT_EQ(Leer(destino),
              "<a>\n"
              "\t<b>x\ty&#13;\n</b>\n"
              "\t<c v=\"l\xC3\xADnea&#10;&#9;tab\" />\n"
              "\t<d>\xE2\x82\xAC</d>\n"
              "</a>\n");
    EXPECT_EQ(LeidoPorPython(destino),
              "a||\n"
              "b||x\ty\r\n\n"
              "c|v=l\xC3\xADnea\n\ttab|\n"
              "d||\xE2\x82\xAC\n");
}

// Each declared encoding is written as declared, with the prolog kept, and an
// independent parser reads back the same values.
TEST(EscritorXML, TheKeptDeclarationGovernsTheEncoding) {
    struct Caso {
        const char* declaracion;   // empty: no declaration
        CodificacionSalida esperada;
        const char* comienzo;      // the first bytes of the output
        const char* contiene;      // bytes that show the encoding at work
    };
    const Caso casos[] = {
        {"", CodificacionSalida::Utf8, "<!-- nota -->\n<?marca x?>\n", "\xC3\x91" "and"},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", CodificacionSalida::Utf8,
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- nota -->\n", "\xE2\x82\xAC"},
        {"<?xml version=\"1.0\"?>", CodificacionSalida::Utf8, "<?xml version=\"1.0\"?>\n", "\xC5\x93"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>", CodificacionSalida::Latin1,
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\n", "\xD1" "and\xFA &#8364;&#8218;&#339;\x81"},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?>", CodificacionSalida::Windows1252,
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n", "\xD1" "and\xFA \x80\x82\x9C&#129;"},
        {"<?xml version=\"1.0\" encoding=\"UTF-16\"?>", CodificacionSalida::Utf16LE,
         "\xFF\xFE<\0?\0x\0m\0l\0", "\xAC\x20"},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.declaracion);
        Carpeta c;
        // The chosen document, in the encoding it declares.
        std::string fuente = std::string(caso.declaracion) +
                             "\n<!-- nota -->\n<?marca x?>\n<SERVICIO><BLOQUE_DATOS/></SERVICIO>\n<!-- fin -->\n";
        const bool utf16 = caso.esperada == CodificacionSalida::Utf16LE;
        if (utf16) {
            std::string u = "\xFF\xFE";
            for (char ch : fuente) u += std::string{ch, '\0'};
            fuente = u;
        }
        Escribir(c() / "entrada.xml", fuente);
        exchange::Documento doc;
        ASSERT_TRUE(doc.Cargar(c() / "entrada.xml")) << doc.Cargar(c() / "entrada.xml").mensaje;

        const FormatoSalida formato = exchange::FormatoSegunDeclaracion(doc.Dom(), doc.CodificacionLeida());
        EXPECT_EQ(formato.codificacion, caso.esperada);
        const fs::path destino = c() / "salida.xml";
        {
            EscritorXML w(destino, formato);
            w.NodosPrevios(doc.Dom());
            DocumentoDePrueba(w);
            w.Terminar();
        }
        const std::string bytes = Leer(destino);
        const std::string comienzo = utf16 ? std::string(caso.comienzo, 12) : caso.comienzo;
        EXPECT_EQ(bytes.substr(0, comienzo.size()), comienzo);
        EXPECT_NE(bytes.find(caso.contiene), std::string::npos);
        // Comments and instructions before and after the old root come first.
        if (!utf16) {
            const auto nota = bytes.find("<!-- nota -->\n<?marca x?>\n<!-- fin -->\n<SERVICIO");
            EXPECT_NE(nota, std::string::npos) << bytes;
            EXPECT_EQ(bytes.find("<?xml"), *caso.declaracion ? 0u : std::string::npos);
        }
        EXPECT_EQ(LeidoPorPython(destino),
                  "SERVICIO|modulo=HORARIOS|fecha=a\"b<c>&d'e|\n"
                  "BLOQUE_DATOS||\n"
                  "grupo_datos|seq=HORARIOS_REGULARES|registros=12|\n"
                  "dato|nombre_dato=X_EMPLEADO|\xC3\x91" "and\xC3\xBA \xE2\x82\xAC\xE2\x80\x9A\xC5\x93\xC2\x81\n"
                  "dato|nombre_dato=VAC\xC3\x8DO|\n"
                  "dato|nombre_dato=ESC|1 < 2 && 3 > 2 \"x\"\n"
                  "grupo_datos|seq=ANNO|\n");
    }
}

TEST(EscritorXML, AnEncodingItCannotWriteIsRefusedWithAMessage) {
    Carpeta c;
    Escribir(c() / "e.xml", "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><SERVICIO/>");
    pugi::xml_document dom;
    ASSERT_TRUE(dom.load_file((c() / "e.xml").c_str(), pugi::parse_default | pugi::parse_declaration));
    try {
        exchange::FormatoSegunDeclaracion(dom, exchange::Codificacion::Utf8);
        FAIL() << "accepted KOI8-R";
    } catch (const core::ErrorEjecucion& e) {
        EXPECT_NE(std::string(e.what()).find("KOI8-R"), std::string::npos);
    }
}

TEST(EscritorXML, ReplacesTheOutputWholeOrNotAtAll) {
    Carpeta c;
    const fs::path destino = c() / "salida.xml";
    Escribir(destino, "anterior");

    // Abandoned half-way (an error in the run): the earlier file stays, no temporary is left.
    {
        EscritorXML w(destino, FormatoSalida{});
        w.Abrir("SERVICIO");
        for (int i = 0; i < 200000; ++i) w.ElementoConTexto("dato", "nombre_dato", "X", "valor largo");
        EXPECT_TRUE(fs::exists(w.Temporal()));
        EXPECT_EQ(w.Temporal().parent_path(), c());
    }
    EXPECT_EQ(Leer(destino), "anterior");
    EXPECT_EQ(c.Archivos(), 1);

    // Finished: replaced.
    {
        EscritorXML w(destino, FormatoSalida{});
        w.Abrir("SERVICIO");
        w.Cerrar();
        w.Terminar();
    }
    EXPECT_EQ(Leer(destino), "<SERVICIO />\n");
    EXPECT_EQ(c.Archivos(), 1);
}

TEST(EscritorXML, FailuresAreSpanishMessagesAndLeaveNothingBehind) {
    Carpeta c;
    // A folder that does not exist.
    try {
        EscritorXML w(c() / "no" / "salida.xml", FormatoSalida{});
        FAIL();
    } catch (const core::ErrorEjecucion& e) {
        EXPECT_NE(std::string(e.what()).find("No se puede crear"), std::string::npos);
    }
    // The destination is a folder: the rename fails, the folder stays, no temporary is left.
    fs::create_directory(c() / "ocupado.xml");
    fs::create_directory(c() / "ocupado.xml" / "dentro");
    {
        EscritorXML w(c() / "ocupado.xml", FormatoSalida{});
        w.Abrir("SERVICIO");
        w.Cerrar();
        EXPECT_THROW(w.Terminar(), core::ErrorEjecucion);
    }
    EXPECT_TRUE(fs::is_directory(c() / "ocupado.xml" / "dentro"));
    EXPECT_EQ(c.Archivos(), 1);
    // An element left open is a fault of the caller, reported before renaming.
    {
        EscritorXML w(c() / "x.xml", FormatoSalida{});
        w.Abrir("SERVICIO");
        EXPECT_THROW(w.Terminar(), core::ErrorEjecucion);
    }
    EXPECT_FALSE(fs::exists(c() / "x.xml"));
    EXPECT_EQ(c.Archivos(), 1);
}
