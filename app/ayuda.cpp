#include "app/ayuda.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QWidget>

#include "app/componentes.h"

namespace app {

namespace {

bool VisorDelSistema(const PeticionAyuda& peticion) {
#ifdef _WIN32
    const QString chm = QDir(QCoreApplication::applicationDirPath()).filePath(peticion.archivo);
    if (QFileInfo::exists(chm)) {
        QString destino = QDir::toNativeSeparators(chm);
        if (peticion.tema > 0) destino += QStringLiteral("::/topic%1.html").arg(peticion.tema);
        if (QProcess::startDetached(QStringLiteral("hh.exe"), {destino})) return true;
    }
#endif
    if (!QFileInfo::exists(peticion.pagina.toLocalFile())) return false;
    return QDesktopServices::openUrl(peticion.pagina);
}

}  // namespace

Ayuda& Ayuda::Aplicacion() {
    static Ayuda ayuda;
    return ayuda;
}

QString Ayuda::CarpetaGuia() const {
    if (!carpetaGuia_.isEmpty()) return carpetaGuia_;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help"));
}

PeticionAyuda Ayuda::Peticion(int tema) const {
    PeticionAyuda p;
    p.archivo = archivo_;
    p.tema = tema;
    const QString pagina =
        tema > 0 ? QStringLiteral("topic%1.html").arg(tema) : QStringLiteral("index.html");
    p.pagina = QUrl::fromLocalFile(QDir(CarpetaGuia()).filePath(pagina));
    return p;
}

void Ayuda::MostrarTema(int tema, QWidget* ventana) { Mostrar(Peticion(tema), ventana); }

void Ayuda::MostrarContenido(QWidget* ventana) { Mostrar(Peticion(0), ventana); }

void Ayuda::Mostrar(const PeticionAyuda& peticion, QWidget* ventana) {
    const bool mostrada = visor_ ? visor_(peticion) : VisorDelSistema(peticion);
    if (mostrada) return;
    // A gentle note that does not block the window.
    auto* aviso = new QMessageBox(QMessageBox::NoIcon, QString::fromLatin1(kTitulo),
                                  QStringLiteral("No se pudo abrir la ayuda (%1).\n"
                                                 "Puede leerla en su navegador: %2")
                                      .arg(peticion.archivo,
                                           QDir::toNativeSeparators(peticion.pagina.toLocalFile())),
                                  QMessageBox::Ok, DuenioDialogos(ventana));
    aviso->setAttribute(Qt::WA_DeleteOnClose);
    aviso->setObjectName(QStringLiteral("AvisoAyuda"));
    aviso->open();
}

}  // namespace app
