#pragma once
// The document-to-tables run (the left button of the main window).
#include <filesystem>

#include "core/estado.h"
#include "core/interaccion.h"
#include "core/reloj.h"

namespace to_tables {

struct OpcionesConversion {
    std::filesystem::path carpetaTrabajo;    // the working folder (C:\MTEMP)
    std::filesystem::path tablaReferencia;   // NIVELLARI.DBF beside the program
    const core::Reloj* reloj = nullptr;      // dates the table headers; system clock when null
};

// Chooses and checks the document, loads it, runs the seven steps and reports
// the end through `ui`. All-or-nothing: when the run stops for any reason the
// working folder is as it was before. Never throws.
core::FinEjecucion BExportarClick(core::EstadoVentana& estado, core::Interaccion& ui,
                                  const OpcionesConversion& opciones);

}  // namespace to_tables
