// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/seededrandom.h"

#include <QTest>
#include <cmath>

using platform::SeededRandom;

class TestSeededRandom : public QObject
{
    Q_OBJECT
private slots:
    // The same seed replays the same draws.
    void sameSeed_sameDraws()
    {
        SeededRandom a, b;
        a.reseed(3600.5f);
        b.reseed(3600.5f);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(a.draw(), b.draw());
    }

    // The program reseeds from the clock before every draw, so the first draws of seeds that lie
    // next to one another must be spread evenly over [0, 1) and unrelated to their neighbours.
    void neighbouringSeeds_giveIndependentDraws()
    {
        SeededRandom random;
        constexpr int count = 20000;
        constexpr int bins = 10;
        int histogram[bins] = {};
        double previous = 0, sumProducts = 0, sum = 0, sumSquares = 0;
        float seed = 45000.0f;
        for (int i = 0; i < count; ++i) {
            seed = std::nextafter(seed, 90000.0f);
            random.reseed(seed);
            const double r = random.draw();
            QVERIFY(r >= 0.0 && r < 1.0);
            ++histogram[int(r * bins)];
            sum += r;
            sumSquares += r * r;
            if (i > 0)
                sumProducts += r * previous;
            previous = r;
        }
        double chiSquare = 0;
        for (int observed : histogram)
            chiSquare += std::pow(observed - count / bins, 2) / (count / bins);
        // 9 degrees of freedom: 27.9 is the 0.1% point.
        QVERIFY2(chiSquare < 27.9, qPrintable(QString::number(chiSquare)));
        const double mean = sum / count;
        const double variance = sumSquares / count - mean * mean;
        const double lagCorrelation = (sumProducts / (count - 1) - mean * mean) / variance;
        QVERIFY2(std::abs(lagCorrelation) < 0.03, qPrintable(QString::number(lagCorrelation)));
    }
};

QTEST_APPLESS_MAIN(TestSeededRandom)
#include "tst_seededrandom.moc"
