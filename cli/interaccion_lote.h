#pragma once
// The batch tool's side of the user interaction: the document comes from the
// command line, messages are kept and printed when the run ends.
#include <filesystem>
#include <string>
#include <vector>

#include "core/interaccion.h"

namespace cli {

class InteraccionLote : public core::Interaccion {
public:
    explicit InteraccionLote(std::filesystem::path documento) : documento_(std::move(documento)) {}

    std::optional<std::filesystem::path> ElegirDocumento() override { return documento_; }
    void Mensaje(const std::string& texto) override { mensajes_.push_back(texto); }
    void Error(const std::string& texto) override { mensajes_.push_back(texto); }
    core::EleccionMarcos ElegirMarcos(const std::filesystem::path&) override {
        return core::EleccionMarcos{false, {}, true};
    }
    void Ocupado(bool) override {}

    const std::vector<std::string>& Mensajes() const { return mensajes_; }

    // Prints the messages: on standard output after a finished run, else on
    // standard error. Returns the exit status (0 or 1).
    int Terminar(bool finalizado) const;

private:
    std::filesystem::path documento_;
    std::vector<std::string> mensajes_;
};

}  // namespace cli
