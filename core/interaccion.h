#pragma once
// Everything a run asks or tells the user goes through this interface. The Qt
// window, the batch tool and the tests' fakes implement it. Texts are
// Windows-1252; paths are native.
#include <filesystem>
#include <optional>
#include <string>

namespace core {

// What the frame selection dialog leaves when it closes.
struct EleccionMarcos {
    bool SeleccionValida = false;
    std::string MarcosSeleccionados;  // one piece of exactly 10 characters per chosen frame
    // The dialog had nothing to choose from (its list stayed empty): no valid
    // choice is possible, and the run ends with a message instead of asking again.
    bool SinOpciones = false;
};

class Interaccion {
public:
    virtual ~Interaccion() = default;

    // The file-open dialog "Archivo XML" (filter *.xml, default extension xml).
    // nullopt when the user cancels.
    virtual std::optional<std::filesystem::path> ElegirDocumento() = 0;

    // A plain message box with one OK button, captioned with the application title.
    virtual void Mensaje(const std::string& textoAnsi) = 0;

    // An error that ended the run (the toolkit's standard error box).
    virtual void Error(const std::string& textoAnsi) = 0;

    // Shows the frame selection dialog once for the document at `documento`.
    // The caller shows it again while the choice is not valid.
    virtual EleccionMarcos ElegirMarcos(const std::filesystem::path& documento) = 0;

    // The application-wide wait cursor while a run works.
    virtual void Ocupado(bool ocupado) = 0;
};

}  // namespace core
