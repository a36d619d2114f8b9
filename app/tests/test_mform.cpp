// The main window: start-up, the layout, both runs from the buttons, hosted
// mode with its result code, and help.
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/argumentos.h"
#include "app/ayuda.h"
#include "app/componentes.h"
#include "app/mform.h"
#include "core/mensajes.h"
#include "falsos.h"

namespace fs = std::filesystem;
using core::FinEjecucion;

namespace {

using prueba::Leer;

// A window whose runs are scripted: each press ends as `fin` says and
// counts itself; the user is the fake of falsos.h.
struct Banco {
    QTemporaryDir dir;
    prueba::Registro registro;
    int exportadas = 0, importadas = 0;
    FinEjecucion fin = FinEjecucion::Finalizado;

    fs::path Ini() const { return fs::path(dir.path().toStdString()) / "Mirantel.ini"; }

    app::ConfiguracionVentana Config(QStringList argumentos) {
        app::ConfiguracionVentana c;
        c.argumentos = std::move(argumentos);
        c.interaccion = [this](QWidget*) { return std::make_unique<prueba::InteraccionFalsa>(registro); };
        c.archivoIni = Ini();
        auto run = [this](int& contador) {
            return [this, &contador](core::EstadoVentana& e, core::Interaccion&) {
                ++contador;
                if (fin == FinEjecucion::Finalizado) e.CodigoResultado = 1;
                if (fin == FinEjecucion::SinDocumento && e.Hospedado()) e.CodigoResultado = -1;
                return fin;
            };
        };
        c.exportar = run(exportadas);
        c.importar = run(importadas);
        return c;
    }
};

QPushButton* Boton(QWidget& w, const char* nombre) {
    auto* b = w.findChild<QPushButton*>(QString::fromLatin1(nombre));
    if (!b) qFatal("falta el boton %s", nombre);
    return b;
}

void Mostrar(QWidget& w) {
    w.show();
    QCoreApplication::processEvents();  // the queued first-show run
    QCoreApplication::processEvents();
}

}  // namespace

class PruebaVentana : public QObject {
    Q_OBJECT
private slots:
    void argumentos_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<qlonglong>("valor");  // -1: not a number
        QTest::newRow("minusculas") << "3a0012" << qlonglong(0x3a0012);
        QTest::newRow("mayusculas") << "FFFFFFFF" << qlonglong(0xFFFFFFFF);
        QTest::newRow("ceros delante") << "000000000001" << qlonglong(1);
        QTest::newRow("desborda") << "100000000" << qlonglong(-1);
        QTest::newRow("prefijo") << "0x12" << qlonglong(-1);
        QTest::newRow("dolar") << "$12" << qlonglong(-1);
        QTest::newRow("signo") << "-1" << qlonglong(-1);
        QTest::newRow("vacio") << "" << qlonglong(-1);
        QTest::newRow("blanco") << " 12" << qlonglong(-1);
        QTest::newRow("letras") << "xyz" << qlonglong(-1);
    }
    void argumentos() {
        QFETCH(QString, texto);
        QFETCH(qlonglong, valor);
        const auto v = app::LeerHexadecimal32(texto.toStdString());
        QCOMPARE(v ? qlonglong(*v) : qlonglong(-1), valor);
    }

    void palabra_del_primer_argumento() {
        using app::RunPedida;
        QCOMPARE(app::RunDelArgumento("EXPORTAR"), RunPedida::Exportar);
        QCOMPARE(app::RunDelArgumento("Importar"), RunPedida::Importar);
        QCOMPARE(app::RunDelArgumento("exportar "), RunPedida::Ninguna);
        // Only A-Z are lowered: an accented capital stays what it is.
        QCOMPARE(app::RunDelArgumento("IMPORT\xC3\x81R"), RunPedida::Ninguna);
    }

    void ventana_como_se_dibuja() {
        Banco b;
        app::TMForm w(b.Config({}));
        QCOMPARE(w.objectName(), QStringLiteral("MForm"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Exportar e importar datos entre Mirantel y Veldra"));
        QCOMPARE(w.size(), QSize(632, 266));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(w.Estado().CodigoResultado, 0);
        QCOMPARE(w.Estado().NumParametros, 0);

        struct Panel { const char* nombre; QRect r; QColor a, m, z; };
        const Panel paneles[] = {
            {"Draw3D2", {1, 0, 315, 169}, {249, 211, 125}, Qt::white, {255, 238, 221}},
            {"Draw3D3", {316, 0, 317, 169}, {249, 211, 125}, Qt::white, {255, 238, 221}},
            {"Draw3D1", {0, 168, 633, 97}, {194, 205, 254}, {207, 242, 254}, {204, 216, 230}},
        };
        for (const Panel& p : paneles) {
            auto* panel = w.findChild<app::PanelDegradado*>(QString::fromLatin1(p.nombre));
            QVERIFY2(panel, p.nombre);
            QCOMPARE(panel->geometry(), p.r);
            QCOMPARE(panel->Inicio(), p.a);
            QCOMPARE(panel->Medio(), p.m);
            QCOMPARE(panel->Fin(), p.z);
        }
        struct Control { const char* nombre; const char* panel; QRect r; const char* texto; };
        const Control controles[] = {
            {"BExportar", "Draw3D2", {96, 120, 89, 25}, "Aceptar"},
            {"BImportar", "Draw3D3", {96, 120, 89, 25}, "Aceptar"},
            {"BClose", "Draw3D1", {256, 32, 89, 25}, "&Salir"},
            {"Button1", "Draw3D1", {263, 64, 75, 25}, "F1 Ayuda"},
        };
        for (const Control& c : controles) {
            QPushButton* b = Boton(w, c.nombre);
            QCOMPARE(b->parentWidget()->objectName(), QString::fromLatin1(c.panel));
            QCOMPARE(b->geometry(), c.r);
            QCOMPARE(b->text(), QString::fromLatin1(c.texto));
            // Glyph and text fit the button.
            const int ancho = b->fontMetrics().horizontalAdvance(b->text().remove('&')) +
                              (b->icon().isNull() ? 0 : b->iconSize().width() + 4);
            QVERIFY2(ancho + 8 <= c.r.width(), c.nombre);
        }
        QVERIFY(!Boton(w, "BExportar")->icon().isNull());
        QVERIFY(!Boton(w, "BClose")->icon().isNull());

        struct Etiqueta { const char* nombre; QPoint pos; const char* texto; int pixeles; };
        const Etiqueta etiquetas[] = {
            {"Label3", {24, 24}, "Transformar datos desde Veldra hacia Mirantel ", 16},
            {"Label4", {8, 24}, "Transformar datos desde Mirantel hacia Veldra", 16},
            {"Label1", {8, 72}, "TransMirantelVeldra para MX15 V-1.0", 11},
        };
        for (const Etiqueta& e : etiquetas) {
            auto* l = w.findChild<QLabel*>(QString::fromLatin1(e.nombre));
            QVERIFY2(l, e.nombre);
            QCOMPARE(l->pos(), e.pos);
            QCOMPARE(l->text(), QString::fromLatin1(e.texto));
            QCOMPARE(l->font().pixelSize(), e.pixeles);
            QVERIFY(l->font().bold());
            // Nothing is cut: the text fits in the label and the label in its panel.
            const int alto = l->wordWrap() ? l->heightForWidth(l->width()) : l->sizeHint().height();
            QVERIFY2(alto <= l->height() + 2 && (l->wordWrap() || l->sizeHint().width() <= l->width()), e.nombre);
            QVERIFY2(l->geometry().right() < l->parentWidget()->width(), e.nombre);
        }
        QCOMPARE(w.findChild<QLabel*>("Label1")->palette().color(QPalette::WindowText), QColor(Qt::red));

        // Tab order: the bottom panel, then left, then right.
        QWidget* orden[] = {Boton(w, "BClose"), Boton(w, "Button1"), Boton(w, "BExportar"), Boton(w, "BImportar")};
        for (int i = 0; i < 3; ++i) {
            QWidget* siguiente = orden[i]->nextInFocusChain();
            while (!(siguiente->focusPolicy() & Qt::TabFocus)) siguiente = siguiente->nextInFocusChain();
            QCOMPARE(siguiente, orden[i + 1]);
        }
    }

    // Only a finished run disables the buttons; a run that stops leaves them.
    void botones_tras_cada_final() {
        for (FinEjecucion fin : {FinEjecucion::SinDocumento, FinEjecucion::Detenido, FinEjecucion::Error}) {
            Banco b;
            b.fin = fin;
            app::TMForm w(b.Config({}));
            Mostrar(w);
            QTest::mouseClick(Boton(w, "BImportar"), Qt::LeftButton);
            QCOMPARE(b.importadas, 1);
            QVERIFY(Boton(w, "BExportar")->isEnabled() && Boton(w, "BImportar")->isEnabled());
            QVERIFY(w.isVisible());
        }
        Banco b;
        app::TMForm w(b.Config({}));
        Mostrar(w);
        QTest::mouseClick(Boton(w, "BExportar"), Qt::LeftButton);
        QCOMPARE(b.exportadas, 1);
        QVERIFY(!Boton(w, "BExportar")->isEnabled());
        QVERIFY(!Boton(w, "BImportar")->isEnabled());
        QVERIFY(w.isVisible());  // stand-alone: the window stays
        QSignalSpy cerrada(&w, &app::TMForm::cerrada);
        QTest::mouseClick(Boton(w, "BClose"), Qt::LeftButton);
        QCOMPARE(cerrada.count(), 1);
        QVERIFY(!fs::exists(b.Ini()));  // stand-alone never writes the settings file
    }

    // The real runs: a cancelled first dialog, then the earlier document reused.
    void dialogo_cancelado_y_documento_reutilizado() {
        Banco b;
        const fs::path base(b.dir.path().toStdString());
        const fs::path doc = base / "centro.xml";
        std::ofstream(doc) << "<SERVICIO><BLOQUE_DATOS/></SERVICIO>";
        fs::create_directory(base / "mtemp");  // an empty working folder
        qputenv("TMV_CARPETA_TRABAJO", QByteArray::fromStdString((base / "mtemp").string()));
        app::ConfiguracionVentana c = app::ConfiguracionPredeterminada({});
        qunsetenv("TMV_CARPETA_TRABAJO");
        c.interaccion = b.Config({}).interaccion;
        c.archivoIni = b.Ini();
        app::TMForm w(std::move(c));
        Mostrar(w);
        auto todo = [&] {
            std::vector<std::string> t = b.registro.mensajes;
            t.insert(t.end(), b.registro.errores.begin(), b.registro.errores.end());
            return t;
        };

        QTest::mouseClick(Boton(w, "BExportar"), Qt::LeftButton);  // Cancel, nothing chosen yet
        QCOMPARE(todo(), std::vector<std::string>{core::mensajes::kNoExisteArchivo});
        QCOMPARE(w.Estado().CodigoResultado, 0);
        QVERIFY(w.Estado().ArchivoXML.empty());

        // The tables are missing: the run stops with its message.
        b.registro = {};
        b.registro.respuestas = {doc};
        QTest::mouseClick(Boton(w, "BImportar"), Qt::LeftButton);
        QCOMPARE(w.Estado().ArchivoXML, doc);
        const std::vector<std::string> primera = todo();
        QCOMPARE(primera.size(), std::size_t(1));
        QVERIFY(primera[0] != core::mensajes::kNoExisteArchivo);

        // Cancel: the same document is taken again, with the same outcome.
        b.registro = {};
        QTest::mouseClick(Boton(w, "BImportar"), Qt::LeftButton);
        QCOMPARE(w.Estado().ArchivoXML, doc);
        QCOMPARE(todo(), primera);
        QCOMPARE(w.Estado().CodigoResultado, 0);
        QVERIFY(Boton(w, "BExportar")->isEnabled() && Boton(w, "BImportar")->isEnabled());
        QVERIFY(!fs::exists(b.Ini()));
    }

    // Hosted mode: the run starts on first show, the window closes after a
    // finished run and after a missing document, and closing writes the code.
    void modo_hospedado_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("fin");
        QTest::addColumn<int>("exportadas");
        QTest::addColumn<int>("importadas");
        QTest::addColumn<bool>("seCierraSola");
        QTest::addColumn<QByteArray>("ini");  // after the window closed
        QTest::newRow("exportar en mayusculas, terminado")
            << QStringList{"EXPORTAR", "3A0012"} << int(FinEjecucion::Finalizado) << 1 << 0 << true
            << QByteArray("[Transformadores]\r\nTransformado=1\r\n");
        QTest::newRow("importar sin documento")
            << QStringList{"importar", "1f"} << int(FinEjecucion::SinDocumento) << 0 << 1 << true
            << QByteArray("[Transformadores]\r\nTransformado=-1\r\n");
        QTest::newRow("detenido: la ventana sigue abierta")
            << QStringList{"exportar", "1f"} << int(FinEjecucion::Detenido) << 1 << 0 << false
            << QByteArray("[Transformadores]\r\nTransformado=0\r\n");
        QTest::newRow("error: la ventana sigue abierta")
            << QStringList{"Importar", "1f"} << int(FinEjecucion::Error) << 0 << 1 << false
            << QByteArray("[Transformadores]\r\nTransformado=0\r\n");
        QTest::newRow("palabra desconocida: ninguna ejecucion")
            << QStringList{"convertir", "1f"} << int(FinEjecucion::Finalizado) << 0 << 0 << false
            << QByteArray("[Transformadores]\r\nTransformado=0\r\n");
    }
    void modo_hospedado() {
        QFETCH(QStringList, args);
        QFETCH(int, fin);
        QFETCH(int, exportadas);
        QFETCH(int, importadas);
        QFETCH(bool, seCierraSola);
        QFETCH(QByteArray, ini);
        Banco b;
        b.fin = static_cast<FinEjecucion>(fin);
        app::TMForm w(b.Config(args));
        QCOMPARE(w.Estado().NumParametros, 2);
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
        QSignalSpy cerrada(&w, &app::TMForm::cerrada);
        Mostrar(w);
        QCOMPARE(b.exportadas, exportadas);
        QCOMPARE(b.importadas, importadas);
        QCOMPARE(cerrada.count(), seCierraSola ? 1 : 0);
        if (!seCierraSola) {
            QVERIFY(w.isVisible());
            QVERIFY(!fs::exists(b.Ini()));
            QTest::mouseClick(Boton(w, "BClose"), Qt::LeftButton);
            QCOMPARE(cerrada.count(), 1);
        }
        QCOMPARE(QByteArray::fromStdString(Leer(b.Ini())), ini);
        QVERIFY(b.registro.errores.empty());
    }

    // A handle that is not hexadecimal: the error box, a normal window, the
    // named run still starts, and nothing is ever written.
    void manejador_no_valido() {
        Banco b;
        b.fin = FinEjecucion::Finalizado;
        app::TMForm w(b.Config({"exportar", "xyz"}));
        QCOMPARE(b.registro.errores,
                 std::vector<std::string>{std::string("'xyz'") + core::mensajes::kNoEsEnteroValido});
        QCOMPARE(w.Estado().NumParametros, 0);
        QVERIFY(!(w.windowFlags() & Qt::FramelessWindowHint));
        QSignalSpy cerrada(&w, &app::TMForm::cerrada);
        Mostrar(w);
        QCOMPARE(b.exportadas, 1);
        QVERIFY(w.isVisible());  // a finished run does not close a stand-alone window
        QVERIFY(w.close());
        QVERIFY(!fs::exists(b.Ini()));
    }

    void otro_numero_de_argumentos() {
        for (const QStringList& args : {QStringList{"exportar"}, QStringList{"exportar", "1f", "x"}}) {
            Banco b;
            app::TMForm w(b.Config(args));
            Mostrar(w);
            QCOMPARE(w.Estado().NumParametros, 0);
            QCOMPARE(b.exportadas, 0);
            QVERIFY(w.close());
            QVERIFY(!fs::exists(b.Ini()));
        }
    }

    // A settings file that cannot be written: the message, and the window stays.
    void archivo_de_ajustes_no_escribible() {
        Banco b;
        b.fin = FinEjecucion::Finalizado;
        fs::create_directory(b.Ini());  // a folder where the file should be
        app::TMForm w(b.Config({"exportar", "1f"}));
        QSignalSpy cerrada(&w, &app::TMForm::cerrada);
        Mostrar(w);
        QCOMPARE(b.exportadas, 1);
        QCOMPARE(cerrada.count(), 0);
        QVERIFY(w.isVisible());
        QCOMPARE(b.registro.errores.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(b.registro.errores[0]), app::TextoNoSePuedeEscribir(b.Ini()));
        QVERIFY(b.registro.errores[0].find("Mirantel.ini") != std::string::npos);
        // Once the folder is gone the close goes through.
        fs::remove(b.Ini());
        QVERIFY(w.close());
        QCOMPARE(cerrada.count(), 1);
        QCOMPARE(QByteArray::fromStdString(Leer(b.Ini())), QByteArray("[Transformadores]\r\nTransformado=1\r\n"));
    }

    void ayuda() {
        std::vector<app::PeticionAyuda> pedidas;
        app::Ayuda& ayuda = app::Ayuda::Aplicacion();
        ayuda.FijarVisor([&](const app::PeticionAyuda& p) {
            pedidas.push_back(p);
            return true;
        });
        Banco b;
        app::TMForm w(b.Config({}));
        Mostrar(w);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F1);
        QTest::mouseClick(Boton(w, "Button1"), Qt::LeftButton);
        QTest::keyClick(Boton(w, "BExportar"), Qt::Key_F1);
        QCOMPARE(pedidas.size(), std::size_t(3));
        QCOMPARE(pedidas[0].archivo, QStringLiteral("VLDRA.chm"));
        QCOMPARE(pedidas[0].tema, 3);
        QVERIFY(pedidas[0].pagina.toLocalFile().endsWith("/help/topic3.html"));
        QCOMPARE(pedidas[1].archivo, QStringLiteral("VELDRA.chm"));
        QCOMPARE(pedidas[1].tema, 0);
        QVERIFY(pedidas[1].pagina.toLocalFile().endsWith("/help/index.html"));
        QCOMPARE(pedidas[2].archivo, QStringLiteral("VELDRA.chm"));
        QCOMPARE(pedidas[2].tema, 3);
        QCOMPARE(b.exportadas, 0);

        // No viewer at all: a note that does not block, and no crash.
        ayuda.FijarVisor([](const app::PeticionAyuda&) { return false; });
        QTest::keyClick(&w, Qt::Key_F1);
        QTRY_VERIFY(w.findChild<QWidget*>("AvisoAyuda") != nullptr);
        ayuda.FijarVisor({});
        ayuda.FijarArchivoAyuda(app::kAyudaInicial);
    }
};

QTEST_MAIN(PruebaVentana)
#include "test_mform.moc"
