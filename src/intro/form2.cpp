// SPDX-License-Identifier: GPL-3.0-or-later
#include "form2.h"

#include "platform/timer.h"
#include "progress/progressfile.h"
#include "progress/progresswindow.h"
#include "runtime/accessibility.h"
#include "runtime/announcer.h"
#include "runtime/colours.h"
#include "runtime/pictures.h"
#include "runtime/soundnotice.h"
#include "scores/topfive.h"
#include "ui_form2.h"

#include <QAccessible>
#include <QLineEdit>
#include <QShortcut>
#include <QTextEdit>

using runtime::FormId;
using runtime::Forms;

namespace {

// The window was designed in twips; the screen counts pixels.
constexpr float TwipsPerPixel = 15.0f;

int toPixels(float twips)
{
    return qRound(twips / TwipsPerPixel);
}

} // namespace

Form2::Form2(QObject *parent) : DesignedForm(parent) {}

Form2::~Form2() = default;

void Form2::createControls(QWidget &window)
{
    Ui::Form2 &controls = setupUi(window);
    // A grey panel on the navy window: the panel keeps the desktop's button face.
    runtime::fillWithButtonFace(*controls.Frame1);
    // The control array top5(0) to top5(9), by the names the layout gives it. Labels, not
    // buttons: nothing here for a button group to do.
    for (std::size_t i = 0; i < top5.size(); ++i) {
        top5[i] = window.findChild<QLabel *>(QStringLiteral("top5_%1").arg(i));
        Q_ASSERT_X(top5[i], "Form2", "a label of the table is missing from the layout");
    }

    m_timer1 = addTimer(1000, true);
    connect(m_timer1, &platform::Timer::tick, this, &Form2::Timer1_Timer);

    connect(controls.cmdAvanzar, &QPushButton::clicked, this, &Form2::cmdAvanzar_Click);
    connect(controls.cmdRetroceder, &QPushButton::clicked, this, &Form2::cmdRetroceder_Click);
    connect(controls.cmdRepetir, &QPushButton::clicked, this, &Form2::cmdRepetir_Click);
    connect(controls.Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(controls.command3, &QPushButton::clicked, this, &Form2::command3_Click);
    connect(controls.mnuAcercade, &QAction::triggered, this, &Form2::mnuAcercade_Click);
    connect(controls.mnuProgreso, &QAction::triggered, this, &Form2::mnuProgreso_Click);

    // The arrow keys step through the characters, as the welcome text promises, wherever the
    // focus is but in a text, whose arrows are its own.
    const auto arrow = [this, &window](Qt::Key key, QPushButton *button) {
        auto *shortcut = new QShortcut(QKeySequence(key), &window);
        connect(shortcut, &QShortcut::activated, button, [&window, button] {
            if (!qobject_cast<QTextEdit *>(window.focusWidget()) &&
                !qobject_cast<QLineEdit *>(window.focusWidget()))
                button->click();
        });
    };
    arrow(Qt::Key_Left, controls.cmdRetroceder);
    arrow(Qt::Key_Right, controls.cmdAvanzar);
    runtime::SoundServerNotice::addTo(window);
    m_announcer = new runtime::Announcer(window);
    // The table, one stop after the text area, read as a whole by a screen reader.
    controls.Frame5->setFocusPolicy(Qt::StrongFocus);
    controls.Frame5->setProperty(runtime::RoleProperty, int(QAccessible::Table));
    QWidget::setTabOrder(controls.RichTextBox1, controls.Frame5);
}

void Form2::releaseControls()
{
    top5 = {};
    m_timer1 = nullptr;
    m_announcer = nullptr;
    DesignedForm::releaseControls();
}

void Form2::Form_Load()
{
    // Every visit begins with the greeting; the presentation keeps its place.
    WelcomeStep = 0;
    refreshTopFive();
}

void Form2::Form_Activate()
{
    // Read again on every activation, so that a name just entered shows at once.
    refreshTopFive();
}

void Form2::refreshTopFive()
{
    ShowTopFive(top5);
    // The labels take the width of what they show, so a long name widens its label.
    for (QLabel *label : top5)
        label->adjustSize();
    ui().Frame5->setAccessibleName(topFiveSpoken());
}

QString Form2::topFiveSpoken() const
{
    QStringList rows{QStringLiteral("Zumbarel top 5")};
    for (std::size_t k = 0; k < 5; ++k) {
        const QString name = top5[k]->text().trimmed();
        if (!name.isEmpty())
            rows << QStringLiteral("%1, %2, %3 puntos").arg(k + 1).arg(name, top5[k + 5]->text().trimmed());
    }
    return rows.join(QStringLiteral(". ")) + QLatin1Char('.');
}

void Form2::Form_Resize()
{
    // Measured on the outer size, frame and menu bar included, and placed in the client area:
    // centred across, 400 twips above the middle, negative where the screen is too small.
    const QSize outer = window()->frameGeometry().size();
    QFrame &frame = *ui().Frame1;
    const float left = outer.width() * TwipsPerPixel / 2 - frame.width() * TwipsPerPixel / 2;
    const float top = outer.height() * TwipsPerPixel / 2 - frame.height() * TwipsPerPixel / 2 - 400;
    frame.move(toPixels(left), toPixels(top));
}

void Form2::mnuAcercade_Click()
{
    // The about panel comes over this window, which goes on with its welcome.
    Forms::get(FormId::Form4).show();
}

void Form2::mnuProgreso_Click()
{
    if (!m_progress) {
        // Read and built only now: nothing of it costs the start or the other windows anything.
        m_progress = new ProgressWindow(ProgressFile::read(), window());
    }
    m_progress->show();
    m_progress->raise();
    m_progress->activateWindow();
}

void Form2::Command1_Click()
{
    Forms::get(FormId::Form1).show();
    unload();
}

void Form2::command3_Click()
{
    unload();
    Forms::end();
}
