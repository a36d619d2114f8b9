#include "app/plantillas.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>

#include "app/ayuda.h"
#include "app/componentes.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace app {

QColor ColorTextoTituloInactivo() {
#ifdef _WIN32
    const DWORD c = GetSysColor(COLOR_INACTIVECAPTIONTEXT);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
#else
    return QColor(212, 208, 200);  // the classic Windows scheme's value
#endif
}

TPlantillas::TPlantillas(std::filesystem::path archivoXML, core::Interaccion* ui, QWidget* padre)
    : QDialog(padre), archivoXML_(std::move(archivoXML)), ui_(ui) {
    setObjectName(QStringLiteral("Plantillas"));
    setWindowTitle(QStringLiteral("Planillas, Marcos o Jornadas Horarias"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(FuenteSistema());
    setModal(true);
    // Outer 378 x 315 with the platform's frame; the client area is what the
    // panel covers.
    resize(370, 288);
    move(424, 285);

    Draw3D4_ = new PanelDegradado(QColor(166, 202, 240), Qt::white, ColorTextoTituloInactivo(), this);
    Draw3D4_->setObjectName(QStringLiteral("Draw3D4"));
    Draw3D4_->setGeometry(0, 0, 369, 281);
    QWidget* p = Draw3D4_;

    const QColor granate(0x80, 0x00, 0x00);
    LabelPlantillas_ = CrearEtiqueta(
        p, "LabelPlantillas",
        QStringLiteral("Seleccione 1, o los 2 Marcos Horarios que quiere aplicar a su Horario en Mirantel."),
        {16, 2, 321, 33}, FuenteArial(13), Qt::black, true);
    LabelSelec_ = CrearEtiqueta(
        p, "LabelSelec",
        QStringLiteral("Para seleccionar mas de un Marco Horario, mantenga (Ctrl) pulsado y seleccione "
                       "cada marco con 1 click del bot\u00f3n izquierdo del rat\u00f3n."),
        {16, 36, 321, 50}, FuenteArial(13, true, true), Qt::red, true);
    LabelMarcos_ = CrearEtiqueta(p, "LabelMarcos", QStringLiteral("MARCOS"), {40, 86, 74, 16},
                                 FuenteArial(16), granate, false);
    Label1_ = CrearEtiqueta(p, "Label1", QStringLiteral("HORAS"), {215, 86, 67, 18}, FuenteArial(16),
                            granate, false);

    ListBox2_ = new QListWidget(p);
    ListBox2_->setObjectName(QStringLiteral("ListBox2"));
    ListBox2_->setGeometry(16, 103, 127, 45);
    ListBox2_->setSelectionMode(QAbstractItemView::ExtendedSelection);

    ListBox1_ = new QListWidget(p);
    ListBox1_->setObjectName(QStringLiteral("ListBox1"));
    ListBox1_->setGeometry(152, 103, 193, 146);
    ListBox1_->setSelectionMode(QAbstractItemView::SingleSelection);

    LabelNombre_ = CrearEtiqueta(p, "LabelNombre", QStringLiteral("-"), {9, 151, 120, 41},
                                 FuenteArial(16, true, false, true), granate, true);
    LabelPlanFec1_ = CrearEtiqueta(p, "LabelPlanFec1", QStringLiteral("-"), {9, 196, 120, 23},
                                   FuenteArial(16), granate, false);
    LabelPlanFec2_ = CrearEtiqueta(p, "LabelPlanFec2", QStringLiteral("-"), {9, 226, 120, 23},
                                   FuenteArial(16), granate, false);

    ComboBoxPlantilla_ = new QComboBox(p);
    ComboBoxPlantilla_->setObjectName(QStringLiteral("ComboBoxPlantilla"));
    ComboBoxPlantilla_->setGeometry(150, 254, 81, 21);
    ComboBoxPlantilla_->hide();

    BitBtnContinuar_ = CrearBotonGlifo(ClaseBoton::Aceptar, QStringLiteral("Continuar"), p);
    BitBtnContinuar_->setObjectName(QStringLiteral("BitBtnContinuar"));
    BitBtnContinuar_->setGeometry(255, 253, 89, 25);
    QFont negrita = FuenteSistema();
    negrita.setBold(true);
    BitBtnContinuar_->setFont(negrita);
    BitBtnContinuar_->setDefault(true);
    BitBtnContinuar_->setAutoDefault(true);

    setTabOrder(BitBtnContinuar_, ComboBoxPlantilla_);
    setTabOrder(ComboBoxPlantilla_, ListBox1_);
    setTabOrder(ListBox1_, ListBox2_);

    connect(BitBtnContinuar_, &QPushButton::clicked, this, &TPlantillas::BitBtnContinuarClick);
    connect(ListBox2_, &QListWidget::itemClicked, this, [this] { ListBox2Click(); });
    connect(ListBox2_, &QListWidget::currentRowChanged, this, [this] { ListBox2Click(); });
    connect(ComboBoxPlantilla_, &QComboBox::activated, this, [this] { ComboBoxPlantillaChange(); });

    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this,
            [this] { Ayuda::Aplicacion().MostrarTema(kTemaPrincipal, this); });
}

void TPlantillas::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!activado_) {
        activado_ = true;
        FormActivate();
    }
}

void TPlantillas::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    // The panel covers the client area, also when the user resizes.
    Draw3D4_->setGeometry(0, 0, std::max(369, width()), std::max(281, height()));
}

void TPlantillas::FormActivate() {
    datos_ = to_tables::LeerMarcos(archivoXML_);
    const std::vector<std::string> codigos = to_tables::CodigosParaLista(datos_);
    if (!codigos.empty()) {
        ComboBoxPlantilla_->clear();
        ListBox2_->clear();
        entradas_.clear();
        const QSignalBlocker bloqueo(ListBox2_);
        for (const std::string& c : codigos) {
            ComboBoxPlantilla_->addItem(DesdeAnsi(c));
            ListBox2_->addItem(DesdeAnsi(c));
            entradas_.push_back(c);
        }
    }
    ComboBoxPlantilla_->setCurrentIndex(ComboBoxPlantilla_->count() > 0 ? 0 : -1);
    ComboBoxPlantillaChange();
}

void TPlantillas::ComboBoxPlantillaChange() {
    const int i = ComboBoxPlantilla_->currentIndex();
    const std::string actual =
        (i >= 0 && i < static_cast<int>(entradas_.size())) ? entradas_[static_cast<std::size_t>(i)]
                                                           : AAnsi(ComboBoxPlantilla_->currentText());
    const to_tables::DetalleMarco d = to_tables::Detalle(datos_, actual);
    LabelNombre_->setText(DesdeAnsi(d.nombre));
    LabelNombre_->setToolTip(LabelNombre_->text());  // a long name is shown whole here
    LabelPlanFec1_->setText(DesdeAnsi(d.fechaInicio));
    LabelPlanFec2_->setText(DesdeAnsi(d.fechaFin));
    if (datos_.tramos.size() > 1) {
        ListBox1_->clear();
        for (const std::string& e : d.etiquetas) ListBox1_->addItem(DesdeAnsi(e));
    }
}

void TPlantillas::ListBox2Click() {
    // The entry with the focus: the one just clicked, selected or not.
    const int actual = ListBox2_->currentRow();
    if (actual < 0) return;
    ComboBoxPlantilla_->setCurrentIndex(actual);
    ComboBoxPlantillaChange();
}

void TPlantillas::BitBtnContinuarClick() { close(); }

void TPlantillas::reject() { close(); }

void TPlantillas::closeEvent(QCloseEvent* e) {
    if (cerrando_) {
        e->accept();
        return;
    }
    cerrando_ = true;
    FormClose();
    e->accept();
    QDialog::done(QDialog::Rejected);
    cerrando_ = false;
}

void TPlantillas::FormClose() {
    std::vector<bool> seleccionados;
    seleccionados.reserve(entradas_.size());
    for (int i = 0; i < ListBox2_->count(); ++i) seleccionados.push_back(ListBox2_->item(i)->isSelected());
    std::string mensaje;
    resultado_ = to_tables::CerrarSeleccion(entradas_, seleccionados, mensaje);
    // With nothing to choose from, the run ends with its own message.
    resultado_.SinOpciones = entradas_.empty();
    if (resultado_.SinOpciones) {
        resultado_.SeleccionValida = false;
        return;
    }
    if (mensaje.empty()) return;
    if (ui_) {
        ui_->Mensaje(mensaje);
    } else {
        QMessageBox caja(QMessageBox::NoIcon, QString::fromLatin1(kTitulo), TextoParaMostrar(mensaje),
                         QMessageBox::Ok, this);
        caja.exec();
    }
}

}  // namespace app
