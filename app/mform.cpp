#include "app/mform.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include "app/argumentos.h"
#include "app/ayuda.h"
#include "app/componentes.h"
#include "app/ini.h"
#include "app/interaccion_qt.h"
#include "core/errores.h"
#include "tables/archivos.h"
#include "to_document/exportacion.h"
#include "to_tables/conversion.h"

namespace app {

QString TextoNoSePuedeEscribir(const std::filesystem::path& archivo) {
    return QStringLiteral("Unable to write to %1")
        .arg(QDir::toNativeSeparators(QString::fromStdU16String(archivo.u16string())));
}

ConfiguracionVentana ConfiguracionPredeterminada(const QStringList& argumentos) {
    ConfiguracionVentana c;
    c.argumentos = argumentos;
    c.interaccion = [](QWidget* v) { return CrearInteraccionQt(v); };
    const std::filesystem::path programa = tablas::CarpetaPrograma();
    c.archivoIni = programa / "Mirantel.ini";
    std::filesystem::path trabajo = tablas::CarpetaTrabajoPredeterminada();
    if (const char* otra = std::getenv("TMV_CARPETA_TRABAJO"); otra && *otra)
        trabajo = std::filesystem::path(QString::fromLocal8Bit(otra).toStdU16String());
    const std::filesystem::path referencia = programa / "NIVELLARI.DBF";
    c.exportar = [trabajo, referencia](core::EstadoVentana& e, core::Interaccion& ui) {
        to_tables::OpcionesConversion o;
        o.carpetaTrabajo = trabajo;
        o.tablaReferencia = referencia;
        return to_tables::BExportarClick(e, ui, o);
    };
    c.importar = [trabajo](core::EstadoVentana& e, core::Interaccion& ui) {
        to_document::OpcionesExportacion o;
        o.carpetaTrabajo = trabajo;
        return to_document::BImportarClick(e, ui, o);
    };
    return c;
}

TMForm::TMForm(ConfiguracionVentana config, QWidget* padre)
    : QWidget(padre, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      config_(std::move(config)) {
    setObjectName(QStringLiteral("MForm"));
    setWindowTitle(QStringLiteral("Exportar e importar datos entre Mirantel y Veldra"));
    setFont(FuenteSistema());
    setFixedSize(632, 266);
    setWindowIcon(IconoPrograma());

    const QColor arena(249, 211, 125), crema(255, 238, 221);
    Draw3D2_ = new PanelDegradado(arena, Qt::white, crema, this);
    Draw3D2_->setObjectName(QStringLiteral("Draw3D2"));
    Draw3D2_->setGeometry(1, 0, 315, 169);
    Draw3D3_ = new PanelDegradado(arena, Qt::white, crema, this);
    Draw3D3_->setObjectName(QStringLiteral("Draw3D3"));
    Draw3D3_->setGeometry(316, 0, 317, 169);
    Draw3D1_ = new PanelDegradado(QColor(194, 205, 254), QColor(207, 242, 254), QColor(204, 216, 230), this);
    Draw3D1_->setObjectName(QStringLiteral("Draw3D1"));
    Draw3D1_->setGeometry(0, 168, 633, 97);

    Label3_ = CrearEtiqueta(Draw3D2_, "Label3", QStringLiteral("Transformar datos desde Veldra hacia Mirantel "),
                            {24, 24, 265, 57}, FuenteArial(16), Qt::black, true);
    BExportar_ = CrearBotonGlifo(ClaseBoton::Aceptar, {}, Draw3D2_);
    BExportar_->setObjectName(QStringLiteral("BExportar"));
    BExportar_->setGeometry(96, 120, 89, 25);

    Label4_ = CrearEtiqueta(Draw3D3_, "Label4", QStringLiteral("Transformar datos desde Mirantel hacia Veldra"),
                            {8, 24, 305, 57}, FuenteArial(16), Qt::black, true);
    BImportar_ = CrearBotonGlifo(ClaseBoton::Aceptar, {}, Draw3D3_);
    BImportar_->setObjectName(QStringLiteral("BImportar"));
    BImportar_->setGeometry(96, 120, 89, 25);

    QFont negrita = FuenteSistema();
    negrita.setBold(true);
    Label1_ = CrearEtiqueta(Draw3D1_, "Label1", QStringLiteral("TransMirantelVeldra para MX15 V-1.0"),
                            {8, 72, 226, 13}, negrita, Qt::red, false);
    BClose_ = CrearBotonGlifo(ClaseBoton::Cerrar, QStringLiteral("&Salir"), Draw3D1_);
    BClose_->setObjectName(QStringLiteral("BClose"));
    BClose_->setGeometry(256, 32, 89, 25);
    Button1_ = new QPushButton(QStringLiteral("F1 Ayuda"), Draw3D1_);
    Button1_->setObjectName(QStringLiteral("Button1"));
    Button1_->setGeometry(263, 64, 75, 25);

    for (QPushButton* b : {BClose_, Button1_, BExportar_, BImportar_}) b->setAutoDefault(false);
    setTabOrder(BClose_, Button1_);
    setTabOrder(Button1_, BExportar_);
    setTabOrder(BExportar_, BImportar_);
    BClose_->setFocus();

    connect(BExportar_, &QPushButton::clicked, this, &TMForm::BExportarClick);
    connect(BImportar_, &QPushButton::clicked, this, &TMForm::BImportarClick);
    connect(BClose_, &QPushButton::clicked, this, &QWidget::close);
    connect(Button1_, &QPushButton::clicked, this, &TMForm::Button1Click);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this,
            [this] { Ayuda::Aplicacion().MostrarTema(kTemaPrincipal, this); });

    FormCreate();
}

TMForm::~TMForm() {
    if (anfitrion_) {
        // The host window belongs to another program: let go of it first.
        if (QWindow* propia = windowHandle()) propia->setParent(nullptr);
        delete anfitrion_;
    }
}

void TMForm::FormCreate() {
    estado_ = core::EstadoVentana{};
    estado_.CodigoResultado = 0;
    if (QScreen* pantalla = QGuiApplication::primaryScreen()) {
        const QRect r = pantalla->geometry();
        move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
    }
    if (config_.argumentos.size() != 2) return;
    const QString texto = config_.argumentos.at(1);
    const std::optional<std::uint32_t> manejador = LeerHexadecimal32(texto.toStdString());
    if (!manejador) {
        // The error box; the window stays a normal one and no result is written.
        config_.interaccion(this)->Error(core::ErrorConversion(AAnsi(texto)).what());
        return;
    }
    Incrustar(*manejador);
    estado_.NumParametros = static_cast<std::int32_t>(config_.argumentos.size());
}

void TMForm::Incrustar(std::uint32_t manejador) {
    // No border, no caption; a child at 0,0 of the host window. The same path
    // serves a window id (X11) and a window handle (Windows).
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    move(0, 0);
    QWindow* anfitrion = QWindow::fromWinId(static_cast<WId>(manejador));
    if (!anfitrion) {
        std::fprintf(stderr, "transmirantelveldra: esta plataforma no permite incrustar la ventana\n");
        return;
    }
    winId();
    if (QWindow* propia = windowHandle()) {
        propia->setParent(anfitrion);
        propia->setPosition(0, 0);
        anfitrion_ = anfitrion;
    } else {
        delete anfitrion;
    }
}

void TMForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (mostrada_) return;
    mostrada_ = true;
    // The run starts once the window is on screen.
    QMetaObject::invokeMethod(this, &TMForm::FormShow, Qt::QueuedConnection);
}

void TMForm::FormShow() {
    if (config_.argumentos.size() != 2) return;
    const RunPedida pedida = RunDelArgumento(config_.argumentos.at(0).toStdString());
    if (pedida == RunPedida::Importar) BImportarClick();
    if (pedida == RunPedida::Exportar) BExportarClick();
}

void TMForm::BExportarClick() { Ejecutar(config_.exportar); }

void TMForm::BImportarClick() { Ejecutar(config_.importar); }

void TMForm::Ejecutar(const Run& run) {
    if (enEjecucion_ || !run) return;
    enEjecucion_ = true;
    core::FinEjecucion fin;
    {
        std::unique_ptr<core::Interaccion> ui = config_.interaccion(this);
        fin = run(estado_, *ui);
    }
    enEjecucion_ = false;
    if (fin == core::FinEjecucion::Finalizado) {
        BExportar_->setEnabled(false);
        BImportar_->setEnabled(false);
    }
    if (estado_.Hospedado() && core::CierraVentanaHospedada(fin)) close();
}

void TMForm::Button1Click() {
    Ayuda& ayuda = Ayuda::Aplicacion();
    ayuda.FijarArchivoAyuda(QString::fromLatin1(kAyudaBoton));
    ayuda.MostrarContenido(this);
}

bool TMForm::FormClose() {
    if (!estado_.Hospedado()) return true;
    const std::string valor = std::to_string(estado_.CodigoResultado);
    if (EscribirValorIniArchivo(config_.archivoIni, "Transformadores", "Transformado", valor)) return true;
    config_.interaccion(this)->Error(AAnsi(TextoNoSePuedeEscribir(config_.archivoIni)));
    return false;
}

void TMForm::closeEvent(QCloseEvent* e) {
    if (enEjecucion_ || !FormClose()) {
        e->ignore();
        return;
    }
    e->accept();
    emit cerrada();
}

}  // namespace app
