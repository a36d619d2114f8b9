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
#include <cstring>
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
        // From k = 10 on, with a base of eight characters or more, a candidate
        // longer than ten characters is cut to the base's first eight and the
        // last two digits of k, and none of those candidates is given when it
        // is longer than every code of the set:
        // whether a cut form is free depends on k % 100 alone, and the set
        // does not change during this call, so each is looked up once.
        signed char libre[100];  // -1 unknown, 0 given, 1 free
        std::memset(libre, -1, sizeof libre);
        std::string cortado;
        for (; k <= kUltimoSufijo; ++k) {
            if (k >= 10 && base.size() >= 8 && base.size() + (k < 100 ? 2 : k < 1000 ? 3 : k < 10000 ? 4 : 5) > 10 &&
                base.size() + 2 > conjunto_.LargoMaximo()) {
                const int dd = k % 100;
                if (libre[dd] < 0) {
                    cortado.assign(base, 0, 8);
                    cortado += static_cast<char>('0' + dd / 10);
                    cortado += static_cast<char>('0' + dd % 10);
                    libre[dd] = conjunto_.Contiene(cortado) ? 0 : 1;
                }
                if (!libre[dd]) continue;
                cortado.assign(base, 0, 8);
                cortado += static_cast<char>('0' + dd / 10);
                cortado += static_cast<char>('0' + dd % 10);
                return cortado;
            }
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
