// transmirantelveldra: the desktop program.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/ayuda.h"
#include "app/componentes.h"
#include "app/mform.h"

int main(int argc, char** argv) {
    QApplication aplicacion(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(app::kTitulo));
    QApplication::setWindowIcon(app::IconoPrograma());
    app::Ayuda::Aplicacion().FijarArchivoAyuda(QString::fromLatin1(app::kAyudaInicial));

    // The toolkit's own texts (dialog buttons, the file dialog) in Spanish.
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    QTranslator traduccion;
    if (traduccion.load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traduccion);

    // Arguments the toolkit understood itself are no longer in the list.
    app::TMForm MForm(app::ConfiguracionPredeterminada(QApplication::arguments().mid(1)));
    QObject::connect(&MForm, &app::TMForm::cerrada, &aplicacion, &QApplication::quit,
                     Qt::QueuedConnection);
    MForm.show();
    return QApplication::exec();
}
