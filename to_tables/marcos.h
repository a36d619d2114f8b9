#pragma once
// The timetable frames of a document as the frame selection dialog shows
// them, and the dialog's close check. Shared by the desktop dialog and the
// batch tool.
#include <filesystem>
#include <string>
#include <vector>

#include "core/interaccion.h"

namespace to_tables {

struct MarcoHorario {
    std::string codigo;         // value 0 of the frame record, untrimmed (Windows-1252)
    std::string nombre;         // value 1
    std::string fechaInicio;    // value 2
    std::string fechaFin;       // value 3
};

struct DatosMarcos {
    bool cargado = false;                 // the document loaded
    std::vector<MarcoHorario> marcos;     // every JORNADAS_ESCOLARES record, document order
    struct Tramo { std::string marco; std::string etiqueta; };  // values 4 and 1, untrimmed
    std::vector<Tramo> tramos;            // every TRAMOS_HORARIOS record, document order
};

// Loads the document on its own and reads its frames and slots. A document
// that does not load gives `cargado` false and empty lists; never throws.
DatosMarcos LeerMarcos(const std::filesystem::path& documento);

// The entries the dialog lists: the frame codes when there is more than one
// frame record, else none.
std::vector<std::string> CodigosParaLista(const DatosMarcos& datos);

// Details for the current frame code, as the dialog's refresh shows them:
// the last frame record with that exact code gives name and dates ("-" when
// none), and the slot labels of every slot record whose frame code is exactly
// that code (empty when the document has at most one slot record).
struct DetalleMarco {
    std::string nombre = "-", fechaInicio = "-", fechaFin = "-";
    std::vector<std::string> etiquetas;
};
DetalleMarco Detalle(const DatosMarcos& datos, const std::string& codigoActual);

// The close check: `seleccionados[i]` tells whether entry i (list order) is
// selected. Fills MarcosSeleccionados (10 characters per selected entry, in
// list order) and SeleccionValida; `mensaje` gets the text to show, if any.
core::EleccionMarcos CerrarSeleccion(const std::vector<std::string>& entradas,
                                     const std::vector<bool>& seleccionados, std::string& mensaje);

}  // namespace to_tables
