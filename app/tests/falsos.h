#pragma once
// A scripted user for the windows' tests: answers the open dialog from a
// queue, records messages and errors, and counts the wait cursor.
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/interaccion.h"

namespace prueba {

// The whole content of a file, byte for byte ("" when it cannot be read).
inline std::string Leer(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

struct Registro {
    std::deque<std::optional<std::filesystem::path>> respuestas;  // nullopt: Cancel
    std::vector<std::string> mensajes;
    std::vector<std::string> errores;
    std::vector<std::filesystem::path> dialogosPedidos;
    int ocupado = 0;
    int interacciones = 0;
};

class InteraccionFalsa : public core::Interaccion {
public:
    explicit InteraccionFalsa(Registro& r) : r_(r) { ++r_.interacciones; }
    std::optional<std::filesystem::path> ElegirDocumento() override {
        if (r_.respuestas.empty()) return std::nullopt;
        auto v = r_.respuestas.front();
        r_.respuestas.pop_front();
        return v;
    }
    void Mensaje(const std::string& t) override { r_.mensajes.push_back(t); }
    void Error(const std::string& t) override { r_.errores.push_back(t); }
    core::EleccionMarcos ElegirMarcos(const std::filesystem::path& d) override {
        r_.dialogosPedidos.push_back(d);
        return {false, {}, true};
    }
    void Ocupado(bool o) override { r_.ocupado += o ? 1 : -1; }

private:
    Registro& r_;
};

}  // namespace prueba
