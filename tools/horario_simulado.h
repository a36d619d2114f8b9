#pragma once
// A stand-in for the timetable program, for demonstrations, tests and
// benchmarks: from the working tables of a folder it writes a plausible
// solution table SOLUC.DBF. Not part of the converter.
#include <cstdint>
#include <filesystem>

namespace simulado {

struct OpcionesSimulado {
    std::filesystem::path carpeta;       // the working folder
    std::uint64_t semilla = 1;           // same seed and tables: same SOLUC
    std::int64_t filas = -1;             // < 0: one timetable of the assignments; else exactly this many rows
    double sinColocar = 0.05;            // share of lessons left unplaced (DIA 0)
};

struct ResumenSimulado {
    std::int64_t filas = 0;
    std::int64_t colocadas = 0;
    std::int64_t sinColocar = 0;
};

// Reads PROFT, GRUPOST, AULAT, ASIGT and DIASHORAST and writes SOLUC.DBF
// (PROF, DIA, HORA, MARCO, ASIG, CODGRUPO, TAREA, AULA), replacing it.
// Without a row count each assignment's lessons (one digit of SESIONES each,
// its length in periods) are placed for a teacher in free periods (Monday to Friday) of the
// group's frame, one row per period; a lesson that finds no room, and a share
// of the others, is left unplaced. With a row count, rows are drawn at random
// from the assignments and slots until there are that many.
// Throws core::ErrorEjecucion with a Spanish message.
ResumenSimulado GenerarSoluc(const OpcionesSimulado& opciones);

}  // namespace simulado
