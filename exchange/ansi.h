#pragma once
// Windows-1252, the system's 8-bit code page, and its conversions at the edges.
#include <string>
#include <string_view>

namespace exchange {

// The Unicode code point of a Windows-1252 byte. The five bytes that
// Windows-1252 leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) map to U+0081...
// as the platform's conversion does.
char32_t AnsiACodigo(unsigned char c);

// The Windows-1252 byte of a code point, or -1 when it has none.
int CodigoAAnsi(char32_t cp);

// UTF-8 to Windows-1252; a character without a Windows-1252 form becomes '?'.
// Malformed UTF-8 sequences also become '?'.
std::string Utf8AAnsi(std::string_view utf8);

// Windows-1252 to UTF-8.
std::string AnsiAUtf8(std::string_view ansi);

}  // namespace exchange
