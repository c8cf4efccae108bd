// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windows.h"
#include "contrast.h"
#include "fakeruntime.h"
#include "game/form1.h"
#include "gamewindow.h"
#include "runtime/forms.h"
#include "scores/scoretobeat.h"
#include "scores/toptenfile.h"
#include "windowcontrols.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <map>

using runtime::Form;
using runtime::FormId;
using runtime::Forms;

namespace {

// The contrast of the letters of an image against its background: the colour found most often is
// the background, the pixel farthest from it is the letters' core.
double textContrast(const QImage &image)
{
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    const QColor background(std::max_element(counts.begin(), counts.end(), [](auto &a, auto &b) {
                                return a.second < b.second;
                            })->first);
    double best = 1;
    for (const auto &[rgb, n] : counts)
        best = std::max(best, contrast(QColor(rgb), background));
    return best;
}

// A control as it shows on screen: grabbed from the panel it sits on.
QImage onScreen(QWidget *control, QWidget *panel)
{
    return panel->grab(QRect(control->mapTo(panel, QPoint(0, 0)), control->size())).toImage();
}

struct FontFacts
{
    QString family;
    qreal points;
    int weight;
    bool italic;
    bool operator==(const FontFacts &) const = default;
};

// The font of every named control of a window.
std::map<QString, FontFacts> fonts(QWidget *window)
{
    std::map<QString, FontFacts> result;
    for (QWidget *w : window->findChildren<QWidget *>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            result[w->objectName()] = {w->font().family(), w->font().pointSizeF(), w->font().weight(),
                                       w->font().italic()};
    return result;
}

std::map<QString, FontFacts> fontsOfEveryWindow()
{
    std::map<QString, FontFacts> all;
    for (Form *form : {&Forms::get(FormId::Form1), &Forms::get(FormId::Form2), &Forms::create(FormId::Form3),
                       &Forms::get(FormId::Form4)})
        for (auto &[name, facts] : fonts(form->window()))
            all[form->window()->objectName() + QLatin1Char('.') + name] = facts;
    return all;
}

// What a dark desktop theme with a large font does to the application before any window loads.
void setDarkDesktopWithLargeFont()
{
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Text, Qt::white);
    QApplication::setPalette(dark);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Serif"), 20, QFont::Bold));
}

} // namespace

class TestDesignedLook : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        registerWindows();
        Module1::ScoreToBeat = 7;
    }

    // ---- what the first window costs ----

    // The splash, drawn before anything else, loads no image plug-in for its pictures, and every
    // control of every window names an installed family first, so that Qt never searches
    // fontconfig for a designed one. First, before any other test could load a plug-in.
    void firstWindow_noImagePlugins_everyWindow_installedFamilies()
    {
        FakeRuntime fakes;
        Forms::get(FormId::Form4).window();
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY2(!maps.readAll().contains("/imageformats/"), "an image plug-in was loaded");

        const QStringList installed = QFontDatabase::families();
        for (const auto &[name, facts] : fontsOfEveryWindow())
            QVERIFY2(installed.contains(facts.family, Qt::CaseInsensitive),
                     qPrintable(name + QStringLiteral(": ") + facts.family));
    }

    // ---- colours ----

    // Buttons in play are a flat 00C000; the others are the button face.
    void inPlayButtons_flatGreen_othersButtonFace()
    {
        FakeRuntime fakes;
        game().show();
        fakes.random.draws << 0.0;
        click(control<QPushButton>(game(), "Command2"));
        const QImage inPlay = game().Command1(0)->grab().toImage();
        const QImage neutral = game().Command1(3)->grab().toImage();
        int green = 0;
        int face = 0;
        for (int y = 0; y < inPlay.height(); ++y)
            for (int x = 0; x < inPlay.width(); ++x) {
                green += inPlay.pixelColor(x, y) == QColor(0x00, 0xc0, 0x00);
                face += neutral.pixelColor(x, y) == QColor(0xc0, 0xc0, 0xc0);
            }
        const int area = inPlay.width() * inPlay.height();
        QVERIFY2(green > area * 3 / 4, qPrintable(QString::number(green)));
        QVERIFY2(face > area * 3 / 4, qPrintable(QString::number(face)));
    }

    // ---- a dark desktop with a large font ----

    // Every control of every window keeps its designed font, and the letters in play and the
    // credits keep their contrast, however the desktop dresses the application.
    void darkDesktopLargeFont_windowsKeepDesignedLook()
    {
        std::map<QString, FontFacts> designed;
        {
            FakeRuntime fakes;
            designed = fontsOfEveryWindow();
        }
        FakeRuntime fakes;
        setDarkDesktopWithLargeFont();
        const std::map<QString, FontFacts> dressed = fontsOfEveryWindow();
        QCOMPARE(dressed.size(), designed.size());
        for (const auto &[name, facts] : designed)
            QVERIFY2(dressed.at(name) == facts, qPrintable(QStringLiteral("%1: %2 %3 %4 %5")
                                                               .arg(name, dressed.at(name).family)
                                                               .arg(dressed.at(name).points)
                                                               .arg(dressed.at(name).weight)
                                                               .arg(dressed.at(name).italic)));

        // The menu bar keeps the menu colours, not the navy of its window.
        auto *menuBar = control<QMenuBar>(Forms::get(FormId::Form2), "menuBar");
        QCOMPARE(menuBar->palette().color(QPalette::Window), QColor(0xc0, 0xc0, 0xc0));
        QCOMPARE(menuBar->palette().color(QPalette::ButtonText), QColor(Qt::black));

        // The captions the desktop font used to clip fit their controls again.
        auto *nivel = control<QLabel>(game(), "Label1");
        QVERIFY(nivel->fontMetrics().horizontalAdvance(nivel->text()) <= nivel->width());
        auto *score = control<QGroupBox>(game(), "Frame2");
        QVERIFY(score->fontMetrics().horizontalAdvance(score->title()) < score->width());

        game().show();
        fakes.random.draws << 0.0;
        click(control<QPushButton>(game(), "Command2"));
        const double letters = textContrast(game().Command1(0)->grab().toImage());
        QVERIFY2(letters >= 4.5, qPrintable(QString::number(letters)));
        for (Form *form : {static_cast<Form *>(&game()), &Forms::get(FormId::Form2)}) {
            QWidget *panel = control(*form, "Frame1");
            for (const char *credit : {"Label4", "Label5"}) {
                const double c = textContrast(onScreen(control(*form, credit), panel));
                QVERIFY2(c >= 4.5, qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(credit)).arg(c)));
            }
        }
    }

    // ---- stored and typed text ----

    // Names from the file and the score line show character for character, never as markup.
    void storedText_showsAsPlainText()
    {
        FakeRuntime fakes;
        QFile file(TopTenFile::path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<h1>ana   9  <hr>      5  <b>x</b>  3  DANI      2  EVA       1  ");
        file.close();
        Form &intro = Forms::get(FormId::Form2);
        auto *first = control<QLabel>(intro, "top5_0");
        auto *second = control<QLabel>(intro, "top5_1");
        QCOMPARE(first->text(), QStringLiteral("<h1>ana   "));
        QCOMPARE(second->text(), QStringLiteral("<hr>      "));
        for (int k = 0; k < 10; ++k)
            QCOMPARE(control<QLabel>(intro, qPrintable(QStringLiteral("top5_%1").arg(k)))->textFormat(),
                     Qt::PlainText);
        // One line of the label's own font, no heading.
        QCOMPARE(first->sizeHint().height(), control<QLabel>(intro, "top5_3")->sizeHint().height());
        QVERIFY(second->sizeHint().width() > 0);
        QCOMPARE(control<QLabel>(Forms::create(FormId::Form3), "lblpuntos")->textFormat(), Qt::PlainText);
    }
};

QTEST_MAIN(TestDesignedLook)
#include "tst_designedlook.moc"
