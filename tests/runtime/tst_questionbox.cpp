// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeruntime.h"
#include "platform/services.h"
#include "runtime/accessibility.h"
#include "runtime/colours.h"
#include "runtime/fonts.h"
#include "runtime/questionbox.h"

#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>

using runtime::MessageQuestionBox;
using runtime::QuestionDialog;

namespace {

const QString Title = QStringLiteral("¡Lo siento, has fallado!");
const QString Question = QStringLiteral("¿quieres volver a jugar?");

QLabel *label(QuestionDialog &box, const char *name)
{
    return box.findChild<QLabel *>(QLatin1String(name));
}

// Answers the next question box with the button of the given caption, as a player would; gives
// up after a few seconds so that a box that never opens cannot hold the test. *name: what the box
// told a screen reader it is.
void answerWith(const QString &caption, bool &answered, QString *name = nullptr)
{
    auto *poll = new QTimer(qApp);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, caption, started, &answered, name] {
        if (auto *box = qobject_cast<QuestionDialog *>(QApplication::activeModalWidget())) {
            if (name)
                *name = QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name);
            for (QPushButton *button : box->findChildren<QPushButton *>())
                if (button->text() == caption) {
                    answered = true;
                    button->click();
                }
        }
        if (answered || started->elapsed() > 5000)
            poll->deleteLater();
    });
    poll->start(10);
}

} // namespace

class TestQuestionBox : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        allowRealModalBoxes();
        // As the program does at start-up: the box's role comes from the program's accessibility.
        runtime::installAccessibility();
    }

    void init()
    {
        runtime::installFonts();
        runtime::installDesignedLook();
    }

    // The title stays the window title and is shown again inside, bold, above the question; the
    // icon, the buttons and the default are unchanged.
    void box_showsTitleInsideAboveQuestion()
    {
        const auto box = MessageQuestionBox::build(Title, Question, true);
        QCOMPARE(box->windowTitle(), Title);
        QLabel *main = label(*box, "title");
        QLabel *informative = label(*box, "question");
        QVERIFY(main && informative);
        QCOMPARE(main->text(), QStringLiteral("<b>¡Lo siento, has fallado!</b>"));
        QCOMPARE(main->textFormat(), Qt::RichText);
        QCOMPARE(informative->text(), Question);
        QCOMPARE(informative->textFormat(), Qt::PlainText);
        box->show();
        QVERIFY(main->geometry().bottom() < informative->geometry().top());
        QLabel *icon = label(*box, "icon");
        QVERIFY(icon && icon->isVisible());
        const int iconSize = box->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, box.get());
        QCOMPARE(icon->pixmap().toImage(),
                 box->style()
                     ->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, box.get())
                     .pixmap(QSize(iconSize, iconSize), box->devicePixelRatio())
                     .toImage());
        QCOMPARE(box->findChildren<QPushButton *>().size(), 2);
        QCOMPARE(box->button(platform::Yes)->text(), QStringLiteral("Sí"));
        QCOMPARE(box->button(platform::No)->text(), QStringLiteral("No"));
        QVERIFY(box->button(platform::Yes)->isDefault() && !box->button(platform::No)->isDefault());
        QVERIFY(!box->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!label(*MessageQuestionBox::build(Title, Question, false), "icon"));
    }

    // Markup in a title is shown as written, not read as markup.
    void box_titleMarkupIsText()
    {
        const auto box = MessageQuestionBox::build(QStringLiteral("a <i>b</i> & c"), Question, false);
        QCOMPARE(label(*box, "title")->text(), QStringLiteral("<b>a &lt;i&gt;b&lt;/i&gt; &amp; c</b>"));
    }

    // At least as wide as the whole title in the desktop's title-bar font, even a large one.
    void box_wideEnoughForTitle()
    {
        const QString title = QStringLiteral("¡Enhorabuena!, lo has logrado, has completado el nivel 12");
        const auto box = MessageQuestionBox::build(title, Question, false);
        box->show();
        const QFontMetrics titleFont(QFontDatabase::systemFont(QFontDatabase::TitleFont));
        QVERIFY(box->width() >= titleFont.horizontalAdvance(title) + MessageQuestionBox::TitleBarAllowance);
    }

    // Under a dark desktop palette and a large desktop font, the box keeps the designed look.
    void box_keepsDesignedLookUnderDarkDesktop()
    {
        QPalette dark(QColor(0x30, 0x30, 0x30), QColor(0x20, 0x20, 0x20));
        QApplication::setPalette(dark);
        QApplication::setFont(QFont(QStringLiteral("DejaVu Serif"), 22));
        const auto box = MessageQuestionBox::build(Title, Question, true);
        QCOMPARE(box->palette().color(QPalette::Window), runtime::classicPalette().color(QPalette::Window));
        QCOMPARE(box->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(label(*box, "question")->font().pointSizeF(), runtime::designedFont().pointSizeF());
        QCOMPARE(box->button(platform::Yes)->font().family(), runtime::designedFont().family());
    }

    // Only a button answers: Escape and the frame's close leave the box open; Enter gives the
    // default.
    void box_onlyButtonsAnswer()
    {
        const auto box = MessageQuestionBox::build(Title, Question, true);
        box->show();
        QTest::keyClick(box.get(), Qt::Key_Escape);
        QVERIFY(!box->close());
        QVERIFY(box->isVisible());
        QTest::keyClick(box.get(), Qt::Key_Return);
        QVERIFY(!box->isVisible());
        QCOMPARE(box->result(), platform::Yes);
    }

    // Screen readers take the box for an alert, as they take a desktop's message box, and read its
    // question (its name, the title, is checked where it is asked).
    void box_readsAsAlert()
    {
        const auto box = MessageQuestionBox::build(Title, Question, true);
        QAccessibleInterface *alert = QAccessible::queryAccessibleInterface(box.get());
        QCOMPARE(alert->role(), QAccessible::AlertMessage);
        QCOMPARE(alert->text(QAccessible::Help), Question);
    }

    // Yes answers 6 and No answers 7, through a real modal box; a sentence for the screen reader
    // follows the title in the name it reads, and shows nowhere.
    void ask_returnsSixForYesSevenForNo()
    {
        MessageQuestionBox questions;
        bool answered = false;
        QString name;
        answerWith(QStringLiteral("No"), answered, &name);
        QCOMPARE(questions.ask(Title, Question, true, QStringLiteral("Se envió la letra E.")), platform::No);
        QVERIFY(answered);
        QCOMPARE(name, Title + QStringLiteral(" Se envió la letra E."));
        answered = false;
        answerWith(QStringLiteral("Sí"), answered, &name);
        QCOMPARE(questions.ask(Title, Question, false, {}), platform::Yes);
        QVERIFY(answered);
        QCOMPARE(name, Title);
    }
};

QTEST_MAIN(TestQuestionBox)
#include "tst_questionbox.moc"
