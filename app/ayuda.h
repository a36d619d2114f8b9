#pragma once
// The application's help: the current help file ("VLDRA.chm" at start-up,
// "VELDRA.chm" once the help button was used), topic 3 for F1 and the
// contents page for the help button. On Windows the compiled help file beside
// the program is used when present; otherwise the HTML guide in the folder
// "help" beside the program opens in the desktop's browser. A request never
// blocks the window.
#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

namespace app {

inline constexpr const char* kAyudaInicial = "VLDRA.chm";
inline constexpr const char* kAyudaBoton = "VELDRA.chm";
inline constexpr int kTemaPrincipal = 3;

struct PeticionAyuda {
    QString archivo;   // the help file asked for ("VLDRA.chm")
    int tema = 0;      // 0: the contents page
    QUrl pagina;       // the HTML page standing for it
};

class Ayuda {
public:
    // Shows a request; false when nothing could show it.
    using Visor = std::function<bool(const PeticionAyuda&)>;

    static Ayuda& Aplicacion();   // the one help of the process

    QString ArchivoAyuda() const { return archivo_; }
    void FijarArchivoAyuda(const QString& archivo) { archivo_ = archivo; }

    // The folder of the HTML guide (default: "help" beside the program).
    void FijarCarpetaGuia(const QString& carpeta) { carpetaGuia_ = carpeta; }
    QString CarpetaGuia() const;

    void FijarVisor(Visor visor) { visor_ = std::move(visor); }

    // F1: topic `tema` of the current help file.
    void MostrarTema(int tema, QWidget* ventana);
    // The help system's contents page of the current help file.
    void MostrarContenido(QWidget* ventana);

    PeticionAyuda Peticion(int tema) const;

private:
    void Mostrar(const PeticionAyuda& peticion, QWidget* ventana);

    QString archivo_ = QString::fromLatin1(kAyudaInicial);
    QString carpetaGuia_;
    Visor visor_;
};

}  // namespace app
