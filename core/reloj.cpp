#include "core/reloj.h"

#include <cstdio>
#include <ctime>

namespace core {

FechaHora RelojSistema::Ahora() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return FechaHora{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string FormatoFechaEspanol::FechaCorta(const FechaHora& f) const {
    char b[32];
    std::snprintf(b, sizeof b, "%02d/%02d/%04d", f.dia, f.mes, f.anio);
    return b;
}

std::string FormatoFechaEspanol::HoraLarga(const FechaHora& f) const {
    char b[32];
    std::snprintf(b, sizeof b, "%d:%02d:%02d", f.hora, f.minuto, f.segundo);
    return b;
}

}  // namespace core
