#pragma once
// Errors that end a run. Every message is Spanish text in Windows-1252, the
// system's 8-bit code page; the edges (terminal, Qt) convert it for display.
#include <stdexcept>
#include <string>

namespace core {

// An error that ends the current run. The message is shown to the user as it is.
class ErrorEjecucion : public std::runtime_error {
public:
    explicit ErrorEjecucion(const std::string& mensajeAnsi) : std::runtime_error(mensajeAnsi) {}
};

// A text that does not convert to a whole number: "'%s' no es un valor entero válido".
class ErrorConversion : public ErrorEjecucion {
public:
    explicit ErrorConversion(const std::string& textoAnsi);
};

// Converts decimal text (optional sign, digits, within 32 bits) to a whole
// number; anything else throws ErrorConversion naming the text.
int ConvertirEntero(const std::string& textoAnsi);

}  // namespace core
