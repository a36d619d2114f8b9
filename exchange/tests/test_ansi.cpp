// Windows-1252 <-> Unicode.
#include "exchange/ansi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace exchange {
namespace {

TEST(Ansi, FilaDe0x80a0x9F) {
    const char32_t esperado[32] = {
        U'€', 0x81, U'‚', U'ƒ', U'„', U'…', U'†', U'‡', U'ˆ', U'‰', U'Š', U'‹', U'Œ', 0x8D, U'Ž', 0x8F,
        0x90, U'‘', U'’', U'“', U'”', U'•', U'–', U'—', U'˜', U'™', U'š', U'›', U'œ', 0x9D, U'ž', U'Ÿ',
    };
    for (int b = 0x80; b < 0xA0; ++b) {
        EXPECT_EQ(AnsiACodigo(static_cast<unsigned char>(b)), esperado[b - 0x80]) << std::hex << b;
        EXPECT_EQ(CodigoAAnsi(esperado[b - 0x80]), b) << std::hex << b;
    }
}

TEST(Ansi, IdaYVueltaDeLos256Bytes) {
    std::string todos;
    for (int b = 0; b < 256; ++b) todos += static_cast<char>(b);
    EXPECT_EQ(Utf8AAnsi(AnsiAUtf8(todos)), todos);
    for (int b = 0xA0; b < 0x100; ++b) EXPECT_EQ(AnsiACodigo(static_cast<unsigned char>(b)), char32_t(b));
}

TEST(Ansi, Utf8SinFormaOMalFormadoDaInterrogacion) {
    struct Caso {
        std::string utf8, ansi;
    };
    const std::vector<Caso> casos = {
        {"Educación física", "Educaci\xF3n f\xEDsica"},
        {"A€ñÑ", "A\x80\xF1\xD1"},
        {"ł", "?"},                   // no Windows-1252 form
        {"a😀b", "a?b"},              // four-byte character
        {"\x80x", "?x"},              // stray continuation byte
        {"\xC3", "?"},                // cut short at the end
        {"\xC3x", "?x"},              // cut short before ASCII
        {"\xE2\x82", "?"},            // three-byte sequence cut short: one '?'
        {"\xC0\xAF", "??"},           // overlong form
        {"\xED\xA0\x80", "???"},      // encoded surrogate
        {"\xF4\x90\x80\x80", "????"}, // past U+10FFFF
        {"\xFF", "?"},
        {"\xC2\x80", "?"},            // U+0080 is not in Windows-1252
        {"\xC2\x81", "\x81"},         // but U+0081 is the undefined byte 0x81
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {"", ""},
        {"una línea larga de texto ASCII con ñ al final y más", "una l\xEDnea larga de texto ASCII con \xF1 al final y m\xE1s"},
    };
    for (const auto& c : casos) EXPECT_EQ(Utf8AAnsi(c.utf8), c.ansi) << c.utf8;
    EXPECT_EQ(CodigoAAnsi(U'ł'), -1);
    EXPECT_EQ(CodigoAAnsi(0x80), -1);
}

TEST(Ansi, AnsiAUtf8) {
    EXPECT_EQ(AnsiAUtf8("Espa\xF1" "a \x80 \x93x\x94"), "España € “x”");
    EXPECT_EQ(AnsiAUtf8("ASCII puro"), "ASCII puro");
    EXPECT_EQ(AnsiAUtf8(""), "");
}

}  // namespace
}  // namespace exchange
