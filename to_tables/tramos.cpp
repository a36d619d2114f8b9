// Time slots and timetable frames: DIASHORAST, DIASHORAST2 and PERIODOS.
#include <string>
#include <vector>

#include "core/mensajes.h"
#include "exchange/texto.h"
#include "tables/esquemas.h"
#include "to_tables/pasos.h"

namespace to_tables {

using namespace exchange;

namespace {

// Minutes after midnight as hh:mm (hours rounded down).
std::string FormatoHora(int minutos) {
    int h = minutos / 60, m = minutos % 60;
    if (m < 0) { m += 60; h -= 1; }
    std::string hh = std::to_string(h), mm = std::to_string(m);
    if (hh.size() < 2) hh = "0" + hh;
    if (mm.size() < 2) mm = "0" + mm;
    return hh + ":" + mm;
}

// A start or end time: shorter than 4 characters gets one "0" in front, so
// that an empty time reads as 0.
int Minutos(const std::string& texto) {
    return core::ConvertirEntero(texto.size() < 4 ? "0" + texto : texto);
}

// The frame codes the run uses. Several frame records: the user's choice, one
// 10-character piece per frame; one record: its trimmed code; none: no frame.
std::string MarcosElegidos(Contexto& ctx, const std::vector<Registro>& jornadas) {
    if (jornadas.size() <= 1) return jornadas.empty() ? std::string() : LeerDato(jornadas[0], 0);
    for (;;) {
        core::EleccionMarcos e = ctx.ui.ElegirMarcos(ctx.estado.ArchivoXML);
        if (e.SeleccionValida) return e.MarcosSeleccionados;
        if (e.SinOpciones) throw ConversionDetenida(core::mensajes::kSinMarcosElegibles);
    }
}

struct Tramo {
    std::string codigo, etiqueta, marco, desde, hasta;
    int duracion = 0;
    bool primerMarco = false;
};

}  // namespace

void TransformarTramos(Contexto& ctx) {
    const auto& esqTramos = tablas::esquemas::DIASHORAST();
    tablas::Tabla tramos = detalle::CrearYAbrir(ctx, esqTramos);
    tablas::Tabla::Crear(ctx.carpeta, tablas::esquemas::DIASHORAST2(), ctx.reloj);
    tablas::Tabla::Crear(ctx.carpeta, tablas::esquemas::PERIODOS(), ctx.reloj);
    const int anchoDesde = detalle::Ancho(esqTramos, "HORADESDE");

    const auto jornadas = LeerBloque(ctx.documento, "JORNADAS_ESCOLARES");
    const std::string elegidos = MarcosElegidos(ctx, jornadas);
    std::string marco1, marco2;
    if (elegidos.size() == 20) {
        marco1 = QuitarEspacios(elegidos.substr(0, 10));
        marco2 = QuitarEspacios(elegidos.substr(10, 10));
    } else {
        marco1 = QuitarEspacios(Izquierda(elegidos, 10));
    }
    // An empty code is never a chosen frame.
    auto elegido = [&](const std::string& codigo) {
        return !codigo.empty() && (codigo == marco1 || codigo == marco2);
    };

    // The slots of the chosen frames, in document order. Each gives one row
    // per day with the same slot number.
    std::vector<Tramo> elegidosTramos;
    for (const auto& r : LeerBloque(ctx.documento, "TRAMOS_HORARIOS")) {
        Tramo t;
        t.marco = Izquierda(LeerDato(r, 4), 10);
        if (!elegido(t.marco)) continue;
        t.codigo = LeerDato(r, 0);
        t.etiqueta = LeerDato(r, 1);
        const int inicio = Minutos(LeerDato(r, 2));
        const int fin = Minutos(LeerDato(r, 3));
        t.duracion = fin - inicio;
        t.desde = FormatoHora(inicio);
        t.hasta = FormatoHora(fin);
        t.primerMarco = (t.marco == marco1);
        elegidosTramos.push_back(std::move(t));
    }

    // Frame ranks: the frame whose first slot of day 1 (DIHO 11) starts
    // earlier is 0; on equal starts the first code. The start is read back
    // from the stored hh:mm.
    auto inicioDia1 = [&](bool primero) {
        for (const Tramo& t : elegidosTramos) {
            if (t.primerMarco != primero) continue;
            const std::string desde = detalle::Almacenado(t.desde, anchoDesde);
            return core::ConvertirEntero(desde.substr(0, 2)) * 60 +
                   core::ConvertirEntero(desde.size() > 3 ? desde.substr(3, 2) : std::string());
        }
        return primero ? 0 : 1440;
    };
    const int inicio1 = marco1.empty() ? 0 : inicioDia1(true);
    // A second code equal to the first finds the first frame's row.
    const int inicio2 = marco2.empty() ? 1440 : (marco2 == marco1 ? inicio1 : inicioDia1(false));
    const int rango1 = inicio1 <= inicio2 ? 0 : 1;
    const int rango2 = 1 - rango1;

    const int cDiho = detalle::Pos(tramos, "DIHO"), cHora = detalle::Pos(tramos, "HORA"),
              cDia = detalle::Pos(tramos, "DIA"), cTexto = detalle::Pos(tramos, "TEXTOHOR"),
              cCod = detalle::Pos(tramos, "CODDIHO"), cDesde = detalle::Pos(tramos, "HORADESDE"),
              cHasta = detalle::Pos(tramos, "HORAHASTA"), cMin = detalle::Pos(tramos, "MINUTOS"),
              cXml = detalle::Pos(tramos, "MARCOXML"), cMarco = detalle::Pos(tramos, "MARCO");
    for (int dia = 1; dia <= 7; ++dia) {
        const std::string textoDia = std::to_string(dia);
        int hora1 = 0, hora2 = 0;
        for (const Tramo& t : elegidosTramos) {
            const int hora = t.primerMarco ? ++hora1 : ++hora2;
            const std::string textoHora = std::to_string(hora);
            tramos.Agregar();  // TEXTODIA stays empty
            tramos.EscribirTexto(cDiho, textoDia + textoHora);
            tramos.EscribirTexto(cHora, textoHora);
            tramos.EscribirTexto(cDia, textoDia);
            tramos.EscribirTexto(cTexto, t.etiqueta);
            tramos.EscribirTexto(cCod, t.codigo);
            tramos.EscribirTexto(cDesde, t.desde);
            tramos.EscribirTexto(cHasta, t.hasta);
            tramos.EscribirTexto(cMin, std::to_string(t.duracion));
            tramos.EscribirTexto(cXml, t.marco);
            tramos.EscribirEntero(cMarco, t.primerMarco ? rango1 : rango2);
            tramos.Grabar();
        }
    }
    tramos.Cerrar();

    tablas::Tabla periodos = detalle::AbrirCreada(ctx, tablas::esquemas::PERIODOS());
    for (const auto& r : jornadas) {
        const std::string codigo = LeerDato(r, 0);
        if (!elegido(codigo)) continue;
        periodos.Agregar();
        periodos.EscribirTexto("CJORNADA", codigo);
        periodos.EscribirTexto("JORNADA", LeerDato(r, 1));
        periodos.EscribirTexto("FECINI", LeerDato(r, 2));
        periodos.EscribirTexto("FECFIN", LeerDato(r, 3));
        periodos.Grabar();
    }
    periodos.Cerrar();
}

}  // namespace to_tables
