// The frame selection dialog: filling, details of the clicked frame, Ctrl+click
// selection, and the close check with its results and messages.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <vector>

#include "app/plantillas.h"
#include "core/mensajes.h"
#include "falsos.h"

namespace fs = std::filesystem;
using Registro = std::vector<std::vector<std::string>>;

namespace {

fs::path Documento(const QTemporaryDir& dir, const Registro& marcos, const Registro& tramos) {
    std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO><BLOQUE_DATOS>";
    auto bloque = [&x](const char* seq, const Registro& filas) {
        x += std::string("<grupo_datos seq=\"") + seq + "\">";
        for (const auto& f : filas) {
            x += "<grupo_datos>";
            for (const auto& d : f) x += "<dato>" + d + "</dato>";
            x += "</grupo_datos>";
        }
        x += "</grupo_datos>";
    };
    bloque("JORNADAS_ESCOLARES", marcos);
    bloque("TRAMOS_HORARIOS", tramos);
    x += "</BLOQUE_DATOS></SERVICIO>\n";
    const fs::path p = fs::path(dir.path().toStdString()) / "marcos.xml";
    std::ofstream(p, std::ios::binary) << x;
    return p;
}

// Four frames, two sharing a code, one code of 12 characters.
const Registro kMarcos = {
    {"MA", "Ma\xC3\xB1" "ana", "01/09/2026", "30/06/2027"},
    {"TARDE_LARGO", "Tarde", "01/09/2026", "31/12/2026"},
    {"MA", "Ma\xC3\xB1" "ana bis", "01/01/2027", "30/06/2027"},
    {"NOC", "Noche", "15/09/2026", "15/06/2027"},
};
const Registro kTramos = {
    {"1", "08:00-09:00", "480", "540", "MA"},
    {"2", "16:00-17:00", "960", "1020", "TARDE_LARGO"},
    {"3", "09:00-10:00", "540", "600", "MA"},
    {"4", "21:00-22:00", "1260", "1320", "NOC"},
};

QStringList Textos(QListWidget* l) {
    QStringList t;
    for (int i = 0; i < l->count(); ++i) t << l->item(i)->text();
    return t;
}

struct Dialogo {
    prueba::Registro registro;
    prueba::InteraccionFalsa ui{registro};
    app::TPlantillas d;
    QListWidget *marcos, *horas;
    Dialogo(const fs::path& doc) : d(doc, &ui) {
        d.show();
        marcos = d.findChild<QListWidget*>("ListBox2");
        horas = d.findChild<QListWidget*>("ListBox1");
    }
    QString Etiqueta(const char* n) { return d.findChild<QLabel*>(n)->text(); }
    void Clic(int fila, Qt::KeyboardModifiers m = {}) {
        const QRect r = marcos->visualItemRect(marcos->item(fila));
        QTest::mouseClick(marcos->viewport(), Qt::LeftButton, m, r.center());
    }
    void Continuar() { QTest::mouseClick(d.findChild<QPushButton*>("BitBtnContinuar"), Qt::LeftButton); }
};

}  // namespace

class PruebaPlantillas : public QObject {
    Q_OBJECT
private slots:
    void aspecto() {
        QTemporaryDir dir;
        Dialogo t(Documento(dir, kMarcos, kTramos));
        QCOMPARE(t.d.windowTitle(), QStringLiteral("Planillas, Marcos o Jornadas Horarias"));
        QVERIFY(!(t.d.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(t.marcos->geometry(), QRect(16, 103, 127, 45));
        QCOMPARE(t.horas->geometry(), QRect(152, 103, 193, 146));
        QCOMPARE(t.marcos->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(t.d.findChild<QComboBox*>("ComboBoxPlantilla")->isHidden());
        auto* continuar = t.d.findChild<QPushButton*>("BitBtnContinuar");
        QCOMPARE(continuar->text(), QStringLiteral("Continuar"));
        QVERIFY(continuar->isDefault() && continuar->font().bold() && !continuar->icon().isNull());
        QCOMPARE(t.d.findChild<QLabel*>("LabelSelec")->palette().color(QPalette::WindowText), QColor(Qt::red));
        QCOMPARE(t.d.findChild<QLabel*>("LabelMarcos")->palette().color(QPalette::WindowText), QColor(0x80, 0, 0));
        QVERIFY(t.d.findChild<QLabel*>("LabelNombre")->font().underline());
        // Tab order.
        QWidget* orden[] = {continuar, t.d.findChild<QComboBox*>("ComboBoxPlantilla"), t.horas, t.marcos};
        for (int i = 0; i < 3; ++i) {
            QWidget* siguiente = orden[i]->nextInFocusChain();
            while (!(siguiente->focusPolicy() & Qt::TabFocus)) siguiente = siguiente->nextInFocusChain();
            QCOMPARE(siguiente, orden[i + 1]);
        }
    }

    void llenado_y_detalle() {
        QTemporaryDir dir;
        Dialogo t(Documento(dir, kMarcos, kTramos));
        QCOMPARE(Textos(t.marcos), (QStringList{"MA", "TARDE_LARGO", "MA", "NOC"}));
        QVERIFY(t.marcos->selectedItems().isEmpty());
        // The first code's details: of the two records with that code, the
        // later one; the slots of both, in document order.
        QCOMPARE(t.Etiqueta("LabelNombre"), QStringLiteral("Ma\u00f1ana bis"));
        QCOMPARE(t.Etiqueta("LabelPlanFec1"), QStringLiteral("01/01/2027"));
        QCOMPARE(Textos(t.horas), (QStringList{"08:00-09:00", "09:00-10:00"}));

        t.Clic(1);
        QCOMPARE(t.Etiqueta("LabelNombre"), QStringLiteral("Tarde"));
        QCOMPARE(t.Etiqueta("LabelPlanFec2"), QStringLiteral("31/12/2026"));
        QCOMPARE(Textos(t.horas), QStringList{"16:00-17:00"});
        // Ctrl+click on the selected entry deselects it and still shows it.
        t.Clic(3);
        t.Clic(1, Qt::ControlModifier);
        QVERIFY(t.marcos->item(1)->isSelected());
        t.Clic(1, Qt::ControlModifier);
        QVERIFY(!t.marcos->item(1)->isSelected());
        QVERIFY(t.marcos->item(3)->isSelected());
        QCOMPARE(t.Etiqueta("LabelNombre"), QStringLiteral("Tarde"));
    }

    // The result follows the list order, whatever the order of the clicks;
    // each code becomes exactly 10 characters.
    void eleccion_valida() {
        QTemporaryDir dir;
        Dialogo t(Documento(dir, kMarcos, kTramos));
        t.Clic(3);
        t.Clic(1, Qt::ControlModifier);
        t.Continuar();
        QVERIFY(!t.d.isVisible());
        QVERIFY(t.d.SeleccionValida());
        QCOMPARE(t.d.MarcosSeleccionados(), std::string("TARDE_LARG") + "NOC       ");
        QVERIFY(t.registro.mensajes.empty());

        Dialogo uno(Documento(dir, kMarcos, kTramos));
        uno.Clic(2);
        uno.Continuar();
        QVERIFY(uno.d.SeleccionValida());
        QCOMPARE(uno.d.MarcosSeleccionados(), std::string("MA        "));
    }

    void eleccion_no_valida() {
        QTemporaryDir dir;
        const fs::path doc = Documento(dir, kMarcos, kTramos);
        {
            Dialogo t(doc);
            t.Clic(0);
            t.Clic(1, Qt::ControlModifier);
            t.Clic(3, Qt::ControlModifier);
            t.Continuar();
            QVERIFY(!t.d.SeleccionValida());
            QCOMPARE(t.registro.mensajes, std::vector<std::string>{core::mensajes::kDemasiadosMarcos});
        }
        {
            Dialogo t(doc);
            t.d.close();  // the close box takes the same road
            QVERIFY(!t.d.SeleccionValida());
            QVERIFY(!t.d.Resultado().SinOpciones);
            QCOMPARE(t.registro.mensajes, std::vector<std::string>{core::mensajes::kAlMenosUnMarco});
        }
        {
            Dialogo t(doc);
            t.Clic(0);
            QTest::keyClick(&t.d, Qt::Key_Escape);  // and so does Esc
            QVERIFY(!t.d.isVisible());
            QVERIFY(t.d.SeleccionValida());
            QCOMPARE(t.d.MarcosSeleccionados(), std::string("MA        "));
        }
    }

    // A single slot record: no slot list for any frame.
    void un_solo_tramo() {
        QTemporaryDir dir;
        Dialogo t(Documento(dir, kMarcos, {kTramos[0]}));
        QCOMPARE(t.marcos->count(), 4);
        QVERIFY(t.horas->count() == 0);
        t.Clic(0);
        QVERIFY(t.horas->count() == 0);
    }

    // Nothing to choose from (one frame, or a document that does not load):
    // the run is told so instead of asking again without end.
    void sin_opciones() {
        QTemporaryDir dir;
        for (const fs::path& doc : {Documento(dir, {kMarcos[0]}, kTramos), fs::path(dir.path().toStdString()) / "falta.xml"}) {
            Dialogo t(doc);
            QCOMPARE(t.marcos->count(), 0);
            QCOMPARE(t.Etiqueta("LabelNombre"), QStringLiteral("-"));
            t.Continuar();
            QVERIFY(!t.d.SeleccionValida());
            QVERIFY(t.d.Resultado().SinOpciones);
            QVERIFY(t.registro.mensajes.empty());
        }
    }
};

QTEST_MAIN(PruebaPlantillas)
#include "test_plantillas.moc"
