// SPDX-License-Identifier: GPL-3.0-or-later
#include "contrast.h"

#include <QImageReader>
#include <QTest>
#include <cmath>

// Every picture is drawn so that its main strokes read on each background it sits on, at the size
// the layouts show it.
namespace {

QColor laidOver(const QColor &p, const QColor &background)
{
    const double a = p.alphaF();
    return QColor(qRound(p.red() * a + background.red() * (1 - a)),
                  qRound(p.green() * a + background.green() * (1 - a)),
                  qRound(p.blue() * a + background.blue() * (1 - a)));
}

// Where the picture meets the background, the share of its edge that reaches 3:1 within two pixels
// inward: a stroke reads if its edge, or a core just inside a thin outline, stands out.
double readableEdge(const QImage &picture, const QColor &background)
{
    const auto drawn = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < picture.width() && y < picture.height() &&
               picture.pixelColor(x, y).alpha() >= 128;
    };
    int edge = 0;
    int readable = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            if (!drawn(x, y) || (drawn(x - 1, y) && drawn(x + 1, y) && drawn(x, y - 1) && drawn(x, y + 1)))
                continue;
            ++edge;
            double best = 1;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    if (drawn(x + dx, y + dy))
                        best =
                            std::max(best, contrast(laidOver(picture.pixelColor(x + dx, y + dy), background),
                                                    background));
            readable += best >= 3.0;
        }
    return edge ? double(readable) / edge : 0;
}

const QColor Panel(0xc0, 0xc0, 0xc0);  // the button face the grey panels and buttons show
const QColor Splash(0x00, 0x00, 0xc0); // the splash window's blue
const QColor InPlay(0x00, 0xc0, 0x00); // a blinking button

} // namespace

class TestArtwork : public QObject
{
    Q_OBJECT
private slots:
    void strokesReadOnTheirBackgrounds_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QColor>("background");
        QTest::newRow("M1 on the introduction panel") << "m1" << QSize(567, 26) << Panel;
        QTest::newRow("G1 on the grey panels") << "g1" << QSize(75, 105) << Panel;
        QTest::newRow("G1 on the splash") << "g1" << QSize(75, 105) << Splash;
        QTest::newRow("G3 on the game panel") << "g3" << QSize(551, 24) << Panel;
        QTest::newRow("G4 on the splash") << "g4" << QSize(193, 25) << Splash;
        for (const char *icon : {"p1", "p2", "p3", "p4", "p5"})
            QTest::newRow(qPrintable(QStringLiteral("%1 on a button").arg(QLatin1String(icon))))
                << QString::fromLatin1(icon) << QSize(32, 32) << Panel;
        QTest::newRow("p6 on a button") << "p6" << QSize(16, 16) << Panel;
        for (const char *icon : {"p3", "p4", "p5"})
            QTest::newRow(qPrintable(QStringLiteral("%1 on a blinking button").arg(QLatin1String(icon))))
                << QString::fromLatin1(icon) << QSize(32, 32) << InPlay;
    }
    void strokesReadOnTheirBackgrounds()
    {
        QFETCH(QString, picture);
        QFETCH(QSize, size);
        QFETCH(QColor, background);
        // As the program shows it: rendered at build time at that size.
        QImageReader reader(
            QStringLiteral(":/assets/%1-%2x%3.png").arg(picture).arg(size.width()).arg(size.height()));
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        const double share = readableEdge(image, background);
        qInfo("%s: %.0f%% of the edge reaches 3:1", qPrintable(picture), share * 100);
        QVERIFY(share >= 0.9);
    }
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
