// tmv_capturas: draws both windows as they appear and saves them as PNG
// pictures, with the program's icon.
//   tmv_capturas CARPETA [DOCUMENTO.xml]
// The frame dialog lists the frames of DOCUMENTO (two of them selected).
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <cstdio>

#include "app/componentes.h"
#include "app/mform.h"
#include "app/plantillas.h"

int main(int argc, char** argv) {
    QApplication aplicacion(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "Uso: tmv_capturas CARPETA [DOCUMENTO.xml]\n");
        return 2;
    }
    const QDir carpeta(args.at(1));
    if (!carpeta.exists() && !QDir().mkpath(carpeta.path())) {
        std::fprintf(stderr, "tmv_capturas: no se puede crear la carpeta %s\n", qPrintable(carpeta.path()));
        return 1;
    }
    bool bien = true;

    app::ConfiguracionVentana config;
    config.interaccion = [](QWidget*) -> std::unique_ptr<core::Interaccion> { return nullptr; };
    app::TMForm ventana(std::move(config));
    ventana.show();
    QApplication::processEvents();
    bien &= ventana.grab().save(carpeta.filePath(QStringLiteral("ventana_principal.png")));

    app::TPlantillas dialogo(args.size() > 2 ? args.at(2).toStdU16String() : std::u16string(), nullptr);
    dialogo.show();
    QApplication::processEvents();
    if (auto* lista = dialogo.findChild<QListWidget*>(QStringLiteral("ListBox2"))) {
        for (int i = 0; i < lista->count() && i < 2; ++i) {
            lista->item(i)->setSelected(true);
            lista->setCurrentRow(i, QItemSelectionModel::Select);
        }
        dialogo.ListBox2Click();
    }
    QApplication::processEvents();
    bien &= dialogo.grab().save(carpeta.filePath(QStringLiteral("dialogo_marcos.png")));
    bien &= app::DibujarIcono(128).save(carpeta.filePath(QStringLiteral("transmirantelveldra.png")));
    dialogo.hide();
    ventana.hide();
    return bien ? 0 : 1;
}
