#include "cli/comandos.h"

namespace cli {

int ComandoShow(const Argumentos&) {
    EscribirLinea(stderr, "mirveldra: orden a\xFAn no disponible");
    return 2;
}

}  // namespace cli
