#pragma once
// The desktop side of the user interaction: the open dialog "Archivo XML",
// plain message boxes captioned with the application title, the error box,
// the frame selection dialog and the application-wide wait cursor.
//
// Automation hooks (tests and demonstrations), read from the environment:
//   TMV_DOCUMENTO_PRUEBA=PATH     the open dialog is not shown; PATH is the
//                                 choice (an empty value stands for Cancel).
//   TMV_MENSAJES_AUTOMATICOS=1    messages and errors are written to standard
//                                 error instead of waiting in a box.
#include <QPointer>
#include <QWidget>
#include <memory>

#include "core/interaccion.h"

namespace app {

class InteraccionQt : public core::Interaccion {
public:
    explicit InteraccionQt(QWidget* ventana);
    ~InteraccionQt() override;

    std::optional<std::filesystem::path> ElegirDocumento() override;
    void Mensaje(const std::string& textoAnsi) override;
    void Error(const std::string& textoAnsi) override;
    core::EleccionMarcos ElegirMarcos(const std::filesystem::path& documento) override;
    void Ocupado(bool ocupado) override;

private:
    // Lifts the wait cursor while the user is asked something.
    class Pausa;
    QPointer<QWidget> ventana_;
    int ocupado_ = 0;
};

std::unique_ptr<core::Interaccion> CrearInteraccionQt(QWidget* ventana);

}  // namespace app
