#pragma once
// TPlantillas: the frame selection dialog. It loads the document on its own,
// lists the frame codes (Ctrl+click selects a second one), shows the details
// of the frame last clicked, and leaves MarcosSeleccionados and
// SeleccionValida when it closes, whatever closed it.
#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

#include "core/interaccion.h"
#include "to_tables/marcos.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace app {

class PanelDegradado;

class TPlantillas : public QDialog {
    Q_OBJECT
public:
    // `ui` shows the close check's messages (a plain message box when null).
    TPlantillas(std::filesystem::path archivoXML, core::Interaccion* ui, QWidget* padre = nullptr);

    // The results, valid once the dialog has closed.
    const core::EleccionMarcos& Resultado() const { return resultado_; }
    bool SeleccionValida() const { return resultado_.SeleccionValida; }
    const std::string& MarcosSeleccionados() const { return resultado_.MarcosSeleccionados; }

    // Handlers.
    void FormActivate();
    void ComboBoxPlantillaChange();
    void ListBox2Click();
    void BitBtnContinuarClick();
    void FormClose();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

public slots:
    void reject() override;  // Esc takes the road of every close

private:
    std::filesystem::path archivoXML_;
    core::Interaccion* ui_;
    to_tables::DatosMarcos datos_;
    std::vector<std::string> entradas_;   // the codes of ListBox2, Windows-1252
    core::EleccionMarcos resultado_;
    bool activado_ = false;
    bool cerrando_ = false;

    PanelDegradado* Draw3D4_;
    QLabel *LabelPlantillas_, *LabelSelec_, *LabelMarcos_, *Label1_;
    QLabel *LabelNombre_, *LabelPlanFec1_, *LabelPlanFec2_;
    QListWidget *ListBox2_, *ListBox1_;
    QComboBox* ComboBoxPlantilla_;
    QPushButton* BitBtnContinuar_;
};

// The system's inactive-caption-text colour (the end of the dialog's gradient).
QColor ColorTextoTituloInactivo();

}  // namespace app
