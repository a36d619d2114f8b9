#include "to_document/exportacion.h"

#include <new>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/errores.h"
#include "core/mensajes.h"
#include "exchange/ansi.h"
#include "exchange/documento.h"
#include "exchange/texto.h"
#include "tables/archivos.h"

namespace to_document {

namespace {

namespace fs = std::filesystem;
using tablas::Tabla;

std::string RutaAnsi(const fs::path& p) {
    const auto u8 = p.u8string();
    return exchange::Utf8AAnsi(std::string_view(reinterpret_cast<const char*>(u8.data()), u8.size()));
}

bool EnBlanco(std::string_view texto) { return exchange::QuitarEspacios(texto).empty(); }

// The position of a field the run reads; a table without it is damaged.
int Campo(const Tabla& tabla, std::string_view nombre) {
    const int i = tabla.IndiceCampo(nombre);
    if (i < 0)
        throw tablas::ErrorTabla("La tabla '" + RutaAnsi(tabla.Archivo()) + "' no tiene el campo " +
                                 std::string(nombre) + ".");
    return i;
}

// The fields of the first row a lookup found.
struct Encontrado {
    bool hallado = false;
    std::vector<std::string> valores;
};

class Memoria {
public:
    template <class Buscar>
    const Encontrado& Obtener(const std::string& clave, Buscar&& buscar) {
        auto it = vistos_.find(clave);
        if (it == vistos_.end()) it = vistos_.emplace(clave, buscar()).first;
        return it->second;
    }

private:
    std::unordered_map<std::string, Encontrado> vistos_;
};

// An unambiguous key of two texts.
const std::string& Clave(std::string& clave, std::string_view a, std::string_view b) {
    clave.assign(std::to_string(a.size()));
    clave += ':';
    clave.append(a);
    clave.append(b);
    return clave;
}

// A stop with one of the run's own messages (no error of the platform).
struct Detencion {
    std::string mensaje;
};

// The first `n` characters of UTF-8 text.
std::string PrimerosCaracteres(const std::string& utf8, int n) {
    std::size_t i = 0;
    for (int k = 0; k < n && i < utf8.size(); ++k) {
        ++i;
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
    }
    return utf8.substr(0, i);
}

bool SoloEspacios(const char* s) {
    for (; *s; ++s)
        if (*s != ' ' && *s != '\t' && *s != '\n' && *s != '\r') return false;
    return true;
}

// The nine tables, in the order the run opens them.
constexpr const char* kTablas[] = {"SOLUC", "GRUPOST", "CURSOST", "PROFT", "AULAT",
                                   "ASIGNOMT", "ASIGNOMT2", "DIASHORAST", "ASIGT"};
enum { kSOLUC, kGRUPOST, kCURSOST, kPROFT, kAULAT, kASIGNOMT, kASIGNOMT2, kDIASHORAST, kASIGT };

void Ejecutar(const fs::path& documento, const OpcionesExportacion& op) {
    const fs::path carpeta =
        op.carpetaTrabajo.empty() ? tablas::CarpetaTrabajoPredeterminada() : op.carpetaTrabajo;
    tablas::ComprobarCarpetaTrabajo(carpeta);

    std::vector<Tabla> t;
    t.reserve(std::size(kTablas));
    for (const char* nombre : kTablas) {
        const std::string archivo = std::string(nombre) + ".DBF";
        const auto ruta = tablas::BuscarArchivo(carpeta, archivo);
        if (!ruta)
            throw tablas::ErrorTabla("No se encuentra la tabla " + archivo + " en la carpeta de trabajo '" +
                                     RutaAnsi(carpeta) + "'.");
        t.push_back(Tabla::Abrir(*ruta, tablas::Acceso::Exclusivo, op.reloj));
    }

    // The chosen document gives its prolog and the academic year.
    exchange::Documento doc;
    const exchange::ResultadoCarga carga = doc.Cargar(documento);
    if (!carga) throw core::ErrorEjecucion(carga.mensaje);
    pugi::xml_node primero;
    const pugi::xml_node bloque = doc.Dom().child("SERVICIO").child("BLOQUE_DATOS");
    for (pugi::xml_node n = bloque.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_pcdata && SoloEspacios(n.value())) continue;
        primero = n;
        break;
    }
    if (!primero)
        throw Detencion{"El documento '" + RutaAnsi(documento) +
                        "' no contiene datos en /SERVICIO/BLOQUE_DATOS: no se puede leer el a\xF1o "
                        "acad\xE9mico. Elija un documento XML de VELDRA."};
    const std::string anno = PrimerosCaracteres(exchange::TextoDeNodo(primero), 4);

    const auto periodos = tablas::BuscarArchivo(carpeta, "PERIODOS.DBF");
    if (!periodos) throw Detencion{core::mensajes::kFaltaPeriodos};
    std::string fechaInicio, fechaFin;
    {
        Tabla p = Tabla::Abrir(*periodos, tablas::Acceso::Compartido, op.reloj);
        p.Primero();
        if (!p.FinDeTabla()) {
            fechaInicio = p.LeerTexto("FECINI");
            fechaFin = p.LeerTexto("FECFIN");
        }
        p.Cerrar();
    }

    // The output, beside the chosen document.
    fs::path salida = documento.parent_path() / "ResultadoMiran";
    salida += documento.filename();
    exchange::EscritorXML w(salida, exchange::FormatoSegunDeclaracion(doc.Dom(), doc.CodificacionLeida()));
    w.NodosPrevios(doc.Dom());
    doc.Dom().reset();

    const core::RelojSistema relojSistema;
    const core::FormatoFechaEspanol formatoEspanol;
    const core::Reloj& reloj = op.reloj ? *op.reloj : relojSistema;
    const core::FormatoFecha& formato = op.formato ? *op.formato : formatoEspanol;
    const core::FechaHora ahora = reloj.Ahora();

    w.Abrir("SERVICIO");
    w.Atributo("modulo", "HORARIOS");
    w.Atributo("tipo", "I");
    w.Atributo("autor", "HORARIOS");
    w.Atributo("fecha", formato.FechaCorta(ahora) + " " + formato.HoraLarga(ahora));
    w.Abrir("BLOQUE_DATOS");
    w.Abrir("grupo_datos");
    w.Atributo("seq", "ANNO_ACADEMICO");
    w.Abrir("dato");
    w.Atributo("nombre_dato", "C_ANNO");
    w.TextoUtf8(anno);
    w.Cerrar();
    w.Cerrar();
    w.Abrir("grupo_datos");
    w.Atributo("seq", "HORARIOS_REGULARES");
    w.Atributo("registros", static_cast<std::int64_t>(t[kPROFT].ContarFilas()));
    TablasHorario th{t[kPROFT], t[kSOLUC], t[kASIGT], t[kASIGNOMT], t[kASIGNOMT2], t[kDIASHORAST], t[kGRUPOST]};
    EscribirHorariosRegulares(w, fechaInicio, fechaFin, th);
    w.Cerrar();
    w.Cerrar();
    w.Cerrar();

    for (Tabla& tabla : t) tabla.Cerrar();
    w.Terminar();
}

}  // namespace

std::string MinutosDelDia(std::string_view hora) {
    std::string texto(hora);
    if (texto.size() < 5) texto.insert(texto.begin(), '0');
    const int horas = core::ConvertirEntero(exchange::Izquierda(texto, 2));
    const int minutos = core::ConvertirEntero(exchange::Derecha(texto, 2));
    return std::to_string(static_cast<long long>(horas) * 60 + minutos);
}

void EscribirHorariosRegulares(exchange::EscritorXML& w, std::string_view fechaInicio,
                               std::string_view fechaFin, TablasHorario& t) {
    const int pAbrev = Campo(t.PROFT, "ABREV");
    const int pEmpleado = Campo(t.PROFT, "X_EMPLEADO");
    const int pTomaPos = Campo(t.PROFT, "F_TOMAPOS");

    Campo(t.SOLUC, "PROF");
    const int sDia = Campo(t.SOLUC, "DIA");
    const int sHora = Campo(t.SOLUC, "HORA");
    const int sMarco = Campo(t.SOLUC, "MARCO");
    const int sAsig = Campo(t.SOLUC, "ASIG");
    const int sGrupo = Campo(t.SOLUC, "CODGRUPO");
    const int sTarea = Campo(t.SOLUC, "TAREA");
    const int sAula = Campo(t.SOLUC, "AULA");
    // A numeric DIA reads as its number; a character one as it is stored.
    const bool diaNumerico = t.SOLUC.Campos()[static_cast<std::size_t>(sDia)].tipo != 'C';

    const int aClave = Campo(t.ASIGT, "CLAVE");
    const int aCurso = Campo(t.ASIGT, "CLAVECURSO");
    const int nTarea = Campo(t.ASIGNOMT, "CODTAREA");
    const int oMateria = Campo(t.ASIGNOMT2, "MATERIA");
    const int dDia = Campo(t.DIASHORAST, "DIA");
    const int dCodigo = Campo(t.DIASHORAST, "CODDIHO");
    const int dDesde = Campo(t.DIASHORAST, "HORADESDE");
    const int dHasta = Campo(t.DIASHORAST, "HORAHASTA");
    const int gClave = Campo(t.GRUPOST, "CLAVE");
    const int gCurso = Campo(t.GRUPOST, "CLAVECURSO");

    // Each lookup key is located once through the table's index and remembered
    // for the rest of the run (the tables do not change while it works).
    Memoria asignaciones, tareas, tramos, grupos, ofertas;
    struct Leccion {
        std::string diho, marco, asig, grupo, tarea, aula;
    };
    std::vector<Leccion> lecciones;
    std::string clave, seq;
    std::int64_t profesor = 1;
    for (t.PROFT.Primero(); !t.PROFT.FinDeTabla(); t.PROFT.Siguiente()) {
        const std::string empleado = t.PROFT.LeerTexto(pEmpleado);
        const std::string tomaPos = t.PROFT.LeerTexto(pTomaPos);
        const std::string abrev = t.PROFT.LeerTexto(pAbrev);

        // The teacher's placed lessons, in SOLUC's order, read in one pass
        // (the count goes before the records).
        t.SOLUC.Filtrar("PROF", abrev);
        lecciones.clear();
        for (; !t.SOLUC.FinDeTabla(); t.SOLUC.Siguiente()) {
            const int dia = t.SOLUC.LeerEntero(sDia);
            if (dia == 0) continue;
            Leccion& l = lecciones.emplace_back();
            l.diho = diaNumerico ? std::to_string(dia) : t.SOLUC.LeerTexto(sDia);
            l.diho += std::to_string(t.SOLUC.LeerEntero(sHora));
            l.marco = t.SOLUC.LeerTexto(sMarco).substr(0, 1);
            l.asig = t.SOLUC.LeerTexto(sAsig);
            l.grupo = t.SOLUC.LeerTexto(sGrupo);
            l.tarea = t.SOLUC.LeerTexto(sTarea);
            l.aula = t.SOLUC.LeerTexto(sAula);
        }

        w.Abrir("grupo_datos");
        w.Atributo("seq", "HORARIO_REGULAR_PROFESOR_" + std::to_string(profesor++));
        w.Atributo("registros", static_cast<std::int64_t>(lecciones.size()));
        w.ElementoConTexto("dato", "nombre_dato", "X_EMPLEADO", empleado);
        w.ElementoConTexto("dato", "nombre_dato", "F_TOMAPOS", tomaPos);

        std::int64_t actividad = 1;
        for (Leccion& l : lecciones) {
            const std::string& asig = l.asig;
            const std::string& grupo = l.grupo;
            std::string& tarea = l.tarea;
            std::string materia, curso;

            // The assignment gives the subject and course keys.
            const Encontrado& asignacion = asignaciones.Obtener(Clave(clave, asig, grupo), [&] {
                Encontrado r;
                if ((r.hallado = t.ASIGT.Localizar("CASIG;CGRUP", {asig, grupo})))
                    r.valores = {t.ASIGT.LeerTexto(aClave), t.ASIGT.LeerTexto(aCurso)};
                return r;
            });
            if (asignacion.hallado) {
                materia = asignacion.valores[0];
                curso = asignacion.valores[1];
            }
            // A lesson without activity takes its subject's task.
            if (EnBlanco(tarea)) {
                const Encontrado& tareaAsig = tareas.Obtener(asig, [&] {
                    Encontrado r;
                    if ((r.hallado = t.ASIGNOMT.Localizar("COD", {asig}))) r.valores = {t.ASIGNOMT.LeerTexto(nTarea)};
                    return r;
                });
                if (tareaAsig.hallado) tarea = tareaAsig.valores[0];
            }

            // The slot: day and period in the frame of the lesson.
            const std::string& diho = l.diho;
            const std::string& marco = l.marco;
            const Encontrado& tramo = tramos.Obtener(Clave(clave, diho, marco), [&] {
                Encontrado r;
                r.valores = {"", "", "0", "0"};
                if ((r.hallado = t.DIASHORAST.Localizar("DIHO;MARCO", {diho, marco})))
                    r.valores = {t.DIASHORAST.LeerTexto(dDia), t.DIASHORAST.LeerTexto(dCodigo),
                                 MinutosDelDia(t.DIASHORAST.LeerTexto(dDesde)),
                                 MinutosDelDia(t.DIASHORAST.LeerTexto(dHasta))};
                return r;
            });

            std::string& aula = l.aula;
            if (EnBlanco(aula)) aula.clear();

            // The group gives its key, and the course key when the assignment gave none.
            std::string unidad;
            const Encontrado& grupoHallado = grupos.Obtener(grupo, [&] {
                Encontrado r;
                if ((r.hallado = t.GRUPOST.Localizar("ABREV", {grupo})))
                    r.valores = {t.GRUPOST.LeerTexto(gClave), t.GRUPOST.LeerTexto(gCurso)};
                return r;
            });
            if (grupoHallado.hallado) {
                unidad = grupoHallado.valores[0];
                if (EnBlanco(curso)) curso = grupoHallado.valores[1];
            }
            // Without a subject key, the subject offered in that course.
            if (EnBlanco(materia)) {
                const Encontrado& oferta = ofertas.Obtener(Clave(clave, asig, curso), [&] {
                    Encontrado r;
                    if ((r.hallado = t.ASIGNOMT2.Localizar("COD;OFERTAMATRI", {asig, curso})))
                        r.valores = {t.ASIGNOMT2.LeerTexto(oMateria)};
                    return r;
                });
                if (oferta.hallado) materia = oferta.valores[0];
            }
            if (EnBlanco(tarea)) tarea = "1";

            seq = "ACTIVIDAD_" + std::to_string(actividad++);
            w.Abrir("grupo_datos");
            w.Atributo("seq", seq);
            w.ElementoConTexto("dato", "nombre_dato", "N_DIASEMANA", tramo.valores[0]);
            w.ElementoConTexto("dato", "nombre_dato", "X_TRAMO", tramo.valores[1]);
            w.ElementoConTexto("dato", "nombre_dato", "X_DEPENDENCIA", aula);
            w.ElementoConTexto("dato", "nombre_dato", "X_UNIDAD", unidad);
            w.ElementoConTexto("dato", "nombre_dato", "X_OFERTAMATRIG", curso);
            w.ElementoConTexto("dato", "nombre_dato", "X_MATERIAOMG", materia);
            w.ElementoConTexto("dato", "nombre_dato", "F_INICIO", fechaInicio);
            w.ElementoConTexto("dato", "nombre_dato", "F_FIN", fechaFin);
            w.ElementoConTexto("dato", "nombre_dato", "N_HORINI", tramo.valores[2]);
            w.ElementoConTexto("dato", "nombre_dato", "N_HORFIN", tramo.valores[3]);
            w.ElementoConTexto("dato", "nombre_dato", "X_ACTIVIDAD", tarea);
            w.Cerrar();
        }
        w.Cerrar();
    }
}

core::FinEjecucion BImportarClick(core::EstadoVentana& estado, core::Interaccion& ui,
                                  const OpcionesExportacion& opciones) {
    if (auto elegido = ui.ElegirDocumento()) estado.ArchivoXML = *elegido;

    std::error_code ec;
    if (estado.ArchivoXML.empty() || !fs::is_regular_file(estado.ArchivoXML, ec)) {
        ui.Mensaje(core::mensajes::kNoExisteArchivo);
        if (estado.Hospedado()) estado.CodigoResultado = -1;
        return core::FinEjecucion::SinDocumento;
    }

    ui.Ocupado(true);
    std::string error;
    try {
        Ejecutar(estado.ArchivoXML, opciones);
        ui.Ocupado(false);
        estado.CodigoResultado = 1;
        ui.Mensaje(core::mensajes::kProcesoFinalizado);
        return core::FinEjecucion::Finalizado;
    } catch (const Detencion& d) {
        ui.Ocupado(false);
        ui.Mensaje(d.mensaje);
        return core::FinEjecucion::Detenido;
    } catch (const core::ErrorEjecucion& e) {
        error = e.what();
    } catch (const fs::filesystem_error& e) {
        error = "Error de archivo en '" + RutaAnsi(e.path1()) + "': " + exchange::Utf8AAnsi(e.code().message());
    } catch (const std::bad_alloc&) {
        error = "Memoria insuficiente para terminar el proceso.";
    } catch (const std::exception& e) {
        error = std::string("Error inesperado: ") + exchange::Utf8AAnsi(e.what());
    }
    // The tables are closed and no output was written.
    ui.Ocupado(false);
    ui.Error(error);
    return core::FinEjecucion::Error;
}

}  // namespace to_document
