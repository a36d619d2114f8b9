#pragma once
// The clock and the user's date formats, injected so that outputs are
// reproducible in tests.
#include <string>

namespace core {

struct FechaHora {
    int anio = 2000, mes = 1, dia = 1;
    int hora = 0, minuto = 0, segundo = 0;
};

class Reloj {
public:
    virtual ~Reloj() = default;
    virtual FechaHora Ahora() const = 0;
};

// The machine's local time.
class RelojSistema final : public Reloj {
public:
    FechaHora Ahora() const override;
};

// Always the same moment (tests, reproducible files).
class RelojFijo final : public Reloj {
public:
    explicit RelojFijo(FechaHora f) : f_(f) {}
    FechaHora Ahora() const override { return f_; }
private:
    FechaHora f_;
};

// The user's short date and long time, as the regional settings write them.
class FormatoFecha {
public:
    virtual ~FormatoFecha() = default;
    virtual std::string FechaCorta(const FechaHora&) const = 0;  // e.g. 11/12/2026
    virtual std::string HoraLarga(const FechaHora&) const = 0;   // e.g. 9:05:03
};

// dd/mm/yyyy and H:mm:ss, the Spanish regional defaults.
class FormatoFechaEspanol final : public FormatoFecha {
public:
    std::string FechaCorta(const FechaHora&) const override;
    std::string HoraLarga(const FechaHora&) const override;
};

}  // namespace core
