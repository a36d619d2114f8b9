// The desktop interaction: the open dialog, plain message boxes, the error
// box, the wait cursor (lifted while the user is asked), and the automation
// hooks the embedding test relies on.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/interaccion_qt.h"

namespace {

// Runs `revisar` on the modal dialog that `pedir` opens, once it is up.
void AlAbrirse(const std::function<void(QWidget*)>& revisar) {
    QTimer::singleShot(0, [revisar] {
        QWidget* modal = nullptr;
        for (int i = 0; i < 100 && !(modal = QApplication::activeModalWidget()); ++i) QTest::qWait(10);
        QVERIFY(modal);
        revisar(modal);
    });
}

}  // namespace

class PruebaInteraccionQt : public QObject {
    Q_OBJECT
private slots:
    void init() {
        qunsetenv("TMV_DOCUMENTO_PRUEBA");
        qunsetenv("TMV_MENSAJES_AUTOMATICOS");
    }

    void mensaje_y_error() {
        QWidget ventana;
        app::InteraccionQt ui(&ventana);
        struct Visto { QString titulo, texto; QMessageBox::Icon icono; int botones; } visto{};
        auto mirar = [&](QWidget* w) {
            auto* caja = qobject_cast<QMessageBox*>(w);
            QVERIFY(caja);
            visto = {caja->windowTitle(), caja->text(), caja->icon(), int(caja->buttons().size())};
            caja->button(QMessageBox::Ok)->click();
        };
        AlAbrirse(mirar);
        ui.Mensaje("Demasiados Marcos Horarios seleccionados.\r\nComo m\xE1ximo puede seleccionar 2");
        QCOMPARE(visto.titulo, QStringLiteral("ZezerIvivuZirara"));
        QCOMPARE(visto.texto, QStringLiteral("Demasiados Marcos Horarios seleccionados.\nComo m\u00e1ximo puede seleccionar 2"));
        QCOMPARE(visto.icono, QMessageBox::NoIcon);
        QCOMPARE(visto.botones, 1);

        AlAbrirse(mirar);
        ui.Error("No se puede leer C:\\MTEMP\\PROFT.DBF");
        QCOMPARE(visto.titulo, QStringLiteral("ZezerIvivuZirara"));
        QCOMPARE(visto.icono, QMessageBox::Critical);
        QCOMPARE(visto.botones, 1);
    }

    void dialogo_de_apertura() {
        QWidget ventana;
        app::InteraccionQt ui(&ventana);
        ui.Ocupado(true);
        QVERIFY(QApplication::overrideCursor());
        bool cursorLevantado = false;
        AlAbrirse([&](QWidget* w) {
            auto* d = qobject_cast<QFileDialog*>(w);
            QVERIFY(d);
            QCOMPARE(d->windowTitle(), QStringLiteral("Archivo XML"));
            QCOMPARE(d->nameFilters(), QStringList{"*.xml (*.xml)"});
            QCOMPARE(d->defaultSuffix(), QStringLiteral("xml"));
            QCOMPARE(d->acceptMode(), QFileDialog::AcceptOpen);
            cursorLevantado = QApplication::overrideCursor() == nullptr;
            d->reject();
        });
        QCOMPARE(ui.ElegirDocumento(), std::nullopt);  // Cancel
        QVERIFY(cursorLevantado);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);  // back after the dialog
        ui.Ocupado(false);
        QVERIFY(!QApplication::overrideCursor());
    }

    // A run that ends while busy leaves no wait cursor behind.
    void cursor_equilibrado() {
        QWidget ventana;
        {
            app::InteraccionQt ui(&ventana);
            ui.Ocupado(true);
            ui.Ocupado(true);
            ui.Ocupado(false);
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    void ganchos_de_automatizacion() {
        QWidget ventana;
        app::InteraccionQt ui(&ventana);
        qputenv("TMV_DOCUMENTO_PRUEBA", "/tmp/centro.xml");
        QCOMPARE(ui.ElegirDocumento(), std::optional<std::filesystem::path>("/tmp/centro.xml"));
        qputenv("TMV_DOCUMENTO_PRUEBA", "");
        QCOMPARE(ui.ElegirDocumento(), std::nullopt);
        qputenv("TMV_MENSAJES_AUTOMATICOS", "1");
        ui.Mensaje("Proceso finalizado");  // written to standard error; no box waits
        ui.Error("fallo");
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(PruebaInteraccionQt)
#include "test_interaccion_qt.moc"
