#include "app/componentes.h"

#include <algorithm>

#include <QFontDatabase>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QWindow>

#include "exchange/ansi.h"

namespace app {

QLabel* CrearEtiqueta(QWidget* padre, const char* nombre, const QString& texto, QRect r,
                      const QFont& fuente, QColor color, bool ajustar) {
    auto* l = new QLabel(texto, padre);
    l->setObjectName(QString::fromLatin1(nombre));
    l->setFont(fuente);
    l->setWordWrap(ajustar);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
    if (!ajustar) r.setWidth(std::max(r.width(), l->sizeHint().width()));
    l->setGeometry(r);
    return l;
}

QString DesdeAnsi(const std::string& textoAnsi) {
    return QString::fromStdString(exchange::AnsiAUtf8(textoAnsi));
}

std::string AAnsi(const QString& texto) { return exchange::Utf8AAnsi(texto.toStdString()); }

QString TextoParaMostrar(const std::string& textoAnsi) {
    QString t = DesdeAnsi(textoAnsi);
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

QWidget* DuenioDialogos(QWidget* ventana) {
    if (!ventana) return nullptr;
    const QWindow* w = ventana->window()->windowHandle();
    return (w && !w->isTopLevel()) ? nullptr : ventana;
}

PanelDegradado::PanelDegradado(QColor inicio, QColor medio, QColor fin, QWidget* padre)
    : QWidget(padre), inicio_(inicio), medio_(medio), fin_(fin) {}

void PanelDegradado::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0.0, inicio_);
    g.setColorAt(0.5, medio_);
    g.setColorAt(1.0, fin_);
    p.fillRect(rect(), g);
}

namespace {

QString FamiliaSans(const QStringList& preferidas) {
    const QStringList instaladas = QFontDatabase::families();
    for (const QString& f : preferidas)
        if (instaladas.contains(f, Qt::CaseInsensitive)) return f;
    return QStringLiteral("Sans Serif");
}

}  // namespace

QFont FuenteSistema() {
    QFont f(FamiliaSans({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arimo",
                         "DejaVu Sans"}));
    f.setPixelSize(11);
    return f;
}

QFont FuenteArial(int pixeles, bool negrita, bool cursiva, bool subrayada) {
    QFont f(FamiliaSans({"Arial", "Liberation Sans", "Arimo", "DejaVu Sans"}));
    f.setPixelSize(pixeles);
    f.setBold(negrita);
    f.setItalic(cursiva);
    f.setUnderline(subrayada);
    return f;
}

namespace {

QIcon GlifoAceptar() {
    QPixmap px(16, 16);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(0, 128, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    QPainterPath v;
    v.moveTo(2.5, 8.5);
    v.lineTo(6.5, 12.5);
    v.lineTo(13.5, 3.5);
    p.drawPath(v);
    return QIcon(px);
}

QIcon GlifoCerrar() {
    QPixmap px(16, 16);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    // An open door in its frame.
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(QRectF(4.5, 1.5, 9, 13));
    p.setBrush(QColor(160, 82, 45));
    QPolygonF hoja;
    hoja << QPointF(4.5, 1.5) << QPointF(9.5, 3.5) << QPointF(9.5, 15.5) << QPointF(4.5, 14.5);
    p.drawPolygon(hoja);
    p.setBrush(QColor(255, 215, 0));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(8.2, 9), 0.9, 0.9);
    return QIcon(px);
}

}  // namespace

QPushButton* CrearBotonGlifo(ClaseBoton clase, const QString& texto, QWidget* padre) {
    auto* b = new QPushButton(padre);
    if (clase == ClaseBoton::Aceptar) {
        b->setIcon(GlifoAceptar());
        b->setText(texto.isEmpty() ? QStringLiteral("Aceptar") : texto);
    } else {
        b->setIcon(GlifoCerrar());
        b->setText(texto);
    }
    b->setIconSize(QSize(16, 16));
    return b;
}

QPixmap DibujarIcono(int lado) {
    QPixmap px(lado, lado);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(lado / 64.0, lado / 64.0);
    // A rounded tile in the main window's warm gradient.
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0.0, QColor(249, 211, 125));
    g.setColorAt(0.5, Qt::white);
    g.setColorAt(1.0, QColor(194, 205, 254));
    p.setPen(QPen(QColor(128, 0, 0), 2));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    // A document on the left, a table grid on the right.
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 12, 18, 24));
    for (int i = 0; i < 4; ++i) p.drawLine(QPointF(11, 17 + 5 * i), QPointF(23, 17 + 5 * i));
    p.setBrush(QColor(230, 240, 255));
    p.drawRect(QRectF(38, 12, 18, 24));
    for (int i = 1; i < 4; ++i) p.drawLine(QPointF(38, 12 + 6 * i), QPointF(56, 12 + 6 * i));
    p.drawLine(QPointF(47, 12), QPointF(47, 36));
    // Two arrows, one each way.
    QPen flecha(QColor(200, 0, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(flecha);
    p.drawLine(QPointF(14, 44), QPointF(48, 44));
    p.drawLine(QPointF(42, 40), QPointF(48, 44));
    p.drawLine(QPointF(42, 48), QPointF(48, 44));
    flecha.setColor(QColor(0, 110, 0));
    p.setPen(flecha);
    p.drawLine(QPointF(50, 54), QPointF(16, 54));
    p.drawLine(QPointF(22, 50), QPointF(16, 54));
    p.drawLine(QPointF(22, 58), QPointF(16, 54));
    return px;
}

QIcon IconoPrograma() {
    QIcon icono;
    for (int lado : {16, 32, 48, 64, 128}) icono.addPixmap(DibujarIcono(lado));
    return icono;
}

}  // namespace app
