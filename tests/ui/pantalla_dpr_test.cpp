// The main window at pixel ratios 1.5 and 2: each picture drawn sharp from
// its SVG, and nothing shifted against the ratio-1 picture scaled up. Each
// ratio runs in a child process of this program with QT_SCALE_FACTOR set.
#include <QPainter>
#include <QProcess>
#include <QSvgRenderer>
#include <cmath>

#include "entorno.h"

using namespace bindelora;

namespace {

constexpr const char* kCaptura = "BINDELORA_CAPTURA";

class PantallaDpr : public EntornoVentanas {
protected:
    static QImage Capturar(const QString& ratio, const QString& archivo)
    {
        QProcess hijo;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("QT_SCALE_FACTOR"), ratio);
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        e.insert(QString::fromLatin1(kCaptura), archivo);
        hijo.setProcessEnvironment(e);
        hijo.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=PantallaDpr.Captura")});
        EXPECT_TRUE(hijo.waitForFinished(60000)) << ratio.toStdString();
        EXPECT_EQ(hijo.exitCode(), 0) << hijo.readAllStandardError().toStdString();
        return QImage(archivo).convertToFormat(QImage::Format_RGB32);
    }

    // Mean difference per channel, 0 to 255, over a rectangle of both.
    static double Diferencia(const QImage& a, const QImage& b, QRect r)
    {
        r &= a.rect() & b.rect();
        double suma = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                suma += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
            }
        return r.isEmpty() ? 0 : suma / (3.0 * r.width() * r.height());
    }

    static QRect Escalar(const QRect& r, double k)
    {
        return QRect(QPoint(qRound(r.left() * k), qRound(r.top() * k)), QSize(qRound(r.width() * k), qRound(r.height() * k)));
    }
};

}  // namespace

// The child's part: the window as shown, saved where the parent asked.
TEST_F(PantallaDpr, Captura)
{
    ListaPibes l;
    l.push_back(Pibe("Ana", "Ruiz"));
    EscribirAgenda(l);
    TfrmBindelora* f = Iniciar();
    ASSERT_NE(f, nullptr);
    const QPixmap foto = f->grab();
    EXPECT_NEAR(foto.width(), 669 * f->devicePixelRatioF(), 1);
    const QString archivo = qEnvironmentVariable(kCaptura);
    if (!archivo.isEmpty()) {
        EXPECT_TRUE(foto.save(archivo));
    }
}

TEST_F(PantallaDpr, NitidaYSinDesplazamientos)
{
    const QImage base = Capturar(QStringLiteral("1"), carpeta.filePath(QStringLiteral("1.png")));
    ASSERT_EQ(base.size(), QSize(669, 400));
    TfrmBindelora* f = Iniciar();  // only for the places of the controls
    for (double k : {1.5, 2.0}) {
        const QImage foto = Capturar(QString::number(k), carpeta.filePath(QString::number(k) + QStringLiteral(".png")));
        ASSERT_EQ(foto.size(), QSize(qRound(669 * k), qRound(400 * k))) << k;
        const QImage ampliada = base.scaled(foto.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LT(Diferencia(foto, ampliada, foto.rect()), 12) << k;
        // Each picture and view button where it was.
        for (QWidget* w : std::initializer_list<QWidget*>{f->img11, f->img12, f->img21, f->btnLista, f->btnDatos,
                                                          f->btnCumples, f->btnAvisal, f->btnConfig, f->mini1, f->cerr1,
                                                          f->s3})
            EXPECT_LT(Diferencia(foto, ampliada, Escalar(w->geometry(), k)), 30) << w->objectName().toStdString() << k;

        // Drawn from the SVG at the ratio: as the SVG itself, closer to it than the bitmap scaled up.
        const QRect logo = Escalar(f->img11->geometry(), k);
        QImage svg(logo.size(), QImage::Format_RGB32);
        svg.fill(Qt::white);
        {
            QPainter p(&svg);
            QSvgRenderer(QStringLiteral(":/img/img11.svg")).render(&p, QRectF(svg.rect()));
        }
        const QImage trozo = foto.copy(logo), trozoAmpliado = ampliada.copy(logo);
        // At 1.5 the picture's edges fall between device pixels: a looser bound.
        const double nitida = Diferencia(trozo, svg, svg.rect());
        const double borrosa = Diferencia(trozoAmpliado, svg, svg.rect());
        EXPECT_LT(nitida, k == 2.0 ? 4 : 6) << k;
        EXPECT_LT(nitida, 0.8 * borrosa) << k << ": " << nitida << " vs " << borrosa;
    }
}
