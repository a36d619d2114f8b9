// Unique codes with remembered suffixes give exactly CodigoUnico's results,
// and shortened codes never repeat.
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "to_tables/codigos.h"

namespace {

// CodigoUnico's candidates, passing over those whose shortened form is given.
std::string Referencia(const std::string& base, const exchange::ConjuntoCodigos& c) {
    auto libre = [&](const std::string& x) {
        return !c.Contiene(x) && !c.Contiene(exchange::AcortarCodigo(x));
    };
    if (libre(base)) return exchange::AcortarCodigo(base);
    for (int k = 1; k <= to_tables::CodigosUnicos::kUltimoSufijo; ++k)
        if (libre(base + std::to_string(k))) return exchange::AcortarCodigo(base + std::to_string(k));
    return exchange::AcortarCodigo(exchange::CodigoUnico(base, c));
}

TEST(CodigosUnicos, IgualQueCodigoUnicoYSinRepetidos) {
    for (auto comparacion : {exchange::Comparacion::Exacta, exchange::Comparacion::IgnorarCase}) {
        exchange::ConjuntoCodigos a(comparacion), b(comparacion), c(comparacion);
        to_tables::CodigosUnicos unicos(b), acortados(c);
        std::mt19937 azar(7);
        // Short bases that collide with each other's suffixed forms ("A" + "1"
        // and "A1"), in both cases, and long ones that get shortened.
        const std::vector<std::string> bases = {"A", "A1", "a", "A11", "B", "\xD1", "\xF1", "ABCDEFGHIJ", "ABCDEFGH"};
        for (int i = 0; i < 3000; ++i) {
            const std::string& base = bases[azar() % bases.size()];
            const std::string esperado = exchange::CodigoUnico(base, a);
            ASSERT_EQ(unicos.Unico(base), esperado) << i << " " << base;
            a.Agregar(exchange::AcortarCodigo(esperado));
            b.Agregar(exchange::AcortarCodigo(esperado));

            const std::string final = acortados.UnicoAcortado(base);
            ASSERT_EQ(final, Referencia(base, c)) << i << " " << base;
            c.Agregar(final);
        }
    }
}

TEST(CodigosUnicos, AcortadoNoRepiteCodigosMientrasHayaLibres) {
    exchange::ConjuntoCodigos conjunto(exchange::Comparacion::IgnorarCase);
    to_tables::CodigosUnicos unicos(conjunto);
    std::vector<std::string> dados;
    for (int i = 0; i < 4; ++i) {
        dados.push_back(unicos.UnicoAcortado("BACHILLERB"));
        conjunto.Agregar(dados.back());
    }
    // Where the plain rule gives a free code it is kept ("BACHILLEB1");
    // the third and fourth would repeat it and take the next suffixes.
    EXPECT_EQ(dados, (std::vector<std::string>{"BACHILLERB", "BACHILLEB1", "BACHILLEB2", "BACHILLEB3"}));

    // A ten-character base has about a hundred shortened forms; once all
    // are given the plain rule's code is repeated instead of searching forever.
    std::set<std::string> distintos(dados.begin(), dados.end());
    for (int i = 0; i < 200; ++i) {
        dados.push_back(unicos.UnicoAcortado("BACHILLERB"));
        distintos.insert(dados.back());
        conjunto.Agregar(dados.back());
    }
    EXPECT_EQ(distintos.size(), 110u);  // the base, ...B1 to ...B9, ...10 to ...99 and ...00
}

}  // namespace
