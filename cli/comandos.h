#pragma once
// The batch tool's commands. Each takes the arguments after its name and
// returns the exit status: 0 success, 1 the run or the read stopped, 2 usage.
#include <cstdio>
#include <string>
#include <vector>

namespace cli {

using Argumentos = std::vector<std::string>;

int ComandoShow(const Argumentos& args);
int ComandoToTables(const Argumentos& args);
int ComandoToDocument(const Argumentos& args);

// Writes Windows-1252 text to a stream as UTF-8, with a newline.
void EscribirLinea(std::FILE* flujo, const std::string& textoAnsi);

}  // namespace cli
