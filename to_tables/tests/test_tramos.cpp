// Time slots and timetable frames.
#include "ayuda.h"

#include "core/mensajes.h"

namespace prueba {
namespace {

class Tramos : public Escuela {
protected:
    static core::EleccionMarcos Eleccion(const std::string& texto, bool valida = true) {
        return core::EleccionMarcos{valida, texto, false};
    }
};

TEST_F(Tramos, UnMarcoSinDialogo) {
    ConvertirBien(Documento()
                      .Bloque("JORNADAS_ESCOLARES", {{"ORD", "Jornada ordinaria", "15/09/2025", "19/06/2026"}})
                      .Bloque("TRAMOS_HORARIOS", {{"T1", "1ª hora", "480", "535", "ORD"},
                                                  {"T9", "Otra", "480", "535", "OTRO"},
                                                  {"T2", "2ª hora", "", "60", "ORD"},
                                                  {"T3", "3ª hora", "600", "570", "ORD"}}));
    EXPECT_EQ(usuario.vecesMarcos, 0);
    const auto t = Tabla("DIASHORAST");
    ASSERT_EQ(t.size(), 21u);
    std::vector<std::string> diho, esperado;
    for (int d = 1; d <= 7; ++d)
        for (int h = 1; h <= 3; ++h) esperado.push_back(std::to_string(d) + std::to_string(h));
    EXPECT_EQ(Columna(t, "DIHO"), esperado);
    EXPECT_EQ(t[4].at("DIA"), "2");
    EXPECT_EQ(t[4].at("HORA"), "2");
    struct Caso { std::size_t fila; const char *codigo, *etiqueta, *desde, *hasta, *minutos; };
    for (const Caso& c : {Caso{0, "T1", "1ª hora", "08:00", "08:55", "55"}, Caso{1, "T2", "2ª hora", "00:00", "01:00", "60"},
                          Caso{2, "T3", "3ª hora", "10:00", "09:30", "-30"}}) {
        EXPECT_EQ(t[c.fila].at("CODDIHO"), c.codigo);
        EXPECT_EQ(t[c.fila].at("TEXTOHOR"), c.etiqueta);
        EXPECT_EQ(t[c.fila].at("HORADESDE"), c.desde);
        EXPECT_EQ(t[c.fila].at("HORAHASTA"), c.hasta);
        EXPECT_EQ(t[c.fila].at("MINUTOS"), c.minutos);
    }
    for (const auto& f : t) {
        EXPECT_EQ(f.at("MARCO"), "0");
        EXPECT_EQ(f.at("MARCOXML"), "ORD");
        EXPECT_EQ(f.at("TEXTODIA"), "");
    }
    const auto p = Tabla("PERIODOS");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0], (Fila{{"CJORNADA", "ORD"}, {"JORNADA", "Jornada ordinaria"}, {"FECINI", "15/09/2025"},
                          {"FECFIN", "19/06/2026"}}));
    EXPECT_TRUE(Tabla("DIASHORAST2").empty());
}

TEST_F(Tramos, DosMarcosElegidosSeOrdenanPorSuInicio) {
    usuario.respuestasMarcos = {Eleccion("", false), Eleccion("A         B         ")};
    ConvertirBien(Documento()
                      .Bloque("JORNADAS_ESCOLARES", {{"A", "Tarde", "1/9", "30/6"},
                                                     {"B", "Mañana", "1/9", "30/6"},
                                                     {"C", "Verano", "1/7", "31/7"}})
                      .Bloque("TRAMOS_HORARIOS", {{"1", "A1", "900", "960", "A"},
                                                  {"2", "B1", "480", "540", "B"},
                                                  {"3", "C1", "400", "460", "C"},
                                                  {"4", "A2", "960", "1020", "A"}}));
    EXPECT_EQ(usuario.vecesMarcos, 2);  // asked again after the invalid choice
    const auto t = Tabla("DIASHORAST");
    ASSERT_EQ(t.size(), 21u);
    EXPECT_EQ(Columna(t, "DIHO")[0], "11");
    EXPECT_EQ(Columna(t, "DIHO")[1], "11");
    EXPECT_EQ(Columna(t, "DIHO")[2], "12");
    EXPECT_EQ(t[0].at("MARCOXML"), "A");
    EXPECT_EQ(t[0].at("MARCO"), "1");  // B starts earlier
    EXPECT_EQ(t[1].at("MARCOXML"), "B");
    EXPECT_EQ(t[1].at("MARCO"), "0");
    EXPECT_EQ(t[20].at("MARCO"), "1");
    EXPECT_EQ(Columna(Tabla("PERIODOS"), "CJORNADA"), (std::vector<std::string>{"A", "B"}));
}

TEST_F(Tramos, InicioIgualDaRango0AlPrimerCodigo) {
    usuario.respuestasMarcos = {Eleccion("A         B         ")};
    ConvertirBien(Documento()
                      .Bloque("JORNADAS_ESCOLARES", {{"A"}, {"B"}})
                      .Bloque("TRAMOS_HORARIOS", {{"1", "B1", "480", "540", "B"}, {"2", "A1", "480", "540", "A"}}));
    const auto t = Tabla("DIASHORAST");
    EXPECT_EQ(t[0].at("MARCOXML"), "B");
    EXPECT_EQ(t[0].at("MARCO"), "1");
    EXPECT_EQ(t[1].at("MARCO"), "0");
}

TEST_F(Tramos, CodigoDeMarcoLargo) {
    ConvertirBien(Documento()
                      .Bloque("JORNADAS_ESCOLARES", {{"PLANTILLA_LARGA", "Larga", "1/9", "30/6"}})
                      .Bloque("TRAMOS_HORARIOS", {{"1", "1ª", "480", "540", "PLANTILLA_LARGA"}}));
    const auto t = Tabla("DIASHORAST");
    ASSERT_EQ(t.size(), 7u);
    EXPECT_EQ(t[0].at("MARCOXML"), "PLANTILLA_");
    EXPECT_TRUE(Tabla("PERIODOS").empty());  // the whole code is compared there
}

TEST_F(Tramos, CodigosVaciosNuncaSeEligen) {
    usuario.respuestasMarcos = {Eleccion("ORD       ")};
    ConvertirBien(Documento()
                      .Bloque("JORNADAS_ESCOLARES", {{"ORD", "Ordinaria"}, {"", "Sin código"}})
                      .Bloque("TRAMOS_HORARIOS", {{"1", "Sin marco", "400", "460", ""},
                                                  {"2", "Sin marco", "400", "460"},
                                                  {"3", "1ª", "480", "540", "ORD"}}));
    const auto t = Tabla("DIASHORAST");
    ASSERT_EQ(t.size(), 7u);
    EXPECT_EQ(t[0].at("CODDIHO"), "3");
    EXPECT_EQ(t[0].at("DIHO"), "11");
    EXPECT_EQ(t[0].at("MARCO"), "0");
    EXPECT_EQ(Columna(Tabla("PERIODOS"), "CJORNADA"), (std::vector<std::string>{"ORD"}));
}

TEST_F(Tramos, SinMarcosTablasVacias) {
    ConvertirBien(Documento().Bloque("TRAMOS_HORARIOS", {{"1", "1ª", "480", "540", "ORD"}, {"2", "x", "1", "2", ""}}));
    EXPECT_TRUE(Tabla("DIASHORAST").empty());
    EXPECT_TRUE(Tabla("PERIODOS").empty());
    EXPECT_TRUE(Tabla("DIASHORAST2").empty());
}

TEST_F(Tramos, DialogoSinOpcionesDetieneLaEjecucion) {
    usuario.respuestasMarcos = {core::EleccionMarcos{false, {}, true}};
    EXPECT_EQ(Convertir(Documento().Bloque("JORNADAS_ESCOLARES", {{"A"}, {"B"}})), core::FinEjecucion::Detenido);
    EXPECT_EQ(usuario.mensajes, (std::vector<std::string>{core::mensajes::kSinMarcosElegibles}));
    EXPECT_EQ(usuario.ocupado, (std::vector<bool>{true, false}));
    EXPECT_TRUE(fs::is_empty(trabajo));
}

TEST_F(Tramos, HoraNoEnteraDetieneLaEjecucion) {
    for (const auto& [inicio, texto] : std::vector<std::pair<std::string, std::string>>{
             {"8:30", "8:30"}, {"830", "0830"}, {"8h", "08h"}, {"-30", "0-30"}}) {
        usuario.errores.clear();
        const auto fin = Convertir(Documento()
                                       .Bloque("JORNADAS_ESCOLARES", {{"ORD"}})
                                       .Bloque("TRAMOS_HORARIOS", {{"1", "1ª", inicio, "540", "ORD"}}));
        if (inicio == "830") {  // "0830": a valid number
            EXPECT_EQ(fin, core::FinEjecucion::Finalizado);
            EXPECT_EQ(Tabla("DIASHORAST")[0].at("HORADESDE"), "13:50");
            continue;
        }
        EXPECT_EQ(fin, core::FinEjecucion::Error) << inicio;
        ASSERT_EQ(usuario.errores.size(), 1u);
        EXPECT_EQ(exchange::AnsiAUtf8(usuario.errores[0]), "'" + texto + "' no es un valor entero válido");
    }
}

}  // namespace
}  // namespace prueba
