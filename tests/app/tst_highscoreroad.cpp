// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windows.h"
#include "fakeruntime.h"
#include "filebytes.h"
#include "runtime/forms.h"
#include "scores/scoretobeat.h"
#include "scores/toptenfile.h"
#include "windowcontrols.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using runtime::FormId;
using runtime::Forms;

namespace {

template <class T> T *control(FormId id, const char *name)
{
    return control<T>(Forms::get(id), name);
}

void click(FormId id, const char *name)
{
    auto *button = control<QPushButton>(id, name);
    QVERIFY2(button && button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList table()
{
    QStringList rows;
    for (int k = 0; k < 5; ++k)
        rows << control<QLabel>(FormId::Form2, qPrintable(QStringLiteral("top5_%1").arg(k)))
                        ->text()
                        .trimmed() +
                    QLatin1Char(' ') +
                    control<QLabel>(FormId::Form2, qPrintable(QStringLiteral("top5_%1").arg(k + 5)))
                        ->text()
                        .trimmed();
    return rows;
}

// The name-entry window on screen, if there is one.
QWidget *nameEntryWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String("Form3") && window->isVisible())
            return window;
    return nullptr;
}

} // namespace

class TestHighScoreRoad : public QObject
{
    Q_OBJECT
private slots:
    void init() { registerWindows(); }

    // A game that beats the table asks for the name; once it is given, the introduction window's
    // next activation shows the new order.
    void beatingTheTable_nameReachesTheIntroTable()
    {
        FakeRuntime fakes;
        writeFileBytes(TopTenFile::path(),
                       "ANA       9  BEA       5  CARLOS    3  DANI      2  EVA       1  ");

        Forms::get(FormId::Form2).show();
        QCOMPARE(Module1::ScoreToBeat, 1.0);
        click(FormId::Form2, "Command1");
        QCOMPARE(Forms::active(), &Forms::get(FormId::Form1));

        // Every draw names E; three right answers, then a wrong one, and No to another game.
        click(FormId::Form1, "Command2");
        for (int i = 0; i < 3; ++i)
            click(FormId::Form1, "Command1_0");
        fakes.questions.answers = {platform::No};
        click(FormId::Form1, "Command1_1");

        QWidget *entry = nameEntryWindow();
        QVERIFY(entry);
        QCOMPARE(entry->findChild<QLabel *>(QStringLiteral("lblpuntos"))->text(),
                 QStringLiteral("has conseguido 3 puntos"));
        // The introduction window is back, but the name-entry window keeps the activation and the
        // table still shows the old entries.
        QVERIFY(Forms::get(FormId::Form2).isVisible());
        QVERIFY(!Forms::get(FormId::Form1).isLoaded());
        QCOMPARE(Forms::active()->window(), entry);
        QCOMPARE(table()[2], QStringLiteral("CARLOS 3"));

        auto *name = entry->findChild<QLineEdit *>(QStringLiteral("Text1"));
        name->setText(QStringLiteral("zoé"));
        QTest::keyClick(name, Qt::Key_Return);

        QCOMPARE(Forms::active(), &Forms::get(FormId::Form2));
        QCOMPARE(table(), (QStringList{"ANA 9", "BEA 5", "ZOÉ 3", "CARLOS 3", "DANI 2"}));
        QCOMPARE(Module1::ScoreToBeat, 2.0);
    }

    // Two games in a row that each reach the top five are each offered a name, the second
    // measured against the table that the first one's name has changed; both names are kept.
    void twoQualifyingGamesInARow_bothNamesRecorded()
    {
        FakeRuntime fakes;
        writeTopTen(fakes.folder.path(),
                    {{"ANA", "50"}, {"BEA", "40"}, {"CARLOS", "30"}, {"DANI", "6"}, {"EVA", "5"}});
        Forms::get(FormId::Form2).show();
        click(FormId::Form2, "Command1");

        // Game 1: every draw names E; twelve right answers (Yes to the next level), a wrong one,
        // and Yes to another game at once.
        fakes.questions.answers = {platform::Yes, platform::Yes};
        click(FormId::Form1, "Command2");
        for (int i = 0; i < 12; ++i)
            click(FormId::Form1, "Command1_0");
        click(FormId::Form1, "Command1_1");
        QWidget *first = nameEntryWindow();
        QVERIFY(first);
        QCOMPARE(first->findChild<QLabel *>(QStringLiteral("lblpuntos"))->text(),
                 QStringLiteral("has conseguido 12 puntos"));
        first->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("uno"));
        QTest::keyClick(first->findChild<QLineEdit *>(QStringLiteral("Text1")), Qt::Key_Return);
        QVERIFY(!nameEntryWindow());

        // Game 2, without going back to the introduction window: 8 beats the new fifth, 6.
        fakes.questions.answers = {platform::No};
        click(FormId::Form1, "Command2");
        for (int i = 0; i < 8; ++i)
            click(FormId::Form1, "Command1_0");
        click(FormId::Form1, "Command1_1");
        QWidget *second = nameEntryWindow();
        QVERIFY(second);
        QCOMPARE(second->findChild<QLabel *>(QStringLiteral("lblpuntos"))->text(),
                 QStringLiteral("has conseguido 8 puntos"));
        second->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("dos"));
        QTest::keyClick(second->findChild<QLineEdit *>(QStringLiteral("Text1")), Qt::Key_Return);

        QCOMPARE(table(), (QStringList{"ANA 50", "BEA 40", "CARLOS 30", "UNO 12", "DOS 8"}));
        QCOMPARE(fakes.questions.unexpected, 0);
    }
};

QTEST_MAIN(TestHighScoreRoad)
#include "tst_highscoreroad.moc"
