#pragma once
// TMForm: the main window. It owns the state both conversions share, starts
// them from its buttons (or, in hosted mode, when first shown), embeds itself
// into the host window, and leaves the result code in "Mirantel.ini" when it
// closes in hosted mode.
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/estado.h"
#include "core/interaccion.h"

class QLabel;
class QPushButton;
class QWindow;

namespace app {

class PanelDegradado;

using FabricaInteraccion = std::function<std::unique_ptr<core::Interaccion>(QWidget* ventana)>;
using Run = std::function<core::FinEjecucion(core::EstadoVentana&, core::Interaccion&)>;

struct ConfiguracionVentana {
    QStringList argumentos;                  // the command line without the program
    FabricaInteraccion interaccion;          // one interaction per run or message
    std::filesystem::path archivoIni;        // "Mirantel.ini" beside the program
    Run exportar;                            // the document-to-tables run
    Run importar;                            // the tables-to-document run
};

// The real set-up: the Qt interaction, the settings file beside the program,
// both conversions on the working folder (TMV_CARPETA_TRABAJO overrides the
// default one) with the reference table beside the program.
ConfiguracionVentana ConfiguracionPredeterminada(const QStringList& argumentos);

class TMForm : public QWidget {
    Q_OBJECT
public:
    explicit TMForm(ConfiguracionVentana config, QWidget* padre = nullptr);
    ~TMForm() override;

    const core::EstadoVentana& Estado() const { return estado_; }
    core::EstadoVentana& Estado() { return estado_; }
    bool Incrustada() const { return anfitrion_ != nullptr; }

    // Handlers.
    void FormCreate();
    void FormShow();
    void BExportarClick();
    void BImportarClick();
    void Button1Click();
    bool FormClose();   // false: the window stays open

signals:
    void cerrada();     // the window closed; the application ends

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void Ejecutar(const Run& run);
    void Incrustar(std::uint32_t manejador);

    ConfiguracionVentana config_;
    core::EstadoVentana estado_;
    bool mostrada_ = false;
    bool enEjecucion_ = false;
    QWindow* anfitrion_ = nullptr;

    PanelDegradado *Draw3D1_, *Draw3D2_, *Draw3D3_;
    QLabel *Label1_, *Label3_, *Label4_;
    QPushButton *BExportar_, *BImportar_, *BClose_, *Button1_;
};

// "Unable to write to %s": a settings file that cannot be written.
QString TextoNoSePuedeEscribir(const std::filesystem::path& archivo);

}  // namespace app
