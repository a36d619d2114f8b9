#pragma once
// The tables-to-document run (the right button of the main window).
#include <filesystem>

#include "core/estado.h"
#include "core/interaccion.h"
#include "core/reloj.h"

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

}  // namespace to_document
