// The settings-file editor: one value changes, every other byte stays.
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/ini.h"
#include "falsos.h"

namespace fs = std::filesystem;

namespace {

using prueba::Leer;

void Escribir(const fs::path& p, const std::string& t) {
    std::ofstream f(p, std::ios::binary);
    f << t;
}

}  // namespace

class PruebaIni : public QObject {
    Q_OBJECT
private slots:
    void edicion_data() {
        QTest::addColumn<QByteArray>("antes");
        QTest::addColumn<QByteArray>("valor");
        QTest::addColumn<QByteArray>("despues");

        QTest::newRow("archivo nuevo") << QByteArray("") << QByteArray("1")
                                       << QByteArray("[Transformadores]\r\nTransformado=1\r\n");
        // Other sections, comments, a look-alike key elsewhere, CRLF endings,
        // key and section written in other cases and with blanks.
        QTest::newRow("clave existente entre otras secciones")
            << QByteArray("; Mirantel\r\n[General]\r\nTransformado=9\r\nIdioma=es\r\n\r\n"
                          "[ transformadores ]\r\n;Transformado=7\r\n  TRANSFORMADO = 0 \r\nOtra=x\r\n"
                          "[Final]\r\nA=b")
            << QByteArray("-1")
            << QByteArray("; Mirantel\r\n[General]\r\nTransformado=9\r\nIdioma=es\r\n\r\n"
                          "[ transformadores ]\r\n;Transformado=7\r\n  TRANSFORMADO =-1\r\nOtra=x\r\n"
                          "[Final]\r\nA=b");
        QTest::newRow("clave que falta va al final de su seccion")
            << QByteArray("[Transformadores]\r\nOtra=x\r\n\r\n# nota\r\n[Final]\r\nA=b\r\n")
            << QByteArray("1")
            << QByteArray("[Transformadores]\r\nOtra=x\r\nTransformado=1\r\n\r\n# nota\r\n[Final]\r\nA=b\r\n");
        QTest::newRow("seccion que falta, LF y sin salto final")
            << QByteArray("[General]\nA=b") << QByteArray("0")
            << QByteArray("[General]\nA=b\n[Transformadores]\nTransformado=0\n");
        QTest::newRow("seccion vacia al final sin salto")
            << QByteArray("[General]\r\nA=b\r\n[Transformadores]") << QByteArray("1")
            << QByteArray("[General]\r\nA=b\r\n[Transformadores]\r\nTransformado=1\r\n");
        QTest::newRow("marca de orden de bytes y secciones repetidas: la primera")
            << QByteArray("\xEF\xBB\xBF[Transformadores]\nTransformado=5\n[Transformadores]\nTransformado=6\n")
            << QByteArray("1")
            << QByteArray("\xEF\xBB\xBF[Transformadores]\nTransformado=1\n[Transformadores]\nTransformado=6\n");
    }

    void edicion() {
        QFETCH(QByteArray, antes);
        QFETCH(QByteArray, valor);
        QFETCH(QByteArray, despues);
        const std::string r = app::EscribirValorIni(antes.toStdString(), "Transformadores", "Transformado",
                                                    valor.toStdString());
        QCOMPARE(QByteArray::fromStdString(r), despues);
        // Writing the same value again changes nothing.
        QCOMPARE(app::EscribirValorIni(r, "Transformadores", "Transformado", valor.toStdString()), r);
    }

    void archivo() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const fs::path ini = fs::path(dir.path().toStdString()) / "Mirantel.ini";

        QVERIFY(app::EscribirValorIniArchivo(ini, "Transformadores", "Transformado", "-1"));
        QCOMPARE(QByteArray::fromStdString(Leer(ini)), QByteArray("[Transformadores]\r\nTransformado=-1\r\n"));

        Escribir(ini, "[A]\r\nx=1\r\n[Transformadores]\r\nTransformado=-1\r\n[B]\r\ny=2\r\n");
        QVERIFY(app::EscribirValorIniArchivo(ini, "Transformadores", "Transformado", "1"));
        QCOMPARE(QByteArray::fromStdString(Leer(ini)),
                 QByteArray("[A]\r\nx=1\r\n[Transformadores]\r\nTransformado=1\r\n[B]\r\ny=2\r\n"));
        // No temporary file is left behind.
        QCOMPARE(std::distance(fs::directory_iterator(ini.parent_path()), fs::directory_iterator()), 1);
    }

    void archivo_que_no_se_puede_escribir() {
        QTemporaryDir dir;
        const fs::path base(dir.path().toStdString());
        // A folder that does not exist, and a folder standing where the file should be.
        QVERIFY(!app::EscribirValorIniArchivo(base / "falta" / "Mirantel.ini", "Transformadores",
                                              "Transformado", "1"));
        fs::create_directory(base / "Mirantel.ini");
        QVERIFY(!app::EscribirValorIniArchivo(base / "Mirantel.ini", "Transformadores", "Transformado", "1"));
        QVERIFY(fs::is_directory(base / "Mirantel.ini"));
        QVERIFY(!fs::exists(base / "falta"));
    }
};

QTEST_GUILESS_MAIN(PruebaIni)
#include "test_ini.moc"
