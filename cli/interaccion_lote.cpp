#include "cli/interaccion_lote.h"

#include <cstdio>

#include "cli/comandos.h"

namespace cli {

int InteraccionLote::Terminar(bool finalizado) const {
    std::FILE* flujo = finalizado ? stdout : stderr;
    for (const auto& m : mensajes_) EscribirLinea(flujo, m);
    return finalizado ? 0 : 1;
}

}  // namespace cli
