#pragma once
// The state the main window owns and both conversions share.
#include <cstdint>
#include <filesystem>

#include "exchange/texto.h"

namespace core {

struct EstadoVentana {
    std::int32_t CodigoResultado = 0;   // 0 at start, 1 after a finished run, -1 hosted without document
    std::int32_t NumParametros = 0;     // 2 in hosted mode, else 0
    std::filesystem::path ArchivoXML;   // the exchange document last chosen
    bool Hospedado() const { return NumParametros == 2; }

    // The four run-wide subject sets, all exact and case-sensitive. The
    // subjects step fills them, the activities step empties them again, and
    // every run starts with them empty.
    exchange::ConjuntoCodigos ListaCodigos{exchange::Comparacion::Exacta};
    exchange::ConjuntoCodigos ListaCodLargos{exchange::Comparacion::Exacta};
    exchange::ConjuntoCodigos ListaNombres{exchange::Comparacion::Exacta};
    exchange::ConjuntoCodigos ListaCodLargoNombre{exchange::Comparacion::Exacta};
};

// How a run ended; the window decides from it whether to disable its buttons
// and, in hosted mode, whether to close.
enum class FinEjecucion {
    Finalizado,     // "Proceso finalizado" shown, CodigoResultado 1
    SinDocumento,   // "No existe archivo" shown (CodigoResultado -1 when hosted)
    Detenido,       // one of the system's messages shown; nothing else changed
    Error,          // an error ended the run and was shown
};

// True when a hosted window closes after this ending.
inline bool CierraVentanaHospedada(FinEjecucion f) {
    return f == FinEjecucion::Finalizado || f == FinEjecucion::SinDocumento;
}

}  // namespace core
