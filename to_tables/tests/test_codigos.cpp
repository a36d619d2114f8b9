// Unique codes with remembered suffixes give exactly CodigoUnico's results.
#include <random>

#include <gtest/gtest.h>

#include "to_tables/codigos.h"

namespace {

TEST(CodigosUnicos, IgualQueCodigoUnico) {
    for (auto comparacion : {exchange::Comparacion::Exacta, exchange::Comparacion::IgnorarCase}) {
        exchange::ConjuntoCodigos a(comparacion), b(comparacion);
        to_tables::CodigosUnicos unicos(b);
        std::mt19937 azar(7);
        // Short bases that collide with each other's suffixed forms ("A" + "1"
        // and "A1"), in both cases, and long ones that get shortened.
        const std::vector<std::string> bases = {"A", "A1", "a", "A11", "B", "\xD1", "\xF1", "ABCDEFGHIJ", "ABCDEFGH"};
        for (int i = 0; i < 3000; ++i) {
            const std::string& base = bases[azar() % bases.size()];
            const std::string esperado = exchange::CodigoUnico(base, a);
            ASSERT_EQ(unicos.Unico(base), esperado) << i << " " << base;
            const std::string final = exchange::AcortarCodigo(esperado);
            a.Agregar(final);
            b.Agregar(final);
        }
    }
}

}  // namespace
