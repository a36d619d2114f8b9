#pragma once
// The tables-to-document run (the right button of the main window).
#include <filesystem>
#include <string>
#include <string_view>

#include "core/estado.h"
#include "core/interaccion.h"
#include "core/reloj.h"
#include "exchange/escritor.h"
#include "tables/tabla.h"

namespace to_document {

struct OpcionesExportacion {
    std::filesystem::path carpetaTrabajo;          // the working folder (C:\MTEMP)
    const core::Reloj* reloj = nullptr;            // system clock when null
    const core::FormatoFecha* formato = nullptr;   // Spanish defaults when null
};

// Chooses the document, reads the working tables and SOLUC, and writes
// "ResultadoMiran" + the document's file name beside it, whole or not at all.
// Reports the end through `ui`. Never throws.
core::FinEjecucion BImportarClick(core::EstadoVentana& estado, core::Interaccion& ui,
                                  const OpcionesExportacion& opciones);

// The open tables the regular timetable records are read from.
struct TablasHorario {
    tablas::Tabla& PROFT;
    tablas::Tabla& SOLUC;
    tablas::Tabla& ASIGT;
    tablas::Tabla& ASIGNOMT;
    tablas::Tabla& ASIGNOMT2;
    tablas::Tabla& DIASHORAST;
    tablas::Tabla& GRUPOST;
};

// Writes one teacher record per PROFT row, each with one activity record per
// placed lesson of the teacher in SOLUC, as children of the element the writer
// has open (the HORARIOS_REGULARES group). Leaves SOLUC filtered on the last
// teacher. Throws core::ErrorEjecucion (ErrorTabla, ErrorConversion).
void EscribirHorariosRegulares(exchange::EscritorXML& escritor, std::string_view fechaInicio,
                               std::string_view fechaFin, TablasHorario& tablas);

// "hh:mm" (or "h:mm", "hhmm") as minutes after midnight, in decimal; an empty
// time gives "0". Throws core::ErrorConversion when a part is not a whole number.
std::string MinutosDelDia(std::string_view hora);

}  // namespace to_document
