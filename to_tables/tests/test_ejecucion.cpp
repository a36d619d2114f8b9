// The run around the steps: document and reference checks, messages, the
// busy state, and the all-or-nothing replacement of the working tables.
#include <algorithm>

#include "ayuda.h"

#include "core/mensajes.h"
#include "to_tables/traslado.h"

namespace prueba {
namespace {

namespace msg = core::mensajes;

class Ejecucion : public Escuela {
protected:
    // A document that reaches every table, and fails in the last step when
    // `inicio` is not a whole number.
    static Documento Completo(const std::string& inicio = "480") {
        return Documento()
            .Bloque("MATERIAS", {{"6001", "41", "Matemáticas"}})
            .Bloque("ACTIVIDADES", {{"1", "GUARDIA", "Guardia"}})
            .Bloque("EMPLEADOS", {{"E1", "", "", "Ana", "Bo", "Gil"}})
            .Bloque("DEPENDENCIAS", {{"AULA1", "Aula 1"}})
            .Bloque("CURSOS_DEL_CENTRO", {{"6001", "1º ESO"}})
            .Bloque("UNIDADES", {{"G1", "1º ESO A", "6001"}})
            .Bloque("JORNADAS_ESCOLARES", {{"ORD", "Ordinaria", "1/9", "30/6"}})
            .Bloque("TRAMOS_HORARIOS", {{"1", "1ª", "400", "460", "ORD"}, {"2", "2ª", inicio, "540", "ORD"}});
    }
    // Old tables of an earlier run plus the files a run deletes or keeps.
    void CarpetaConTablasViejas() {
        ConvertirBien(Documento().Bloque("EMPLEADOS", {{"V1", "", "", "Viejo", "Profe", "Sor"}}));
        EscribirArchivo(trabajo / "JORNADAS.DBF", "jornadas viejas");
        EscribirArchivo(trabajo / "JORNADAS.MDX", "indice de jornadas");
        EscribirArchivo(trabajo / "PERIODOS.DBF", "periodos viejos");
        EscribirArchivo(trabajo / "ASIGT.MDX", "indice suelto");
        EscribirArchivo(trabajo / "aulat.mdx", "indice suelto en minusculas");
        EscribirArchivo(trabajo / "SOLUC.DBF", "solucion de Mirantel");
        usuario = UsuarioFalso{};
        usuario.documento = documento;
    }
    // Nothing of a run stays beside the working folder.
    void SinRestos() {
        std::vector<std::string> nombres;
        for (const auto& e : fs::directory_iterator(raiz)) nombres.push_back(e.path().filename().string());
        std::sort(nombres.begin(), nombres.end());
        EXPECT_EQ(nombres, (std::vector<std::string>{"MTEMP", "NIVELLARI.DBF", "centro.xml"}));
    }
};

TEST_F(Ejecucion, TerminaConProcesoFinalizado) {
    CarpetaConTablasViejas();
    ConvertirBien(Completo());
    EXPECT_EQ(estado.CodigoResultado, 1);
    EXPECT_EQ(usuario.mensajes, (std::vector<std::string>{msg::kProcesoFinalizado}));
    EXPECT_TRUE(usuario.errores.empty());
    EXPECT_EQ(usuario.ocupado, (std::vector<bool>{true, false}));

    std::vector<std::string> archivos;
    for (const auto& [nombre, bytes] : Contenido(trabajo)) archivos.push_back(nombre);
    EXPECT_EQ(archivos, (std::vector<std::string>{"ASIGNOMT.DBF", "ASIGNOMT2.DBF", "ASIGT.DBF", "AULAT.DBF",
                                                  "CURSOST.DBF", "DIASHORAST.DBF", "DIASHORAST2.DBF",
                                                  "DIASHORAST2.MDX", "GRUPOST.DBF", "JORNADAS.MDX", "PERIODOS.DBF",
                                                  "PROFT.DBF", "SOLUC.DBF"}));
    EXPECT_EQ(LeerArchivo(trabajo / "JORNADAS.MDX"), "indice de jornadas");
    EXPECT_EQ(LeerArchivo(trabajo / "SOLUC.DBF"), "solucion de Mirantel");
    EXPECT_EQ(Columna(Tabla("PROFT"), "ABREV"), (std::vector<std::string>{"ABG"}));
    EXPECT_EQ(Tabla("PERIODOS").size(), 1u);
    EXPECT_EQ(Tabla("ASIGT").size(), 1u);
    SinRestos();
}

TEST_F(Ejecucion, FalloEnElUltimoPasoNoCambiaNada) {
    CarpetaConTablasViejas();
    const auto antes = Contenido(trabajo);
    EXPECT_EQ(Convertir(Completo("8:30")), core::FinEjecucion::Error);
    EXPECT_EQ(usuario.errores, (std::vector<std::string>{"'8:30' no es un valor entero v\xE1lido"}));
    EXPECT_TRUE(usuario.mensajes.empty());
    EXPECT_EQ(usuario.ocupado, (std::vector<bool>{true, false}));
    EXPECT_EQ(estado.CodigoResultado, 1);  // kept from the earlier run
    EXPECT_EQ(Contenido(trabajo), antes);
    SinRestos();
}

TEST_F(Ejecucion, DocumentoElegidoYCancelado) {
    // First run, dialog cancelled: no document.
    usuario.documento.reset();
    EXPECT_EQ(to_tables::BExportarClick(estado, usuario, opciones), core::FinEjecucion::SinDocumento);
    EXPECT_EQ(usuario.mensajes, (std::vector<std::string>{msg::kNoExisteArchivo}));
    EXPECT_EQ(estado.CodigoResultado, 0);
    estado.NumParametros = 2;  // hosted
    EXPECT_EQ(to_tables::BExportarClick(estado, usuario, opciones), core::FinEjecucion::SinDocumento);
    EXPECT_EQ(estado.CodigoResultado, -1);
    EXPECT_TRUE(usuario.ocupado.empty());

    // A chosen document that does not exist.
    usuario.documento = raiz / "otro.xml";
    EXPECT_EQ(to_tables::BExportarClick(estado, usuario, opciones), core::FinEjecucion::SinDocumento);
    EXPECT_EQ(estado.ArchivoXML, raiz / "otro.xml");

    // Cancelled after a choice: the earlier document is converted again.
    EscribirArchivo(documento, Completo().Texto());
    usuario.documento = documento;
    EXPECT_EQ(to_tables::BExportarClick(estado, usuario, opciones), core::FinEjecucion::Finalizado);
    fs::remove(trabajo / "PROFT.DBF");
    usuario.documento.reset();
    EXPECT_EQ(to_tables::BExportarClick(estado, usuario, opciones), core::FinEjecucion::Finalizado);
    EXPECT_EQ(estado.ArchivoXML, documento);
    EXPECT_TRUE(fs::exists(trabajo / "PROFT.DBF"));
}

TEST_F(Ejecucion, SinTablaDeReferencia) {
    CarpetaConTablasViejas();
    const auto antes = Contenido(trabajo);
    fs::remove(referencia);
    EXPECT_EQ(Convertir(Completo()), core::FinEjecucion::Detenido);
    EXPECT_EQ(usuario.mensajes, (std::vector<std::string>{msg::kFaltaNivellari}));
    EXPECT_TRUE(usuario.ocupado.empty());
    EXPECT_EQ(Contenido(trabajo), antes);
}

TEST_F(Ejecucion, DocumentoDanado) {
    CarpetaConTablasViejas();
    const auto antes = Contenido(trabajo);
    EscribirArchivo(documento, "<SERVICIO><BLOQUE_DATOS>\n<grupo_datos seq=\"MATERIAS\">\n</SERVICIO>");
    EXPECT_EQ(to_tables::BExportarClick(estado, usuario, opciones), core::FinEjecucion::Error);
    ASSERT_EQ(usuario.errores.size(), 1u);
    EXPECT_NE(usuario.errores[0].find("3"), std::string::npos) << usuario.errores[0];  // the line
    EXPECT_EQ(Contenido(trabajo), antes);
}

TEST_F(Ejecucion, SinCarpetaDeTrabajo) {
    fs::remove_all(trabajo);
    EXPECT_EQ(Convertir(Completo()), core::FinEjecucion::Error);
    ASSERT_EQ(usuario.errores.size(), 1u);
    EXPECT_NE(usuario.errores[0].find("MTEMP"), std::string::npos) << usuario.errores[0];
    EXPECT_FALSE(fs::exists(trabajo));
}

TEST_F(Ejecucion, CarpetaDeSoloLectura) {
#if !defined(_WIN32)
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders; see FalloAlMover";
#endif
    CarpetaConTablasViejas();
    const auto antes = Contenido(trabajo);
    fs::permissions(trabajo, fs::perms::owner_read | fs::perms::owner_exec);
    const auto fin = Convertir(Completo());
    fs::permissions(trabajo, fs::perms::owner_all);
    EXPECT_EQ(fin, core::FinEjecucion::Error);
    ASSERT_EQ(usuario.errores.size(), 1u);
    EXPECT_NE(usuario.errores[0].find(trabajo.string()), std::string::npos) << usuario.errores[0];
    EXPECT_EQ(Contenido(trabajo), antes);
    SinRestos();
}

// A working folder with old files and a staging folder with new ones.
class Traslado : public Escuela {
protected:
    void SetUp() override {
        Escuela::SetUp();
        for (const char* n : {"PROFT.DBF", "proft.mdx", "JORNADAS.DBF", "JORNADAS.MDX", "PERIODOS.DBF", "SOLUC.DBF"})
            EscribirArchivo(trabajo / n, std::string("viejo ") + n);
        antes = Contenido(trabajo);
    }
    static void Llenar(const to_tables::Traslado& t) {
        for (const char* n : {"PROFT.DBF", "ASIGT.DBF", "PERIODOS.DBF", "DIASHORAST2.MDX"})
            EscribirArchivo(t.Provisional() / n, std::string("nuevo ") + n);
    }
    // Renames like the system, failing (or "dying") at call number `k`.
    static to_tables::FuncionRenombrar FallaEn(int k, bool muere, int* llamadas) {
        return [=](const fs::path& de, const fs::path& a) {
            if ((*llamadas)++ == k) {
                if (muere) throw std::runtime_error("proceso terminado");
                throw fs::filesystem_error("rename", de, a, std::make_error_code(std::errc::permission_denied));
            }
            fs::rename(de, a);
        };
    }
    std::map<std::string, std::string> antes;
};

TEST_F(Traslado, FalloAlMoverDevuelveTodoASuSitio) {
    // 4 old files to back up, 4 new ones to move in.
    for (int k = 0; k < 8; ++k) {
        SCOPED_TRACE(k);
        int llamadas = 0;
        {
            to_tables::Traslado t(trabajo, FallaEn(k, false, &llamadas));
            Llenar(t);
            try {
                t.Confirmar();
                ADD_FAILURE() << "the move should fail";
            } catch (const core::ErrorEjecucion& e) {
                EXPECT_NE(std::string(e.what()).find("permiso denegado"), std::string::npos) << e.what();
            }
        }
        EXPECT_EQ(Contenido(trabajo), antes);
    }
    int llamadas = 0;
    {
        to_tables::Traslado t(trabajo, FallaEn(-1, false, &llamadas));
        Llenar(t);
        t.Confirmar();
    }
    EXPECT_EQ(llamadas, 8);
    EXPECT_EQ(Contenido(trabajo), (std::map<std::string, std::string>{
                                      {"ASIGT.DBF", "nuevo ASIGT.DBF"},
                                      {"DIASHORAST2.MDX", "nuevo DIASHORAST2.MDX"},
                                      {"JORNADAS.MDX", "viejo JORNADAS.MDX"},
                                      {"PERIODOS.DBF", "nuevo PERIODOS.DBF"},
                                      {"PROFT.DBF", "nuevo PROFT.DBF"},
                                      {"SOLUC.DBF", "viejo SOLUC.DBF"},
                                  }));
}

TEST_F(Traslado, InterrumpidoSeRecuperaEnLaSiguienteEjecucion) {
    for (int k = 0; k < 8; ++k) {
        SCOPED_TRACE(k);
        int llamadas = 0;
        {
            to_tables::Traslado t(trabajo, FallaEn(k, true, &llamadas));
            Llenar(t);
            EXPECT_THROW(t.Confirmar(), std::runtime_error);  // as if killed: nothing is undone
        }
        if (k > 0) {
            EXPECT_NE(Contenido(trabajo), antes);
        }
        to_tables::RecuperarInterrumpidos(trabajo);
        EXPECT_EQ(Contenido(trabajo), antes);
        std::vector<std::string> nombres;
        for (const auto& e : fs::directory_iterator(raiz)) nombres.push_back(e.path().filename().string());
        EXPECT_EQ(nombres.size(), 2u);  // MTEMP and NIVELLARI.DBF
    }
}

TEST(ArchivosReemplazados, IgnoranMayusculas) {
    for (const char* n : {"PROFT.DBF", "proft.dbf", "Asignomt2.Mdx", "JORNADAS.DBF", "PERIODOS.MDX", "DIASHORAST2.MDX"})
        EXPECT_TRUE(to_tables::ArchivoReemplazado(n)) << n;
    for (const char* n : {"JORNADAS.MDX", "SOLUC.DBF", "PROFT.DBF.bak", "NIVELLARI.DBF", "PROFT"})
        EXPECT_FALSE(to_tables::ArchivoReemplazado(n)) << n;
}

}  // namespace
}  // namespace prueba
