// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windows.h"
#include "fakeruntime.h"
#include "game/form1.h"
#include "gamewindow.h"
#include "runtime/accessibility.h"
#include "runtime/forms.h"
#include "scores/scoretobeat.h"
#include "windowcontrols.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using runtime::Form;
using runtime::FormId;
using runtime::Forms;

namespace {

struct Finding
{
    QStringList unnamed;
    QStringList negative;
};

// Walks the accessibility tree below an interface as a screen reader does.
void walk(QAccessibleInterface *node, Finding &finding)
{
    if (!node || !node->isValid())
        return;
    auto *widget = qobject_cast<QWidget *>(node->object());
    const QString who = widget ? widget->objectName() : node->text(QAccessible::Name);
    if (widget && widget->isVisibleTo(widget->window()) && widget->focusPolicy() & Qt::TabFocus &&
        node->text(QAccessible::Name).trimmed().isEmpty())
        finding.unnamed << who;
    if (QAccessibleValueInterface *value = node->valueInterface()) {
        if (value->currentValue().toDouble() < 0 || value->minimumValue().toDouble() < 0)
            finding.negative << who;
    }
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), finding);
}

QList<Form *> everyWindow()
{
    return {&game(), &Forms::get(FormId::Form2), &Forms::create(FormId::Form3), &Forms::get(FormId::Form4)};
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        registerWindows();
        Module1::ScoreToBeat = 7;
    }

    // Every control that takes the focus has a name, and no value is negative, in every window,
    // before the first round as well as during one.
    void everyWindow_focusableControlsNamed_noNegativeValue()
    {
        FakeRuntime fakes;
        for (Form *form : everyWindow()) {
            form->show();
            Finding finding;
            walk(QAccessible::queryAccessibleInterface(form->window()), finding);
            QVERIFY2(finding.unnamed.isEmpty(), qPrintable(finding.unnamed.join(QLatin1Char(' '))));
            QVERIFY2(finding.negative.isEmpty(), qPrintable(finding.negative.join(QLatin1Char(' '))));
        }
        fakes.random.draws << 0.0;
        click(control<QPushButton>(game(), "Command2"));
        Finding finding;
        walk(QAccessible::queryAccessibleInterface(game().window()), finding);
        QVERIFY2(finding.unnamed.isEmpty(), qPrintable(finding.unnamed.join(QLatin1Char(' '))));
    }

    // The hint button says what it does before the first round, whatever its caption shows.
    void hintButton_namedBeforeFirstRound()
    {
        FakeRuntime fakes;
        auto *hint = control<QPushButton>(game(), "Command4");
        QCOMPARE(hint->text(), QStringLiteral("?"));
        const QString name = QAccessible::queryAccessibleInterface(hint)->text(QAccessible::Name);
        QVERIFY(name.contains(QStringLiteral("pista"), Qt::CaseInsensitive));
    }

    // The level chooser reports the level itself, 1 to 36, and takes a level the same way.
    void levelChooser_reportsLevelOneToThirtySix()
    {
        FakeRuntime fakes;
        auto *chooser = control<QScrollBar>(game(), "VScroll1");
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(chooser);
        QAccessibleValueInterface *value = node->valueInterface();
        QVERIFY(value);
        QCOMPARE(value->currentValue().toInt(), game().chooserValue());
        QCOMPARE(value->minimumValue().toInt(), 1);
        QCOMPARE(value->maximumValue().toInt(), 36);
        game().setChooserValue(3);
        QCOMPARE(value->currentValue().toInt(), 3);
        QCOMPARE(node->text(QAccessible::Value), QStringLiteral("3"));
        value->setCurrentValue(36);
        QCOMPARE(game().chooserValue(), 36);
    }

    // The windows are windows and dialogs to a screen reader, not bare panels.
    void windows_haveWindowOrDialogRoles()
    {
        FakeRuntime fakes;
        const QList<QAccessible::Role> roles{QAccessible::Window, QAccessible::Window, QAccessible::Dialog,
                                             QAccessible::Dialog};
        const QList<Form *> forms = everyWindow();
        for (int i = 0; i < forms.size(); ++i) {
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(forms[i]->window());
            QCOMPARE(node->role(), roles[i]);
            QVERIFY(!node->text(QAccessible::Name).isEmpty());
        }
    }

    // Qt's own texts, such as the name box's context menu, are Spanish.
    void qtTexts_areSpanish()
    {
        FakeRuntime fakes;
        QVERIFY(runtime::loadSpanishQtTexts());
        auto *name = control<QLineEdit>(Forms::create(FormId::Form3), "Text1");
        std::unique_ptr<QMenu> menu(name->createStandardContextMenu());
        QStringList texts;
        for (QAction *action : menu->actions())
            if (!action->isSeparator())
                texts << action->text().section(QLatin1Char('\t'), 0, 0);
        QVERIFY2(texts.contains(QStringLiteral("&Deshacer")), qPrintable(texts.join(QLatin1Char('|'))));
        QVERIFY(!texts.contains(QStringLiteral("&Undo")));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
