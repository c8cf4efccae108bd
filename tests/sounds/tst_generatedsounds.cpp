// SPDX-License-Identifier: GPL-3.0-or-later
// Reads back the sounds the build left in the program folder as a listener would: the Morse ones
// are decoded from their samples alone, against a chart of our own.

#include "catalogue/catalogue.h"
#include "sound/soundcache.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <sndfile.h>

namespace {

constexpr int SampleRate = 44100;
constexpr double DitMs = 1200.0 / 20.0; // 20 wpm by the PARIS standard
constexpr double ToleranceMs = 0.5;

const QStringList VoiceSounds = {
    QStringLiteral("welcom98.wav"),      QStringLiteral("bien.wav"),        QStringLiteral("oh.wav"),
    QStringLiteral("hola juegas.wav"),   QStringLiteral("hay alguien.wav"), QStringLiteral("vas a jugar.wav"),
    QStringLiteral("si no piensas.wav"),
};
const QString StartupSound = QStringLiteral("brunza.wav");

// International Morse as a learner's chart prints it, written apart from the generator's table.
QHash<QString, QString> morseChart()
{
    const QStringList words = QStringLiteral("A .- B -... C -.-. D -.. E . F ..-. G --. H .... I .. J .--- "
                                             "K -.- L .-.. M -- N -. O --- P .--. Q --.- R .-. S ... T - "
                                             "U ..- V ...- W .-- X -..- Y -.-- Z --.. 1 .---- 2 ..--- "
                                             "3 ...-- 4 ....- 5 ..... 6 -.... 7 --... 8 ---.. 9 ----. "
                                             "0 ----- ? ..--.. sk ...-.-")
                                  .split(QLatin1Char(' '));
    QHash<QString, QString> chart;
    for (qsizetype i = 0; i + 1 < words.size(); i += 2)
        chart.insert(words[i], words[i + 1]);
    return chart;
}

struct Sound
{
    SF_INFO info{};
    QList<qint16> samples;
    double peak = 0.0;
};

std::optional<Sound> load(const QString &name)
{
    Sound sound;
    const QByteArray path = QFile::encodeName(QStringLiteral(ZUMBAREL_PROGRAM_DIR "/") + name);
    SNDFILE *file = sf_open(path.constData(), SFM_READ, &sound.info);
    if (!file)
        return std::nullopt;
    sound.samples.resize(sound.info.frames * sound.info.channels);
    const sf_count_t read = sf_readf_short(file, sound.samples.data(), sound.info.frames);
    sf_close(file);
    if (read != sound.info.frames || sound.samples.isEmpty())
        return std::nullopt;
    for (const qint16 sample : sound.samples)
        sound.peak = std::max(sound.peak, std::abs(double(sample)));
    return sound;
}

double ms(qsizetype samples)
{
    return 1000.0 * double(samples) / SampleRate;
}

double dbfs(double amplitude)
{
    return 20.0 * std::log10(amplitude / 32768.0);
}

// One keyed element: from its first to its last non-zero sample.
struct Element
{
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype end() const { return start + length; }
};

QList<Element> elementsOf(const QList<qint16> &samples)
{
    // The sine crosses zero inside a tone; only a longer silence is a gap.
    const qsizetype bridge = SampleRate / 1000;
    QList<Element> elements;
    qsizetype last = -bridge - 2;
    for (qsizetype i = 0; i < samples.size(); ++i) {
        if (samples[i] == 0)
            continue;
        if (i - last - 1 > bridge)
            elements.append({i, 1});
        else
            elements.last().length = i - elements.last().start + 1;
        last = i;
    }
    return elements;
}

// Dots and dashes read back from the lengths alone: characters apart by " ", words by " / ".
// A length that is no whole 1 or 3 dits (7 for a gap) at 20 wpm comes back as a fault.
QString decode(const QList<Element> &elements, QString *fault)
{
    const auto dits = [](qsizetype length, std::initializer_list<int> allowed) {
        for (const int count : allowed) {
            if (std::abs(ms(length) - count * DitMs) <= ToleranceMs)
                return count;
        }
        return 0;
    };
    QString morse;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        if (i > 0) {
            const qsizetype gap = elements[i].start - elements[i - 1].end();
            const int count = dits(gap, {1, 3, 7});
            if (count == 0 && fault->isEmpty())
                *fault = QStringLiteral("gap of %1 ms before element %2").arg(ms(gap)).arg(i);
            morse += count == 3 ? QStringLiteral(" ") : count == 7 ? QStringLiteral(" / ") : QString();
        }
        const int count = dits(elements[i].length, {1, 3});
        if (count == 0 && fault->isEmpty())
            *fault = QStringLiteral("element %1 lasts %2 ms").arg(i).arg(ms(elements[i].length));
        morse += count == 1 ? QLatin1Char('.') : QLatin1Char('-');
    }
    return morse;
}

// Amplitude of a sine of known angular step from three neighbouring samples (Teager-Kaiser):
// exact for a steady tone, and it follows a rise sample by sample.
double envelopeAt(const QList<qint16> &samples, qsizetype i, double step)
{
    const double energy = double(samples[i]) * samples[i] - double(samples[i - 1]) * samples[i + 1];
    return std::sqrt(std::max(0.0, energy)) / std::sin(step);
}

// Angular step per sample, from the zero crossings in the steady middle of the longest element.
double toneStep(const QList<qint16> &samples, const QList<Element> &elements)
{
    const Element longest = *std::max_element(elements.begin(), elements.end(),
                                              [](auto a, auto b) { return a.length < b.length; });
    qsizetype first = -1;
    qsizetype last = -1;
    int crossings = 0;
    for (qsizetype i = longest.start + longest.length / 4; i < longest.end() - longest.length / 4; ++i) {
        if ((samples[i] < 0) != (samples[i + 1] < 0)) {
            first = first < 0 ? i : first;
            last = i;
            ++crossings;
        }
    }
    // Successive crossings are half a period apart.
    return std::numbers::pi * (crossings - 1) / double(last - first);
}

} // namespace

class TestGeneratedSounds : public QObject
{
    Q_OBJECT
private slots:
    // Every name the program opens is there, letter case and spaces as written, is 44.1 kHz
    // 16-bit mono and decodes through the player's own cache.
    void allSounds_existAndLoad()
    {
        QStringList names;
        for (const CatalogueEntry &entry : CharacterCatalogue)
            names << entry.SoundFile;
        names << VoiceSounds << StartupSound;
        names.removeDuplicates();
        QCOMPARE(names.size(), 46);

        const QDir folder(QStringLiteral(ZUMBAREL_PROGRAM_DIR));
        const QStringList present = folder.entryList(QDir::Files);
        sound::SoundCache player(SampleRate);
        for (const QString &name : names) {
            QVERIFY2(present.contains(name), qPrintable(name));
            const auto decoded = player.load(folder.filePath(name));
            QVERIFY2(decoded && !(*decoded)->empty(),
                     qPrintable(name + QStringLiteral(": ") + QString::fromStdString(decoded.error())));
            const std::optional<Sound> sound = load(name);
            QVERIFY2(sound, qPrintable(name));
            QCOMPARE(sound->info.samplerate, SampleRate);
            QCOMPARE(sound->info.channels, 1);
            QCOMPARE(sound->info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        }
    }

    void morseSounds_decodeToTheirCharacters_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        const QHash<QString, QString> chart = morseChart();
        for (const CatalogueEntry &entry : CharacterCatalogue) {
            QVERIFY2(chart.contains(entry.Character), qPrintable(entry.Character));
            QTest::newRow(qPrintable(entry.SoundFile)) << entry.SoundFile << chart.value(entry.Character);
        }
        QTest::newRow("start-up call") << StartupSound << QStringLiteral("-.-. --.- / -.-. --.-"); // CQ CQ
    }

    // A wrong pattern, a wrong speed, a gap inside "sk" or a missing file shows here; the first
    // element starts at once, as the player needs no run-in.
    void morseSounds_decodeToTheirCharacters()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        const std::optional<Sound> sound = load(file);
        QVERIFY(sound);
        const QList<Element> elements = elementsOf(sound->samples);
        QVERIFY(!elements.isEmpty());
        QVERIFY2(ms(elements.first().start) <= 1.0, qPrintable(QString::number(ms(elements.first().start))));
        QVERIFY(ms(sound->samples.size()) <= 4000.0);
        QString fault;
        const QString morse = decode(elements, &fault);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QCOMPARE(morse, expected);
    }

    void morseSounds_elementsRiseAndFallSmoothly_data()
    {
        QTest::addColumn<QString>("file");
        for (const CatalogueEntry &entry : CharacterCatalogue)
            QTest::newRow(qPrintable(entry.SoundFile)) << entry.SoundFile;
        QTest::newRow(qPrintable(StartupSound)) << StartupSound;
    }

    // No element starts or stops with a step (a key click): each swells from silence and dies
    // back to it over about 5 ms. The tone is a sine of the usual pitch, loud but never clipped.
    void morseSounds_elementsRiseAndFallSmoothly()
    {
        QFETCH(QString, file);
        const std::optional<Sound> sound = load(file);
        QVERIFY(sound);
        const QList<qint16> &samples = sound->samples;
        const QList<Element> elements = elementsOf(samples);
        QVERIFY(!elements.isEmpty());

        const double step = toneStep(samples, elements);
        const double frequency = step * SampleRate / (2.0 * std::numbers::pi);
        QVERIFY2(frequency >= 550.0 && frequency <= 800.0, qPrintable(QString::number(frequency)));
        QVERIFY2(std::abs(dbfs(sound->peak) + 3.0) <= 0.5, qPrintable(QString::number(dbfs(sound->peak))));
        QVERIFY(sound->peak < 32767.0);

        const qsizetype edge = SampleRate / 2000; // the first and last 0.5 ms
        for (const Element &element : elements) {
            const QString where = QStringLiteral("element at %1 ms").arg(ms(element.start));
            for (qsizetype i = 0; i < edge; ++i) {
                QVERIFY2(std::abs(samples[element.start + i]) < 0.05 * sound->peak, qPrintable(where));
                QVERIFY2(std::abs(samples[element.end() - 1 - i]) < 0.05 * sound->peak, qPrintable(where));
            }
            // Rise: from the first sample to 99% of the steady level; fall: back from it.
            const qsizetype middle = element.start + element.length / 2;
            double steady = 0.0;
            for (qsizetype i = middle - 50; i < middle + 50; ++i)
                steady = std::max(steady, envelopeAt(samples, i, step));
            qsizetype risen = element.start + 1;
            while (risen < middle && envelopeAt(samples, risen, step) < 0.99 * steady)
                ++risen;
            qsizetype falling = element.end() - 2;
            while (falling > middle && envelopeAt(samples, falling, step) < 0.99 * steady)
                --falling;
            const double rise = ms(risen - element.start);
            const double fall = ms(element.end() - 1 - falling);
            QVERIFY2(rise >= 4.0 && rise <= 6.0,
                     qPrintable(where + QStringLiteral(": rise %1 ms").arg(rise)));
            QVERIFY2(fall >= 4.0 && fall <= 6.0,
                     qPrintable(where + QStringLiteral(": fall %1 ms").arg(fall)));
        }
    }

    // The speech starts at once, is equally loud in every file, peaks near full scale without
    // clipping, and lasts about as long as its text takes to say (an empty or wrong text shows).
    void voices_promptEquallyLoudAndComplete()
    {
        QList<double> levels;
        for (const QString &name : VoiceSounds) {
            const std::optional<Sound> sound = load(name);
            QVERIFY2(sound, qPrintable(name));
            const QList<qint16> &samples = sound->samples;
            QVERIFY2(dbfs(sound->peak) >= -3.0 && sound->peak < 32767.0, qPrintable(name));
            const auto onset = std::find_if(samples.begin(), samples.end(),
                                            [&](qint16 s) { return std::abs(s) >= 0.01 * sound->peak; });
            QVERIFY2(ms(onset - samples.begin()) <= 10.0, qPrintable(name));

            // Loudness: the mean power of the 50 ms blocks within 20 dB of the loudest one.
            QList<double> powers;
            for (qsizetype start = 0; start + SampleRate / 20 <= samples.size(); start += SampleRate / 20) {
                double sum = 0.0;
                for (qsizetype i = start; i < start + SampleRate / 20; ++i)
                    sum += double(samples[i]) * samples[i];
                powers << sum;
            }
            const double loudest = *std::max_element(powers.begin(), powers.end());
            double sum = 0.0;
            int count = 0;
            for (const double power : powers) {
                sum += power >= 0.01 * loudest ? power : 0.0;
                count += power >= 0.01 * loudest ? 1 : 0;
            }
            levels << 10.0 * std::log10(sum / count);

            QFile text(QStringLiteral(ZUMBAREL_VOICE_TEXTS "/") + name.chopped(4) + QStringLiteral(".txt"));
            QVERIFY2(text.open(QIODevice::ReadOnly), qPrintable(text.fileName()));
            const double perCharacter =
                ms(samples.size()) / QString::fromUtf8(text.readAll()).trimmed().size();
            QVERIFY2(perCharacter >= 40.0 && perCharacter <= 150.0,
                     qPrintable(name + QStringLiteral(": %1 ms a character").arg(perCharacter)));
        }
        const auto [quietest, loudest] = std::minmax_element(levels.begin(), levels.end());
        QVERIFY2(*loudest - *quietest <= 1.5,
                 qPrintable(QStringLiteral("%1 dB apart").arg(*loudest - *quietest)));
    }
};

QTEST_APPLESS_MAIN(TestGeneratedSounds)
#include "tst_generatedsounds.moc"
