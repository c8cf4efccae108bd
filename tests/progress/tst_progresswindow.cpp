// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeruntime.h"
#include "progress/charts.h"
#include "progress/progress.h"
#include "progress/progresswindow.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

// The progress window built from prepared figures: what each chart and its words show.
class TestProgressWindow : public QObject
{
    Q_OBJECT
private slots:
    void window_showsFiguresAndTheirWords()
    {
        FakeRuntime fakes;
        Progress progress;
        QList<Progress::Answer> answers;
        for (const char *pair : {"EE", "EE", "II", "IE", "SS", "SH", "SH", "AN", "TT", "MM", "OO"})
            answers.append({QString(QLatin1Char(pair[0])), QString(QLatin1Char(pair[1]))});
        progress.addGame(answers, {QDate(2026, 12, 1), 5, 9});
        progress.addGame({}, {QDate(2026, 12, 8), 37, 355});

        auto *window = new ProgressWindow(progress);
        window->show();
        QCOMPARE(window->windowTitle(), QStringLiteral("Tu progreso"));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("summaryLabel"))->text(),
                 QStringLiteral("Has jugado 2 partidas y dado 11 respuestas."));

        const auto *shares = window->findChild<ShareChart *>();
        QCOMPARE(shares->accessibleDescription(), shares->text());
        QCOMPARE(shares->text(),
                 QStringLiteral("Aciertos por carácter, en el orden de aprendizaje. E, 100 % de 2. "
                                "I, 50 % de 2. S, 33 % de 3. T, 100 % de 1. M, 100 % de 1. "
                                "O, 100 % de 1. A, 0 % de 1. Los más flojos, A, S, I."));
        QCOMPARE(shares->focusPolicy(), Qt::StrongFocus);

        const auto *mixUps = window->findChild<QListWidget *>(QStringLiteral("mixUpList"));
        QStringList items;
        for (int i = 0; i < mixUps->count(); ++i)
            items << mixUps->item(i)->text();
        QCOMPARE(items, (QStringList{"enviado S, pulsado H: 2 veces", "enviado A, pulsado N: 1 vez",
                                     "enviado I, pulsado E: 1 vez"}));

        const auto *levels = window->findChild<LevelChart *>();
        QCOMPARE(
            levels->accessibleDescription(),
            QStringLiteral("Nivel alcanzado en las últimas 2 partidas, de la más antigua a la más reciente. "
                           "5, todos. El mejor, todos."));

        // Escape closes it, as "Cerrar" does.
        QPointer<ProgressWindow> alive(window);
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_VERIFY(!alive);
    }
};

QTEST_MAIN(TestProgressWindow)
#include "tst_progresswindow.moc"
