#pragma once
// Making codes unique within a step, as CodigoUnico does, without probing
// the same suffixes again: for each base the first suffix not yet tried is
// remembered. The set only grows during a step, so every suffix below the
// remembered one is still taken and the result equals CodigoUnico's.
//
// Codes that are shortened afterwards (AcortarCodigo) are tested before the
// cut while the set holds them after it, so a suffixed candidate can be free
// while its shortened form is taken ("TECNOLOGIA1" and "TECNOLOGIA2" are both
// free, but the first is stored as "TECNOLOGA1"): UnicoAcortado passes over
// such candidates so that no two rows ever share a code.
#include <string>
#include <unordered_map>

#include "exchange/texto.h"

namespace to_tables {

class CodigosUnicos {
public:
    explicit CodigosUnicos(exchange::ConjuntoCodigos& conjunto) : conjunto_(conjunto) {}

    // The base when the set lacks it, else the first of base+"1", base+"2", ...
    // that the set lacks. Neither shortens nor adds.
    std::string Unico(const std::string& base) {
        if (!conjunto_.Contiene(base)) return base;
        int& k = siguiente_[base];
        if (k < 1) k = 1;
        std::string candidato = base + std::to_string(k);
        while (conjunto_.Contiene(candidato)) candidato = base + std::to_string(++k);
        return candidato;
    }

    // The final code of a step that shortens: CodigoUnico's candidate cut by
    // AcortarCodigo, skipping the candidates whose shortened form is already
    // given. Equals AcortarCodigo(Unico(base)) whenever that is still free.
    // Neither adds.
    std::string UnicoAcortado(const std::string& base) {
        if (!conjunto_.Contiene(base)) {
            std::string corto = exchange::AcortarCodigo(base);
            if (corto == base || !conjunto_.Contiene(corto)) return corto;
        }
        int& k = siguienteAcortado_[base];
        if (k < 1) k = 1;
        for (; k <= kUltimoSufijo; ++k) {
            const std::string candidato = base + std::to_string(k);
            if (conjunto_.Contiene(candidato)) continue;
            std::string corto = exchange::AcortarCodigo(candidato);
            if (corto == candidato || !conjunto_.Contiene(corto)) return corto;
        }
        // Every shortened form is given (a ten-character base has only about
        // a hundred of them): the plain rule's code, repeated as it would be.
        return exchange::AcortarCodigo(Unico(base));
    }

    // The last suffix UnicoAcortado tries before it gives up.
    static constexpr int kUltimoSufijo = 10000;

    exchange::ConjuntoCodigos& Conjunto() { return conjunto_; }

private:
    exchange::ConjuntoCodigos& conjunto_;
    std::unordered_map<std::string, int> siguiente_;
    std::unordered_map<std::string, int> siguienteAcortado_;
};

}  // namespace to_tables
