// Whole-number conversion and the Spanish date formats.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/errores.h"
#include "core/reloj.h"

namespace core {
namespace {

TEST(ConvertirEntero, SignoOpcionalYDigitosEn32Bits) {
    const std::vector<std::pair<std::string, int>> validos = {
        {"0", 0},       {"7", 7},     {"-7", -7},   {"+7", 7},   {"007", 7},
        {"2147483647", INT_MAX},    {"-2147483648", INT_MIN},    {"-0", 0},
    };
    for (const auto& [texto, valor] : validos) EXPECT_EQ(ConvertirEntero(texto), valor) << texto;
}

TEST(ConvertirEntero, TextoNoEnteroDaMensajeConElTexto) {
    const std::vector<std::string> invalidos = {
        "", "-", "+", " 7", "7 ", "8:30", "1.5", "1e3", "0x10", "2147483648", "-2147483649",
        "99999999999999999999999", "--1", "\xBD",
    };
    for (const auto& texto : invalidos) {
        try {
            ConvertirEntero(texto);
            ADD_FAILURE() << "accepted '" << texto << "'";
        } catch (const ErrorConversion& e) {
            EXPECT_EQ(std::string(e.what()), "'" + texto + "' no es un valor entero v\xE1lido");
        }
    }
    // A NUL byte from a damaged field must not cut the message short.
    try {
        ConvertirEntero(std::string("1\0", 2));
        ADD_FAILURE();
    } catch (const ErrorConversion& e) {
        EXPECT_EQ(std::string(e.what()), "'1?' no es un valor entero v\xE1lido");
    }
}

TEST(FormatoFechaEspanol, FechaCortaYHoraLarga) {
    const FormatoFechaEspanol f;
    const RelojFijo reloj({2026, 12, 1, 9, 5, 3});
    EXPECT_EQ(f.FechaCorta(reloj.Ahora()), "01/12/2026");
    EXPECT_EQ(f.HoraLarga(reloj.Ahora()), "9:05:03");
    EXPECT_EQ(f.HoraLarga({2026, 1, 31, 23, 59, 0}), "23:59:00");
}

TEST(RelojSistema, DaUnaFechaPlausible) {
    const FechaHora a = RelojSistema().Ahora();
    EXPECT_GE(a.anio, 2020);
    EXPECT_TRUE(a.mes >= 1 && a.mes <= 12 && a.dia >= 1 && a.dia <= 31);
    EXPECT_TRUE(a.hora >= 0 && a.hora <= 23 && a.minuto >= 0 && a.minuto <= 59);
}

}  // namespace
}  // namespace core
