#pragma once
// Widgets and helpers shared by both windows: the three-colour gradient panel,
// the glyph buttons, fonts, and the Windows-1252 <-> QString edge.
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QRect>
#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <string>

namespace app {

// The application title: caption of every message box and error box.
inline constexpr const char* kTitulo = "ZezerIvivuZirara";

// Windows-1252 text of the core to Qt and back.
QString DesdeAnsi(const std::string& textoAnsi);
std::string AAnsi(const QString& texto);
// A message as a box shows it: CR LF and lone CR become line breaks.
QString TextoParaMostrar(const std::string& textoAnsi);

// The owner for a dialog of `ventana`: the window itself, or none when it sits
// inside a foreign host window (which cannot own our dialogs).
QWidget* DuenioDialogos(QWidget* ventana);

// A panel painting a vertical three-colour gradient (start at the top, middle
// colour half way, end at the bottom) behind its children.
class PanelDegradado : public QWidget {
    Q_OBJECT
public:
    PanelDegradado(QColor inicio, QColor medio, QColor fin, QWidget* padre = nullptr);
    QColor Inicio() const { return inicio_; }
    QColor Medio() const { return medio_; }
    QColor Fin() const { return fin_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor inicio_, medio_, fin_;
};

// Fonts of the two windows; the named families that are missing on the
// machine fall back to the closest metric-compatible sans (Liberation Sans).
QFont FuenteSistema();                     // the dialog font, 11 pixels high
QFont FuenteArial(int pixeles, bool negrita = true, bool cursiva = false, bool subrayada = false);

// A transparent label aligned top-left, named `nombre` for tests. A one-line
// label grows when the substitute font is wider, so nothing is cut.
QLabel* CrearEtiqueta(QWidget* padre, const char* nombre, const QString& texto, QRect r,
                      const QFont& fuente, QColor color, bool ajustar);

// Bitmap buttons: the OK kind (green check mark; "Aceptar" unless a text is
// given) and the close kind (door glyph).
enum class ClaseBoton { Aceptar, Cerrar };
QPushButton* CrearBotonGlifo(ClaseBoton clase, const QString& texto, QWidget* padre);

// The program's icon, drawn at `lado` pixels (also installed as a PNG).
QPixmap DibujarIcono(int lado);
QIcon IconoPrograma();

}  // namespace app
