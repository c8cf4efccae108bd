// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogue.h"
#include "fakeruntime.h"
#include "game/form1.h"
#include "gamewindow.h"
#include "runtime/pictures.h"
#include "ui_form1.h"
#include "windowcontrols.h"

#include <QGroupBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using runtime::FormId;
using runtime::Forms;

namespace {

// Pixels of a clearly green shade: the style shades a button's colour, but keeps its hue.
int greenPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.green() > c.red() + 80 && c.green() > c.blue() + 80)
                ++count;
        }
    return count;
}

} // namespace

class TestForm1Layout : public QObject
{
    Q_OBJECT

    // The layout as designed, before the window's own load step changes anything.
    QWidget designed;
    Ui::Form1 design;

private slots:
    void initTestCase() { design.setupUi(&designed); }

    void init()
    {
        Forms::setFactory(FormId::Form1, [] { return std::make_unique<Form1>(); });
    }

    // ---- the window ----

    // "Zumbarel", fixed, with a close control only, kept off the task bar, shown maximized.
    void window_frameAndState()
    {
        FakeRuntime fakes;
        QWidget *window = game().window();
        QCOMPARE(window->windowTitle(), QStringLiteral("Zumbarel"));
        QCOMPARE(window->size(), QSize(456, 489));
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        // A normal window although it has no task-bar button: it fills the screen, and the player
        // must be able to switch back to it.
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Window);
        QVERIFY(!window->windowIcon().isNull());
        game().show();
        QVERIFY(window->windowState().testFlag(Qt::WindowMaximized));
    }

    // A navy margin round the grey frame; an in-play button shows its green.
    void window_coloursShow()
    {
        FakeRuntime fakes;
        game().show();
        QWidget *window = game().window();
        window->resize(700, 600);
        fakes.random.draws << 0.0;
        QTest::mouseClick(control<QPushButton>(game(), "Command2"), Qt::LeftButton);
        const QImage image = window->grab().toImage();
        const QRect frame = control<QFrame>(game(), "Frame1")->geometry();
        QCOMPARE(image.pixelColor(frame.left() - 5, frame.top() + 5), QColor(0, 0, 128));
        QCOMPARE(image.pixelColor(frame.left() + 2, frame.bottom() - 2),
                 window->palette().color(QPalette::Button));
        const QImage inPlay = game().Command1(0)->grab().toImage();
        QVERIFY(greenPixels(inPlay) > inPlay.width() * inPlay.height() / 2);
        QCOMPARE(greenPixels(game().Command1(3)->grab().toImage()), 0);
    }

    // ---- the controls ----

    // 36 buttons in nine rows of the learning order, each named by its character.
    void characterButtons_learningOrderGrid()
    {
        FakeRuntime fakes;
        const QList<int> rowStarts{0, 4, 7, 10, 13, 17, 21, 26, 31, 36};
        for (int row = 0; row < 9; ++row) {
            for (int i = rowStarts[row]; i < rowStarts[row + 1]; ++i) {
                QPushButton *button = game().Command1(i);
                QCOMPARE(button->parentWidget(), control<QFrame>(game(), "Frame1"));
                QCOMPARE(button->text(), CharacterCatalogue[std::size_t(i)].Character);
                QCOMPARE(button->accessibleName(), button->text());
                QCOMPARE(button->geometry(), QRect(16 + 48 * (i - rowStarts[row]), 32 + 40 * row, 33, 33));
            }
        }
    }

    // The controls a player reads or presses, where the layout puts them, with the caption or
    // tool tip that also names them to a screen reader.
    void controls_placesAndTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::newRow("Frame1") << "Frame1" << QRect(-8, 16, 457, 473) << "";
        QTest::newRow("Command2") << "Command2" << QRect(8, 408, 65, 57) << "Jugar";
        QTest::newRow("cmdRepetir") << "cmdRepetir" << QRect(80, 408, 57, 57) << "Repetir sonido";
        QTest::newRow("Command4") << "Command4" << QRect(144, 408, 57, 57) << "?";
        QTest::newRow("lblNivel") << "lblNivel" << QRect(32, 32, 33, 25) << "1";
        QTest::newRow("Frame2") << "Frame2" << QRect(296, 400, 81, 65) << "Puntuacion";
        QTest::newRow("lblPuntuacion") << "lblPuntuacion" << QRect(16, 24, 41, 25) << "000";
        QTest::newRow("command3") << "command3" << QRect(384, 424, 57, 41) << "Volver atrás";
    }
    void controls_placesAndTexts()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        auto *control = designed.findChild<QWidget *>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), geometry);
        if (auto *label = qobject_cast<QLabel *>(control); label && !text.isEmpty())
            QCOMPARE(label->text(), text);
        if (auto *box = qobject_cast<QGroupBox *>(control))
            QCOMPARE(box->title(), text);
        if (auto *button = qobject_cast<QPushButton *>(control)) {
            // A picture button is named by its tool tip, a captioned one by its caption.
            QCOMPARE(button->icon().isNull() ? button->text() : button->toolTip(), text);
            // The hint button's name says what it does; the others are named as they read.
            if (name == QLatin1String("Command4"))
                QVERIFY(button->accessibleName().startsWith(QStringLiteral("Pista")));
            else
                QCOMPARE(button->accessibleName(), text);
        }
    }

    // Sizes of type, the pictures and the credits.
    void controls_fontsAndPictures()
    {
        QCOMPARE(design.Command4->font().pointSize(), 24);
        QCOMPARE(design.lblNivel->font().pointSize(), 18);
        QCOMPARE(design.lblPuntuacion->font().pointSize(), 18);
        QVERIFY(design.Label2->font().bold() && design.Label2->font().italic());
        QCOMPARE(design.Label2->font().pointSize(), 36);
        for (QPushButton *button : {design.Command2, design.cmdRepetir, design.command3})
            QVERIFY(!button->icon().isNull());
        QCOMPARE(design.Image3->pixmap().size(), QSize(551, 24));
        QVERIFY(!design.Picture1->pixmap().isNull() && !design.Image1->pixmap().isNull());
        // The ribbon runs past the frame's right edge, which clips it.
        QVERIFY(design.Image3->geometry().right() > design.Frame1->width());
        QVERIFY(design.Label4->text().startsWith(QStringLiteral("Por ")));
        QVERIFY(!design.Label5->text().isEmpty());
    }

    // The chooser: reversed, 36 at the top and 1 at the bottom, steps of one, "1" at design.
    void chooser_designState()
    {
        QScrollBar *bar = design.VScroll1;
        QCOMPARE(bar->orientation(), Qt::Vertical);
        QCOMPARE(-bar->maximum(), 1);
        QCOMPARE(-bar->minimum(), 36);
        QCOMPARE(-bar->value(), 1);
        QCOMPARE(bar->singleStep(), 1);
        QCOMPARE(bar->pageStep(), 1);
        QVERIFY(bar->focusPolicy() & Qt::TabFocus);
    }

    // Focus walks the controls in the layout's order.
    void tabOrder_followsLayout()
    {
        QStringList expected{"Command4", "cmdRepetir", "Picture1"};
        for (int i = 35; i >= 10; --i)
            expected << QStringLiteral("Command1_%1").arg(i);
        expected << "VScroll1"
                 << "command3"
                 << "Command1_9"
                 << "Command1_8"
                 << "Command1_7"
                 << "Command2";
        for (int i = 6; i >= 0; --i)
            expected << QStringLiteral("Command1_%1").arg(i);
        QStringList chain;
        QWidget *w = design.Command4;
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != design.Command4);
        QCOMPARE(chain, expected);
    }
};

QTEST_MAIN(TestForm1Layout)
#include "tst_form1layout.moc"
