// What the frame selection dialog lists and shows, and its close check.
#include "ayuda.h"

#include "core/mensajes.h"
#include "to_tables/marcos.h"

namespace prueba {
namespace {

using to_tables::CerrarSeleccion;

class Marcos : public Escuela {
protected:
    to_tables::DatosMarcos Leer(const Documento& doc) {
        EscribirArchivo(documento, doc.Texto());
        return to_tables::LeerMarcos(documento);
    }
};

TEST_F(Marcos, ListaYDetalles) {
    const auto datos = Leer(Documento()
                                .Bloque("JORNADAS_ESCOLARES", {{" ORD ", "Ordinaria", "15/09/2025", "31/05/2026"},
                                                               {"RED", "Reducida", "01/06/2026", "19/06/2026"},
                                                               {"RED", "Reducida bis", "02/06/2026"},
                                                               {"X"}})
                                .Bloque("TRAMOS_HORARIOS", {{"1", "1ª hora", "480", "540", "RED"},
                                                            {"2", "2ª hora ", "540", "600", " ORD "},
                                                            {"3", "Recreo", "600", "630", "RED"}}));
    ASSERT_TRUE(datos.cargado);
    // Values as the document holds them, untrimmed.
    EXPECT_EQ(to_tables::CodigosParaLista(datos), (std::vector<std::string>{" ORD ", "RED", "RED", "X"}));

    const auto red = to_tables::Detalle(datos, "RED");
    EXPECT_EQ(red.nombre, "Reducida bis");  // the later record of the code
    EXPECT_EQ(red.fechaInicio, "02/06/2026");
    EXPECT_EQ(red.fechaFin, "");
    EXPECT_EQ(red.etiquetas, (std::vector<std::string>{"1\xAA hora", "Recreo"}));

    const auto ord = to_tables::Detalle(datos, " ORD ");
    EXPECT_EQ(ord.nombre, "Ordinaria");
    EXPECT_EQ(ord.etiquetas, (std::vector<std::string>{"2\xAA hora "}));

    const auto ninguno = to_tables::Detalle(datos, "ORD");  // exact comparison
    EXPECT_EQ(ninguno.nombre, "-");
    EXPECT_EQ(ninguno.fechaInicio, "-");
    EXPECT_TRUE(ninguno.etiquetas.empty());
}

TEST_F(Marcos, HaceFaltaMasDeUnRegistro) {
    const auto datos = Leer(Documento()
                                .Bloque("JORNADAS_ESCOLARES", {{"ORD", "Ordinaria"}})
                                .Bloque("TRAMOS_HORARIOS", {{"1", "1ª hora", "480", "540", "ORD"}}));
    EXPECT_TRUE(to_tables::CodigosParaLista(datos).empty());
    const auto d = to_tables::Detalle(datos, "ORD");
    EXPECT_EQ(d.nombre, "-");
    EXPECT_TRUE(d.etiquetas.empty());
}

TEST_F(Marcos, DocumentoQueNoCarga) {
    EscribirArchivo(documento, "<SERVICIO><BLOQUE_DATOS>");
    const auto datos = to_tables::LeerMarcos(documento);
    EXPECT_FALSE(datos.cargado);
    EXPECT_TRUE(datos.marcos.empty());
    EXPECT_FALSE(to_tables::LeerMarcos(raiz / "no-existe.xml").cargado);
}

TEST(CierreDeMarcos, Seleccion) {
    const std::vector<std::string> entradas = {"ORD", "REDUCIDA_DE_JUNIO", "V", "ORD"};
    struct Caso {
        std::vector<bool> seleccion;
        bool valida;
        std::string marcos, mensaje;
    };
    const std::vector<Caso> casos = {
        {{true, false, false, false}, true, "ORD       ", ""},
        {{false, true, true, false}, true, "REDUCIDA_DV         ", ""},
        {{false, false, true, true}, true, "V         ORD       ", ""},
        {{true, true, true, false}, false, "ORD       REDUCIDA_DV         ", core::mensajes::kDemasiadosMarcos},
        {{false, false, false, false}, false, "", core::mensajes::kAlMenosUnMarco},
    };
    for (const auto& c : casos) {
        std::string mensaje = "anterior";
        const auto r = CerrarSeleccion(entradas, c.seleccion, mensaje);
        EXPECT_EQ(r.SeleccionValida, c.valida);
        EXPECT_EQ(r.MarcosSeleccionados, c.marcos);
        EXPECT_EQ(mensaje, c.mensaje);
        EXPECT_FALSE(r.SinOpciones);
    }
    std::string mensaje;
    const auto vacia = CerrarSeleccion({}, {}, mensaje);
    EXPECT_FALSE(vacia.SeleccionValida);
    EXPECT_TRUE(vacia.SinOpciones);
}

}  // namespace
}  // namespace prueba
