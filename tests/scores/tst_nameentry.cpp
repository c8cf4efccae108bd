// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeruntime.h"
#include "filebytes.h"
#include "scores/form3.h"
#include "scores/scoretobeat.h"
#include "scores/topfive.h"
#include "scores/toptenfile.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using runtime::Form;
using runtime::FormId;
using runtime::Forms;

namespace {

QStringList journal;

// Stands in for the introduction window: shows the table on load and on activation.
class TableWindow final : public Form
{
public:
    std::array<QLabel *, 10> top5{};

protected:
    void createControls(QWidget &window) override
    {
        for (QLabel *&label : top5)
            label = new QLabel(&window);
    }
    void releaseControls() override { top5 = {}; }
    void Form_Load() override { ShowTopFive(top5); }
    void Form_Activate() override
    {
        journal << QStringLiteral("intro:Activate");
        ShowTopFive(top5);
    }
};

void writeFile(const QByteArray &bytes)
{
    writeFileBytes(TopTenFile::path(), bytes);
}

QByteArray readFile()
{
    return fileBytes(TopTenFile::path());
}

const QByteArray table = "NADIE     100ABC       90 XYZ       80 NADIE     50 QQ        40 ";

Form3 &openNameEntry(double score)
{
    Module1::ScoreToBeat = score;
    auto &window = static_cast<Form3 &>(Forms::create(FormId::Form3));
    window.show();
    return window;
}

QLineEdit *nameBox(Form3 &window)
{
    return window.window()->findChild<QLineEdit *>(QStringLiteral("Text1"));
}

QStringList labels(TableWindow &intro)
{
    intro.window();
    QStringList texts;
    for (QLabel *label : intro.top5)
        texts << label->text();
    return texts;
}

} // namespace

class TestNameEntry : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        journal.clear();
        Forms::setFactory(FormId::Form3, [] { return std::make_unique<Form3>(); });
        Forms::setFactory(FormId::Form2, [] { return std::make_unique<TableWindow>(); });
    }

    // ---- the top-five table ----

    // Names and points as stored, in file order; the fifth score becomes the score to beat.
    void topFive_showsFileAsStored()
    {
        FakeRuntime fakes;
        writeFile(table + "IGNORED   999");
        auto &intro = Forms::get<TableWindow>(FormId::Form2);
        QCOMPARE(labels(intro), (QStringList{"NADIE     ", "ABC       ", "XYZ       ", "NADIE     ",
                                             "QQ        ", "100", "90 ", "80 ", "50 ", "40 "}));
        QCOMPARE(Module1::ScoreToBeat, 40.0);
    }

    // A file written by hand out of order is shown unsorted; the fifth record sets the bar.
    void topFive_handWrittenOrderKept()
    {
        FakeRuntime fakes;
        writeFile("LOW       5  HIGH      300MID       20 A         1  B         77 ");
        auto &intro = Forms::get<TableWindow>(FormId::Form2);
        QCOMPARE(labels(intro).mid(5), (QStringList{"5  ", "300", "20 ", "1  ", "77 "}));
        QCOMPARE(Module1::ScoreToBeat, 77.0);
    }

    // A short file shows blank rows and a bar of 0, and the window still opens.
    void topFive_shortFile_blankRows()
    {
        FakeRuntime fakes;
        writeFile("ABC       90 XY");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("holds 1 of 5")));
        auto &intro = Forms::get<TableWindow>(FormId::Form2);
        const QStringList texts = labels(intro);
        QCOMPARE(texts[0], QStringLiteral("ABC       "));
        QCOMPARE(texts[1].trimmed(), QString());
        QCOMPARE(texts[9].trimmed(), QString());
        QCOMPARE(Module1::ScoreToBeat, 0.0);
    }

    // ---- the name-entry window ----

    // The window states the whole score, offers "Nadie" with the focus, and takes at most ten
    // characters.
    void window_layoutAndScoreText()
    {
        FakeRuntime fakes;
        Form3 &window = openNameEntry(1234);
        QCOMPARE(window.window()->windowTitle(), QStringLiteral("¡Enhorabuena!"));
        QCOMPARE(window.window()->findChild<QLabel *>(QStringLiteral("lblpuntos"))->text(),
                 QStringLiteral("has conseguido 1234 puntos"));
        QLineEdit *box = nameBox(window);
        QCOMPARE(box->text(), QStringLiteral("Nadie"));
        QCOMPARE(window.window()->focusWidget(), box);
        QTest::keyClicks(box, QStringLiteral("ABCDEFG"));
        QCOMPARE(box->text(), QStringLiteral("NadieABCDE"));
        QVERIFY(!window.window()->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    }

    // Enter released records the name in upper case in its ordered place; a huge score as 999.
    void enter_recordsInOrder()
    {
        FakeRuntime fakes;
        writeFile(table);
        Form3 &window = openNameEntry(1234);
        QLineEdit *box = nameBox(window);
        box->setText(QStringLiteral("peña"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(readFile(), QByteArray("PE\xD1"
                                        "A      999NADIE     100ABC       90 XYZ       80 NADIE     50 "));
    }

    // Another player's name stored with the five bytes the code page leaves unassigned keeps them
    // when a new name is written; a typed character the code page cannot hold is stored as '?'.
    void enter_keepsOtherRecordsBytes_unheldTypedBecomesQuestionMark()
    {
        FakeRuntime fakes;
        const QByteArray odd("J\x81\x8D\x8F\x90\x9D"
                             "SE  90 ");
        writeFile("NADIE     100" + odd + "XYZ       80 NADIE     50 QQ        40 ");
        Form3 &window = openNameEntry(60);
        QLineEdit *box = nameBox(window);
        box->setText(QStringLiteral("ЖAN"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(readFile(), "NADIE     100" + odd + "XYZ       80 ?AN       60 NADIE     50 ");
    }

    // Only the release of Enter acts: other keys, a press alone or a held key's repeats write nothing.
    void onlyEnterReleaseActs()
    {
        FakeRuntime fakes;
        writeFile(table);
        Form3 &window = openNameEntry(60);
        QLineEdit *box = nameBox(window);
        QTest::keyClick(box, Qt::Key_A);
        QTest::keyClick(box, Qt::Key_Escape);
        QTest::keyPress(box, Qt::Key_Return);
        QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(box, &repeat);
        QCOMPARE(readFile(), table);
        QVERIFY(window.isLoaded());
        QTest::keyRelease(box, Qt::Key_Return);
        QVERIFY(!window.isLoaded());
        QCOMPARE(readFile().mid(39, 13), QByteArray("NADIEA    60 "));
    }

    // The window takes the activation back from the other windows while it waits.
    void deactivate_takesActivationBack()
    {
        FakeRuntime fakes;
        Form3 &window = openNameEntry(50);
        Forms::get(FormId::Form2).show();
        QCOMPARE(Forms::active(), &window);
        QCOMPARE(journal, QStringList{QStringLiteral("intro:Activate")});
    }

    // Two name-entry windows: neither grabs the activation from the other, and both confirmed
    // entries are kept, whatever the order of confirmation.
    void twoWindows_bothEntriesKept()
    {
        FakeRuntime fakes;
        writeFile(table);
        Form3 &first = openNameEntry(60);
        Form3 &second = openNameEntry(70);
        QCOMPARE(Forms::active(), &second);
        nameBox(first)->setText(QStringLiteral("uno"));
        nameBox(second)->setText(QStringLiteral("dos"));
        QTest::keyClick(nameBox(second), Qt::Key_Return);
        QTest::keyClick(nameBox(first), Qt::Key_Return);
        QCOMPARE(readFile(), QByteArray("NADIE     100ABC       90 XYZ       80 DOS       70 UNO       60 "));
    }

    // After a finished game, the program's end waits for the name being entered, closing every
    // other window at once; the exit command still ends everything at once.
    void programEnd_waitsForTheNameOnlyWhenAsked()
    {
        FakeRuntime fakes;
        writeFile(table);
        Forms::get(FormId::Form2).show();
        Form3 &window = openNameEntry(95);
        Forms::end(runtime::EndMode::AfterHeldWindows);
        QVERIFY(!Forms::get(FormId::Form2).isLoaded());
        QCOMPARE(fakes.programEnd.calls, 0);
        QTest::keyClick(nameBox(window), Qt::Key_Return);
        QCOMPARE(fakes.programEnd.calls, 1);
        QCOMPARE(readFile().left(26), QByteArray("NADIE     100NADIE     95 "));
    }
    void exit_endsAtOnceWithNameWindowOpen()
    {
        FakeRuntime fakes;
        Form3 &window = openNameEntry(95);
        Forms::end();
        QCOMPARE(fakes.programEnd.calls, 1);
        QVERIFY(!window.isLoaded());
    }

    // The name-entry window left alone on screen (the window behind it closed through its frame)
    // ends the program once it closes, rather than leave it running unseen.
    void lastWindowLeft_endsProgramOnClose()
    {
        FakeRuntime fakes;
        Forms::get(FormId::Form2).show();
        Form3 &window = openNameEntry(95);
        Forms::get(FormId::Form2).window()->close();
        QCOMPARE(fakes.programEnd.calls, 0);
        QTest::keyClick(nameBox(window), Qt::Key_Return);
        QCOMPARE(fakes.programEnd.calls, 1);
    }

    // The release of an Enter pressed before the window opened (the one that answered the game's
    // question) is not a confirmation.
    void enterReleasedWithoutPress_writesNothing()
    {
        FakeRuntime fakes;
        writeFile(table);
        Form3 &window = openNameEntry(60);
        QTest::keyRelease(nameBox(window), Qt::Key_Return);
        QVERIFY(window.isLoaded());
        QCOMPARE(readFile(), table);
    }

    // ---- the whole road ----

    // A confirmed name is in the table at the introduction window's next activation.
    void confirmedName_showsAtNextActivation()
    {
        FakeRuntime fakes;
        writeFile(table);
        auto &intro = Forms::get<TableWindow>(FormId::Form2);
        intro.show();
        Form3 &window = openNameEntry(85);
        QCOMPARE(labels(intro)[3], QStringLiteral("NADIE     "));
        nameBox(window)->setText(QStringLiteral("ana"));
        QTest::keyClick(nameBox(window), Qt::Key_Return);
        QCOMPARE(Forms::active(), &intro);
        QCOMPARE(labels(intro).mid(0, 5),
                 (QStringList{"NADIE     ", "ABC       ", "ANA       ", "XYZ       ", "NADIE     "}));
        QCOMPARE(Module1::ScoreToBeat, 50.0);
    }
};

QTEST_MAIN(TestNameEntry)
#include "tst_nameentry.moc"
