// The tables-to-document run: the records and their lookups, the frame of the
// output document, and how the run stops.
#include "to_document/exportacion.h"

#include <fstream>

#include <gtest/gtest.h>

#include "apoyo.h"
#include "core/errores.h"
#include "core/mensajes.h"
#include "tables/archivos.h"

namespace fs = std::filesystem;
using core::FinEjecucion;
using prueba::Escenario;
using prueba::Fila;
using prueba::UsuarioPrueba;

namespace {

const std::string kFechas = "01/09/2026|30/06/2027";

// Teachers, assignments, groups, subjects, slots and periods for the lookups.
void TablasDeReferencia(const Escenario& e) {
    e.Filas("PROFT", {{{"ABREV", "PR1"}, {"X_EMPLEADO", "E1"}, {"F_TOMAPOS", "01/09/2020"}},
                      {{"ABREV", "PR3"}, {"X_EMPLEADO", "E3"}},
                      {{"ABREV", "O'NEIL"}, {"X_EMPLEADO", "E2"}, {"F_TOMAPOS", "15/10/2021"}}});
    e.Filas("ASIGT", {{{"CASIG", "MAT"}, {"CGRUP", "1A"}, {"CLAVE", "M100"}, {"CLAVECURSO", "C10"}},
                      {{"CASIG", "MAT"}, {"CGRUP", "1A"}, {"CLAVE", "M999"}, {"CLAVECURSO", "C99"}},
                      {{"CASIG", "LEN"}, {"CGRUP", "1A"}, {"CLAVE", "L100"}},
                      {{"CASIG", "FIS"}, {"CGRUP", "1A"}, {"CLAVECURSO", "C77"}}});
    e.Filas("GRUPOST", {{{"ABREV", "1A"}, {"CLAVE", "G1"}, {"CLAVECURSO", "C10G"}},
                        {{"ABREV", "1A"}, {"CLAVE", "G1bis"}, {"CLAVECURSO", "C10bis"}}});
    e.Filas("ASIGNOMT", {{{"COD", "MAT"}, {"CODTAREA", "T5"}},
                         {{"COD", "MAT"}, {"CODTAREA", "T6"}},
                         {{"COD", "ING"}}});
    e.Filas("ASIGNOMT2", {{{"COD", "HIS"}, {"OFERTAMATRI", "C10"}, {"MATERIA", "WRONG"}},
                          {{"COD", "HIS"}, {"OFERTAMATRI", "C10G"}, {"MATERIA", "H200"}},
                          {{"COD", "FIS"}, {"OFERTAMATRI", "C77"}, {"MATERIA", "F300"}},
                          {{"COD", "MAT"}, {"OFERTAMATRI", "C10"}, {"MATERIA", "NOUSAR"}}});
    e.Filas("DIASHORAST",
            {{{"DIHO", "11"}, {"MARCO", "0"}, {"DIA", "1"}, {"CODDIHO", "S1"}, {"HORADESDE", "08:30"}, {"HORAHASTA", "09:25"}},
             {{"DIHO", "11"}, {"MARCO", "1"}, {"DIA", "1"}, {"CODDIHO", "S1B"}, {"HORADESDE", "14:05"}, {"HORAHASTA", "15:00"}},
             {{"DIHO", "34"}, {"MARCO", "0"}, {"DIA", "3"}, {"CODDIHO", "S34"}, {"HORADESDE", "8:30"}, {"HORAHASTA", "930"}},
             {{"DIHO", "34"}, {"MARCO", "0"}, {"DIA", "3"}, {"CODDIHO", "DUP"}, {"HORADESDE", "10:00"}, {"HORAHASTA", "11:00"}}});
    e.Filas("PERIODOS", {{{"CJORNADA", "J1"}, {"FECINI", "01/09/2026"}, {"FECFIN", "30/06/2027"}},
                         {{"CJORNADA", "J2"}, {"FECINI", "otra"}, {"FECFIN", "otra"}}});
}

Fila Leccion(const char* prof, const char* dia, const char* hora, const char* marco, const char* asig,
             const char* grupo, const char* tarea = "", const char* aula = "") {
    return {{"PROF", prof}, {"DIA", dia}, {"HORA", hora}, {"MARCO", marco},
            {"ASIG", asig}, {"CODGRUPO", grupo}, {"TAREA", tarea}, {"AULA", aula}};
}

}  // namespace

TEST(EscribirHorariosRegulares, LooksUpEveryKeyInItsOrderOfPrecedence) {
    Escenario e;
    TablasDeReferencia(e);
    e.Filas("SOLUC", {
        // assignment's course key over the group's; task from the subject; room kept
        Leccion("PR1", "1", "1", "0", "MAT", "1A", "", "A12"),
        Leccion("PR1", "0", "3", "0", "MAT", "1A"),               // not placed: neither counted nor written
        Leccion("O'NEIL", "1", "1", "0", "MAT", "1A"),
        // frame by its first character; blank course key of the assignment: the group's;
        // subject key from the assignment, no offer lookup; task written untrimmed
        Leccion("PR1", "1", "1", "1X", "LEN", "1A", "  7", "   "),
        Leccion("PR3", "0", "1", "0", "MAT", "1A"),
        // no assignment: course from the group, subject from the offer of that course;
        // first slot of several; times without leading zero or colon
        Leccion("PR1", "3", "4", "0", "HIS", "1A"),
        // no frame character: no slot; nothing of the previous slot leaks
        Leccion("PR1", "1", "1", "", "MAT", "1A"),
        // nothing matches; the subject's task is blank: "1"
        Leccion("PR1", "2", "1", "0", "ING", "2B"),
        // assignment with a course key but no subject key: offer lookup with that key
        Leccion("PR1", "1", "1", "1", "FIS", "1A"),
        Leccion("O'NEILX", "1", "1", "0", "MAT", "1A"),
        Leccion("o'neil", "1", "1", "0", "MAT", "1A"),
        Leccion("ZZZ", "1", "1", "0", "MAT", "1A"),
    });
    UsuarioPrueba ui;
    ASSERT_EQ(e.Ejecutar(ui), FinEjecucion::Finalizado) << (ui.errores.empty() ? "" : ui.errores[0]);
    EXPECT_EQ(prueba::Registros(e.Salida()),
              "HORARIO_REGULAR_PROFESOR_1 6: E1 01/09/2020\n"
              "  ACTIVIDAD_1: 1|S1|A12|G1|C10|M100|" + kFechas + "|510|565|T5\n"
              "  ACTIVIDAD_2: 1|S1B||G1|C10G|L100|" + kFechas + "|845|900|  7\n"
              "  ACTIVIDAD_3: 3|S34||G1|C10G|H200|" + kFechas + "|510|570|1\n"
              "  ACTIVIDAD_4: |||G1|C10|M100|" + kFechas + "|0|0|T5\n"
              "  ACTIVIDAD_5: ||||||" + kFechas + "|0|0|1\n"
              "  ACTIVIDAD_6: 1|S1B||G1|C77|F300|" + kFechas + "|845|900|1\n"
              "HORARIO_REGULAR_PROFESOR_2 0: E3 \n"
              "HORARIO_REGULAR_PROFESOR_3 1: E2 15/10/2021\n"
              "  ACTIVIDAD_1: 1|S1||G1|C10|M100|" + kFechas + "|510|565|T5\n");
    EXPECT_EQ(ui.mensajes, std::vector<std::string>{core::mensajes::kProcesoFinalizado});
    EXPECT_EQ(ui.ocupado, 0);
}

TEST(EscribirHorariosRegulares, MinutosDelDia) {
    const std::pair<const char*, const char*> casos[] = {
        {"08:30", "510"}, {"8:30", "510"}, {"14:05", "845"}, {"830", "510"}, {"", "0"}, {"0", "0"}, {"23:59", "1439"}};
    for (const auto& [hora, minutos] : casos) EXPECT_EQ(to_document::MinutosDelDia(hora), minutos) << hora;
    EXPECT_THROW(to_document::MinutosDelDia("8h:3x"), core::ErrorConversion);
}

TEST(EscribirHorariosRegulares, EmptySolucAndEmptyProft) {
    Escenario e;
    TablasDeReferencia(e);
    UsuarioPrueba ui;
    ASSERT_EQ(e.Ejecutar(ui), FinEjecucion::Finalizado);
    EXPECT_EQ(prueba::Registros(e.Salida()),
              "HORARIO_REGULAR_PROFESOR_1 0: E1 01/09/2020\n"
              "HORARIO_REGULAR_PROFESOR_2 0: E3 \n"
              "HORARIO_REGULAR_PROFESOR_3 0: E2 15/10/2021\n");

    Escenario vacio;   // every table empty, PERIODOS too: two empty dates
    UsuarioPrueba ui2;
    vacio.Filas("SOLUC", {Leccion("PR1", "1", "1", "0", "MAT", "1A")});
    ASSERT_EQ(vacio.Ejecutar(ui2), FinEjecucion::Finalizado);
    EXPECT_EQ(prueba::Registros(vacio.Salida()), "");
    EXPECT_NE(prueba::LeerArchivo(vacio.Salida()).find("<grupo_datos seq=\"HORARIOS_REGULARES\" registros=\"0\" />"),
              std::string::npos);
}

// The whole output of a small run, byte for byte: the prolog of the chosen
// document, nothing of its old root, the frame, and one record.
TEST(BImportarClick, WritesTheFrameBesideTheChosenDocument) {
    Escenario e;
    e.Documento("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                "<!-- exportado por el servicio -->\n"
                "<?hoja tipo=\"x\"?>\n"
                "<SERVICIO modulo=\"VIEJO\"><BLOQUE_DATOS>\n"
                "  <grupo_datos seq=\"ANNO\"><dato>20</dato><dato>26/27</dato></grupo_datos>\n"
                "  <grupo_datos seq=\"MATERIAS\"><grupo_datos><dato>RESTO_VIEJO</dato></grupo_datos></grupo_datos>\n"
                "</BLOQUE_DATOS></SERVICIO>\n"
                "<!-- final -->\n");
    e.Filas("PROFT", {{{"ABREV", "MG"}, {"X_EMPLEADO", "E\xD1" "1"}, {"F_TOMAPOS", "01/09/2020"}}});
    e.Filas("PERIODOS", {{{"FECINI", "01/09/2026"}, {"FECFIN", "30/06/2027"}}});
    e.Filas("DIASHORAST", {{{"DIHO", "25"}, {"MARCO", "0"}, {"DIA", "2"}, {"CODDIHO", "T&5"}, {"HORADESDE", "12:00"}, {"HORAHASTA", "12:55"}}});
    e.Filas("SOLUC", {Leccion("MG", "2", "5", "0", "M\x80S", "1A", "", "A<1>")});
    UsuarioPrueba ui;
    ASSERT_EQ(e.Ejecutar(ui), FinEjecucion::Finalizado) << (ui.errores.empty() ? "" : ui.errores[0]);
    EXPECT_EQ(prueba::LeerArchivo(e.Salida()),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
              "<!-- exportado por el servicio -->\n"
              "<?hoja tipo=\"x\"?>\n"
              "<!-- final -->\n"
              "<SERVICIO modulo=\"HORARIOS\" tipo=\"I\" autor=\"HORARIOS\" fecha=\"11/12/2026 9:05:03\">\n"
              "\t<BLOQUE_DATOS>\n"
              "\t\t<grupo_datos seq=\"ANNO_ACADEMICO\">\n"
              "\t\t\t<dato nombre_dato=\"C_ANNO\">2026</dato>\n"
              "\t\t</grupo_datos>\n"
              "\t\t<grupo_datos seq=\"HORARIOS_REGULARES\" registros=\"1\">\n"
              "\t\t\t<grupo_datos seq=\"HORARIO_REGULAR_PROFESOR_1\" registros=\"1\">\n"
              "\t\t\t\t<dato nombre_dato=\"X_EMPLEADO\">E\xD1" "1</dato>\n"
              "\t\t\t\t<dato nombre_dato=\"F_TOMAPOS\">01/09/2020</dato>\n"
              "\t\t\t\t<grupo_datos seq=\"ACTIVIDAD_1\">\n"
              "\t\t\t\t\t<dato nombre_dato=\"N_DIASEMANA\">2</dato>\n"
              "\t\t\t\t\t<dato nombre_dato=\"X_TRAMO\">T&amp;5</dato>\n"
              "\t\t\t\t\t<dato nombre_dato=\"X_DEPENDENCIA\">A&lt;1&gt;</dato>\n"
              "\t\t\t\t\t<dato nombre_dato=\"X_UNIDAD\" />\n"
              "\t\t\t\t\t<dato nombre_dato=\"X_OFERTAMATRIG\" />\n"
              "\t\t\t\t\t<dato nombre_dato=\"X_MATERIAOMG\" />\n"
              "\t\t\t\t\t<dato nombre_dato=\"F_INICIO\">01/09/2026</dato>\n"
              "\t\t\t\t\t<dato nombre_dato=\"F_FIN\">30/06/2027</dato>\n"
              "\t\t\t\t\t<dato nombre_dato=\"N_HORINI\">720</dato>\n"
              "\t\t\t\t\t<dato nombre_dato=\"N_HORFIN\">775</dato>\n"
              "\t\t\t\t\t<dato nombre_dato=\"X_ACTIVIDAD\">1</dato>\n"
              "\t\t\t\t</grupo_datos>\n"
              "\t\t\t</grupo_datos>\n"
              "\t\t</grupo_datos>\n"
              "\t</BLOQUE_DATOS>\n"
              "</SERVICIO>\n");
    // Only the output was added, beside the document; the working folder is unchanged.
    int archivos = 0;
    for ([[maybe_unused]] const auto& f : fs::directory_iterator(e.Documentos())) ++archivos;
    EXPECT_EQ(archivos, 2);
}

TEST(BImportarClick, AcademicYearIsTheFirstFourCharactersOfTheFirstChild) {
    const std::pair<const char*, const char*> casos[] = {
        {"<grupo_datos seq=\"ANNO\"><dato>2026-2027</dato></grupo_datos>", "2026"},
        {"<grupo_datos seq=\"ANNO\"><dato> 26</dato></grupo_datos>", " 26"},
        {"<x>2<y>0</y>2</x><z>9</z>", "202"},
        {"<x>\xC3\x91u\xE2\x82\xAC\xC5\x93mas</x>", "\xC3\x91u\xE2\x82\xAC\xC5\x93"},
        {"<x/>", ""},
    };
    for (const auto& [bloque, anno] : casos) {
        SCOPED_TRACE(bloque);
        Escenario e;
        e.Filas("PERIODOS", {});
        e.Documento(std::string("<SERVICIO><BLOQUE_DATOS>") + bloque + "</BLOQUE_DATOS></SERVICIO>");
        UsuarioPrueba ui;
        ASSERT_EQ(e.Ejecutar(ui), FinEjecucion::Finalizado);
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file(e.Salida().c_str()));
        EXPECT_EQ(std::string(doc.select_node("//dato[@nombre_dato='C_ANNO']").node().text().get()), anno);
        // No declaration in the chosen document: none in the output, UTF-8.
        EXPECT_EQ(prueba::LeerArchivo(e.Salida()).rfind("<SERVICIO ", 0), 0u);
    }
}

// SOLUC belongs to the timetable program: any case of its file name, day and
// period of any numeric or character type, rows flagged deleted invisible.
// PERIODOS without rows gives empty dates.
TEST(BImportarClick, ReadsSolucAsTheTimetableProgramWritesIt) {
    for (const char tipo : {'N', 'C', 'F'}) {
        SCOPED_TRACE(tipo);
        Escenario e;
        fs::remove(e.Trabajo() / "SOLUC.DBF");
        tablas::Esquema esquema = prueba::EsquemaSoluc("soluc", tipo);
        esquema.campos[2].tipo = tipo;
        esquema.campos[2].ancho = 4;
        e.Crear(esquema);
        e.Filas("PROFT", {{{"ABREV", "PR1"}, {"X_EMPLEADO", "E1"}}});
        e.Filas("DIASHORAST", {{{"DIHO", "34"}, {"MARCO", "0"}, {"DIA", "3"}, {"CODDIHO", "S34"}}});
        e.Filas("soluc", {Leccion("PR1", "2", "2", "0", "BORRADA", "1A"), Leccion("PR1", "3", "4", "0", "MAT", "1A")});
        // Flag the first row deleted, as dBase does: '*' in its first byte.
        {
            const fs::path dbf = *tablas::BuscarArchivo(e.Trabajo(), "SOLUC.DBF");
            std::fstream f(dbf, std::ios::in | std::ios::out | std::ios::binary);
            unsigned char cab[12];
            f.read(reinterpret_cast<char*>(cab), sizeof cab);
            f.seekp(cab[8] | (cab[9] << 8));
            f.put('*');
        }
        UsuarioPrueba ui;
        ASSERT_EQ(e.Ejecutar(ui), FinEjecucion::Finalizado) << (ui.errores.empty() ? "" : ui.errores[0]);
        EXPECT_EQ(prueba::Registros(e.Salida()),
                  "HORARIO_REGULAR_PROFESOR_1 1: E1 \n"
                  "  ACTIVIDAD_1: 3|S34|||||||0|0|1\n");
    }
}

// Every stop: a clear message, the earlier output untouched, no temporary
// file, the result code unchanged and every table closed again.
TEST(BImportarClick, StopsLeaveEverythingAsItWas) {
    struct Caso {
        const char* nombre;
        void (*preparar)(const Escenario&);
        FinEjecucion fin;
        std::string mensaje;   // part of the message shown
    };
    const Caso casos[] = {
        {"sin PERIODOS", [](const Escenario& e) { fs::remove(e.Trabajo() / "PERIODOS.DBF"); },
         FinEjecucion::Detenido, core::mensajes::kFaltaPeriodos},
        {"sin ASIGT", [](const Escenario& e) { fs::remove(e.Trabajo() / "ASIGT.DBF"); },
         FinEjecucion::Error, "ASIGT.DBF"},
        {"tabla da\xF1" "ada", [](const Escenario& e) { prueba::EscribirArchivo(e.Trabajo() / "GRUPOST.DBF", "basura"); },
         FinEjecucion::Error, "GRUPOST"},
        {"documento mal formado", [](const Escenario& e) { e.Documento("<SERVICIO><BLOQUE_DATOS>"); },
         FinEjecucion::Error, "horario.xml"},
        {"sin BLOQUE_DATOS", [](const Escenario& e) { e.Documento("<SERVICIO><OTRO>2026</OTRO></SERVICIO>"); },
         FinEjecucion::Detenido, "BLOQUE_DATOS"},
        {"BLOQUE_DATOS vac\xEDo", [](const Escenario& e) { e.Documento("<SERVICIO><BLOQUE_DATOS>\n </BLOQUE_DATOS></SERVICIO>"); },
         FinEjecucion::Detenido, "BLOQUE_DATOS"},
        {"DIA no entero",
         [](const Escenario& e) {
             fs::remove(e.Trabajo() / "SOLUC.DBF");
             e.Crear(prueba::EsquemaSoluc("SOLUC", 'C'));
             e.Filas("SOLUC", {Leccion("PR1", "1", "1", "0", "MAT", "1A"), Leccion("PR1", "x3", "1", "0", "MAT", "1A")});
         },
         FinEjecucion::Error, "'x3' no es un valor entero v\xE1lido"},
        {"hora no entera",
         [](const Escenario& e) {
             e.Filas("DIASHORAST", {{{"DIHO", "11"}, {"MARCO", "0"}, {"HORADESDE", "8h:30"}}});
             e.Filas("SOLUC", {Leccion("PR1", "1", "1", "0", "MAT", "1A")});
         },
         FinEjecucion::Error, "no es un valor entero v\xE1lido"},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        Escenario e;
        e.Filas("PROFT", {{{"ABREV", "PR1"}, {"X_EMPLEADO", "E1"}}});
        prueba::EscribirArchivo(e.Salida(), "anterior");
        caso.preparar(e);
        UsuarioPrueba ui;
        core::EstadoVentana estado;
        estado.NumParametros = 2;
        ASSERT_EQ(e.Ejecutar(ui, estado), caso.fin);
        const auto& vistos = caso.fin == FinEjecucion::Error ? ui.errores : ui.mensajes;
        ASSERT_EQ(vistos.size(), 1u);
        EXPECT_NE(vistos[0].find(caso.mensaje), std::string::npos) << vistos[0];
        EXPECT_EQ(ui.ocupado, 0);
        EXPECT_EQ(estado.CodigoResultado, 0);
        EXPECT_EQ(prueba::LeerArchivo(e.Salida()), "anterior");
        int archivos = 0;
        for ([[maybe_unused]] const auto& f : fs::directory_iterator(e.Documentos())) ++archivos;
        EXPECT_EQ(archivos, 2);
        for (const char* t : {"SOLUC", "GRUPOST", "CURSOST", "PROFT", "AULAT", "ASIGNOMT", "ASIGNOMT2", "DIASHORAST", "ASIGT"}) {
            const auto ruta = tablas::BuscarArchivo(e.Trabajo(), std::string(t) + ".DBF");
            if (!ruta || prueba::LeerArchivo(*ruta) == "basura") continue;
            EXPECT_NO_THROW(tablas::Tabla::Abrir(*ruta, tablas::Acceso::Exclusivo).Cerrar()) << t;
        }
    }
}

TEST(BImportarClick, WithoutADocumentNothingIsOpened) {
    Escenario e;
    for (bool hospedado : {false, true}) {
        UsuarioPrueba ui;
        ui.documento = e.Documentos() / "no_existe.xml";
        core::EstadoVentana estado;
        estado.NumParametros = hospedado ? 2 : 0;
        EXPECT_EQ(e.Ejecutar(ui, estado), FinEjecucion::SinDocumento);
        EXPECT_EQ(ui.mensajes, std::vector<std::string>{core::mensajes::kNoExisteArchivo});
        EXPECT_EQ(estado.CodigoResultado, hospedado ? -1 : 0);
        EXPECT_EQ(ui.ocupado, 0);
    }
    // A cancelled dialog keeps the earlier choice.
    struct Cancela : UsuarioPrueba {
        std::optional<fs::path> ElegirDocumento() override { return std::nullopt; }
    } cancela;
    core::EstadoVentana estado;
    to_document::OpcionesExportacion op;
    op.carpetaTrabajo = e.Trabajo();
    op.reloj = &e.reloj;
    EXPECT_EQ(to_document::BImportarClick(estado, cancela, op), FinEjecucion::SinDocumento);
    estado.ArchivoXML = e.Entrada();
    e.Filas("PERIODOS", {});
    EXPECT_EQ(to_document::BImportarClick(estado, cancela, op), FinEjecucion::Finalizado);
    EXPECT_EQ(estado.CodigoResultado, 1);
    EXPECT_TRUE(fs::exists(e.Salida()));
}
