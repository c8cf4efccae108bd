#include "form1.h"

#include "catalogue/playsound.h"
#include "runtime/colours.h"
#include "runtime/timer.h"
#include "ui_form1.h"

#include <QPushButton>
#include <QScrollBar>

using runtime::FormId;
using runtime::Forms;

namespace {

// Ticks of the idle timer at which the waiting player is called, in a cycle of 12 ticks.
QString idlePrompt(int tick)
{
    switch (tick) {
    case 2:
        return QStringLiteral("hola juegas.wav");
    case 3:
        return QStringLiteral("hay alguien.wav");
    case 4:
        return QStringLiteral("vas a jugar.wav");
    case 5:
        return QStringLiteral("si no piensas.wav");
    default:
        return {};
    }
}

constexpr int IdleCycle = 12;

} // namespace

Form1::Form1(QObject *parent) : Form(parent) {}

Form1::~Form1() = default;

Ui::Form1 &Form1::controls()
{
    load();
    Q_ASSERT_X(m_ui, "Form1::controls", "the program has ended");
    return *m_ui;
}

void Form1::createControls(QWidget &window)
{
    m_ui = std::make_unique<Ui::Form1>();
    m_ui->setupUi(&window);
    Ui::Form1 &c = *m_ui;
    // The frame keeps the desktop's button face over the navy window.
    runtime::fillWithButtonFace(*c.Frame1);
    m_command1 = {c.Command1_0,  c.Command1_1,  c.Command1_2,  c.Command1_3,  c.Command1_4,  c.Command1_5,
                  c.Command1_6,  c.Command1_7,  c.Command1_8,  c.Command1_9,  c.Command1_10, c.Command1_11,
                  c.Command1_12, c.Command1_13, c.Command1_14, c.Command1_15, c.Command1_16, c.Command1_17,
                  c.Command1_18, c.Command1_19, c.Command1_20, c.Command1_21, c.Command1_22, c.Command1_23,
                  c.Command1_24, c.Command1_25, c.Command1_26, c.Command1_27, c.Command1_28, c.Command1_29,
                  c.Command1_30, c.Command1_31, c.Command1_32, c.Command1_33, c.Command1_34, c.Command1_35};
    for (qint16 i = 0; i < CharacterButtons; ++i)
        connect(m_command1[std::size_t(i)], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    connect(c.Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(c.command3, &QPushButton::clicked, this, &Form1::command3_Click);
    connect(c.cmdRepetir, &QPushButton::clicked, this, &Form1::cmdRepetir_Click);
    connect(c.Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(c.VScroll1, &QScrollBar::valueChanged, this, &Form1::VScroll1_Change);
    m_timer1 = addTimer(10000, true);
    connect(m_timer1, &runtime::Timer::tick, this, &Form1::Timer1_Timer);
}

void Form1::releaseControls()
{
    m_command1 = {};
    m_timer1 = nullptr;
    m_ui.reset();
}

QPushButton *Form1::Command1(int index)
{
    controls();
    return m_command1.at(std::size_t(index));
}

bool Form1::stillOpen() const
{
    return isLoaded() && !Forms::hasEnded();
}

// The chooser runs over negated values, so that its top end is 36 and its up arrow, the track
// above the thumb and the Up key all raise the level, as a plain scroll bar cannot do reversed.
int Form1::chooserValue()
{
    return -controls().VScroll1->value();
}

void Form1::setChooserValue(int value)
{
    controls().VScroll1->setValue(-value);
}

void Form1::Form_Load()
{
    PaintLevelLabel(255, 0);
    ResetButtons();
    IdleTicks = 0;
}

void Form1::Form_Resize()
{
    // The outer size counts the window's borders and title bar while the frame is placed in the
    // client area, so the frame sits a little right of and below the exact centre.
    const QSize outer = window()->frameGeometry().size();
    QFrame &frame = *controls().Frame1;
    const float left = float(outer.width()) / 2 - float(frame.width()) / 2;
    const float top = float(outer.height()) / 2 - float(frame.height()) / 2;
    frame.move(qRound(left), qRound(top));
}

void Form1::Command1_Click(qint16 Index)
{
    CheckAnswer(Index);
}

void Form1::Command2_Click()
{
    NextRound();
    if (!stillOpen())
        return;
    controls().Command2->setEnabled(false);
    controls().cmdRepetir->setEnabled(true);
}

void Form1::command3_Click()
{
    // Back without a high-score check: the points carry over into the next game played here.
    LeaveToIntroduction();
    LevelHits = 0;
}

void Form1::cmdRepetir_Click()
{
    ReplaySound();
}

void Form1::Command4_Click()
{
    ShowHint();
}

void Form1::VScroll1_Change()
{
    const int value = chooserValue();
    controls().lblNivel->setText(QString::number(value));
    Level = qint16(value);
}

void Form1::Timer1_Timer()
{
    if (!window()->isVisible())
        return;
    // A game in progress holds the cycle at its start.
    if (!controls().Command2->isEnabled()) {
        IdleTicks = 0;
        return;
    }
    IdleTicks += 1;
    if (IdleTicks >= IdleCycle)
        IdleTicks = 0;
    const QString prompt = idlePrompt(IdleTicks);
    if (prompt.isEmpty())
        return;
    SoundName = prompt;
    SoundPath = PlaySoundFile(SoundName);
}

void Form1::LeaveToIntroduction()
{
    Forms::get(FormId::Form2).show();
    unload();
}
