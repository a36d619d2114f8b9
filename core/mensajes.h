#pragma once
// The system's own messages, in Windows-1252 (\xD3 is Ó, \xE1 is á, \xF3 is ó).
namespace core::mensajes {

inline constexpr const char* kTituloAplicacion = "ZezerIvivuZirara";
inline constexpr const char* kNoExisteArchivo = "No existe archivo";
inline constexpr const char* kProcesoFinalizado = "Proceso finalizado";
inline constexpr const char* kFaltaNivellari =
    "ATENCI\xD3N - NIVELLARI.DBF No encontrado - Reinstale ZEZERIVIVUZIRARA";
inline constexpr const char* kFaltaPeriodos =
    "ATENCI\xD3N - PERIODOS.DBF No encontrado - Importe de nuevo XML de VELDRA.";
// Follows the quoted text: "'8:30' no es un valor entero válido".
inline constexpr const char* kNoEsEnteroValido = " no es un valor entero v\xE1lido";
inline constexpr const char* kDemasiadosMarcos =
    "Demasiados Marcos Horarios seleccionados.\r\nComo m\xE1ximo puede seleccionar 2 Marcos Horarios";
inline constexpr const char* kAlMenosUnMarco = "Debe al menos seleccionar 1 Marco Horario.";
inline constexpr const char* kSinMarcosElegibles =
    "El documento no ofrece Marcos Horarios que elegir: proceso cancelado.";

}  // namespace core::mensajes
