#pragma once
// Making codes unique within a step, as CodigoUnico does, without probing
// the same suffixes again: for each base the first suffix not yet tried is
// remembered. The set only grows during a step, so every suffix below the
// remembered one is still taken and the result equals CodigoUnico's.
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

    exchange::ConjuntoCodigos& Conjunto() { return conjunto_; }

private:
    exchange::ConjuntoCodigos& conjunto_;
    std::unordered_map<std::string, int> siguiente_;
};

}  // namespace to_tables
