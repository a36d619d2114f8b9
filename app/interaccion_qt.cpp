#include "app/interaccion_qt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include "app/componentes.h"
#include "app/plantillas.h"

namespace app {

namespace {

bool MensajesAutomaticos() {
    const char* v = std::getenv("TMV_MENSAJES_AUTOMATICOS");
    return v && *v && std::string(v) != "0";
}

void AlErrorEstandar(const char* clase, const std::string& textoAnsi) {
    const QByteArray t = (QString::fromLatin1(clase) + TextoParaMostrar(textoAnsi)).toUtf8();
    std::fprintf(stderr, "%s\n", t.constData());
    std::fflush(stderr);
}

}  // namespace

class InteraccionQt::Pausa {
public:
    explicit Pausa(int ocupado) : ocupado_(ocupado) {
        for (int i = 0; i < ocupado_; ++i) QApplication::restoreOverrideCursor();
    }
    ~Pausa() {
        for (int i = 0; i < ocupado_; ++i) QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    Pausa(const Pausa&) = delete;
    Pausa& operator=(const Pausa&) = delete;

private:
    int ocupado_;
};

InteraccionQt::InteraccionQt(QWidget* ventana) : ventana_(ventana) {}

InteraccionQt::~InteraccionQt() {
    while (ocupado_ > 0) {
        QApplication::restoreOverrideCursor();
        --ocupado_;
    }
}

std::optional<std::filesystem::path> InteraccionQt::ElegirDocumento() {
    if (const char* prueba = std::getenv("TMV_DOCUMENTO_PRUEBA")) {
        if (!*prueba) return std::nullopt;
        return std::filesystem::path(QString::fromLocal8Bit(prueba).toStdU16String());
    }
    Pausa pausa(ocupado_);
    QFileDialog dialogo(DuenioDialogos(ventana_), QStringLiteral("Archivo XML"));
    dialogo.setObjectName(QStringLiteral("OpenDialogXML"));
    dialogo.setAcceptMode(QFileDialog::AcceptOpen);
    // As the original dialog: a name that does not exist may be typed; the
    // run then reports that the file does not exist.
    dialogo.setFileMode(QFileDialog::AnyFile);
    dialogo.setNameFilter(QStringLiteral("*.xml (*.xml)"));
    dialogo.setDefaultSuffix(QStringLiteral("xml"));
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialogo.selectedFiles().constFirst().toStdU16String());
}

void InteraccionQt::Mensaje(const std::string& textoAnsi) {
    if (MensajesAutomaticos()) {
        AlErrorEstandar("", textoAnsi);
        return;
    }
    Pausa pausa(ocupado_);
    QMessageBox caja(QMessageBox::NoIcon, QString::fromLatin1(kTitulo), TextoParaMostrar(textoAnsi),
                     QMessageBox::Ok, DuenioDialogos(ventana_));
    caja.exec();
}

void InteraccionQt::Error(const std::string& textoAnsi) {
    if (MensajesAutomaticos()) {
        AlErrorEstandar("Error: ", textoAnsi);
        return;
    }
    Pausa pausa(ocupado_);
    QMessageBox caja(QMessageBox::Critical, QString::fromLatin1(kTitulo), TextoParaMostrar(textoAnsi),
                     QMessageBox::Ok, DuenioDialogos(ventana_));
    caja.exec();
}

core::EleccionMarcos InteraccionQt::ElegirMarcos(const std::filesystem::path& documento) {
    Pausa pausa(ocupado_);
    TPlantillas Plantillas(documento, this, DuenioDialogos(ventana_));
    Plantillas.exec();
    return Plantillas.Resultado();
}

void InteraccionQt::Ocupado(bool ocupado) {
    if (ocupado) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++ocupado_;
    } else if (ocupado_ > 0) {
        QApplication::restoreOverrideCursor();
        --ocupado_;
    }
}

std::unique_ptr<core::Interaccion> CrearInteraccionQt(QWidget* ventana) {
    return std::make_unique<InteraccionQt>(ventana);
}

}  // namespace app
