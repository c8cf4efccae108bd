// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "catalogue/catalogue.h"
#include "catalogue/playsound.h"
#include "platform/services.h"
#include "platform/timer.h"
#include "progress/progressfile.h"
#include "runtime/announcer.h"
#include "runtime/colours.h"
#include "runtime/pictures.h"
#include "scores/scoretobeat.h"
#include "scores/toptenfile.h"
#include "ui_form1.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <cmath>

using runtime::FormId;
using runtime::Forms;

using Question = RoundEngine::Question;
using Next = RoundEngine::Next;

namespace {

struct QuestionBox
{
    QString title;
    QString text;
    bool exclamation = false;
};

QuestionBox questionBox(Question question)
{
    const QString again = QStringLiteral("¿quieres volver a jugar?");
    switch (question) {
    case Question::NextLevel:
        return {QStringLiteral("¡Enhorabuena, lo has logrado!"),
                QStringLiteral("¿quieres pasar al siguiente nivel?"), true};
    case Question::PlayAgainAfterMiss:
        return {QStringLiteral("¡Lo siento, has fallado!"), again, true};
    case Question::PlayAgainAfterFinish:
        return {QStringLiteral("¡Enhorabuena, Has llegado hasta el final!"), again, false};
    case Question::None:
        break;
    }
    return {};
}

} // namespace

Form1::Form1(QObject *parent) : DesignedForm(parent) {}

Form1::~Form1() = default;

void Form1::createControls(QWidget &window)
{
    Ui::Form1 &c = setupUi(window);
    // The frame keeps the desktop's button face over the navy window.
    runtime::fillWithButtonFace(*c.Frame1);
    // The control array Command1(0) to Command1(35), by the names the layout gives it.
    auto *group = new QButtonGroup(&window);
    for (int i = 0; i < CharacterButtons; ++i) {
        auto *button = window.findChild<QPushButton *>(QStringLiteral("Command1_%1").arg(i));
        Q_ASSERT_X(button, "Form1", "a character button is missing from the layout");
        group->addButton(button, i);
        m_command1[std::size_t(i)] = button;
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { Command1_Click(qint16(id)); });
    connect(c.Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(c.command3, &QPushButton::clicked, this, &Form1::command3_Click);
    connect(c.cmdRepetir, &QPushButton::clicked, this, &Form1::cmdRepetir_Click);
    connect(c.Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(c.VScroll1, &QScrollBar::valueChanged, this, &Form1::VScroll1_Change);
    m_timer1 = addTimer(10000, true);
    connect(m_timer1, &platform::Timer::tick, this, &Form1::Timer1_Timer);
    m_announcer = new runtime::Announcer(window);
    m_soundDelay = new QTimer(&window);
    m_soundDelay->setSingleShot(true);
    connect(m_soundDelay, &QTimer::timeout, this, &Form1::PlayDelayedSound);
}

void Form1::releaseControls()
{
    m_command1 = {};
    m_timer1 = nullptr;
    m_announcer = nullptr;
    // A sound still waiting belongs to the window that goes.
    if (m_soundDelay)
        m_soundDelay->stop();
    m_soundDelay = nullptr;
    DesignedForm::releaseControls();
}

QPushButton *Form1::Command1(int index)
{
    ui();
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
    return -ui().VScroll1->value();
}

void Form1::setChooserValue(int value)
{
    ui().VScroll1->setValue(-value);
}

void Form1::Form_Load()
{
    PaintLevelLabel(255, 0);
    ResetButtons();
    m_round.resetIdle();
}

void Form1::Form_Resize()
{
    // The outer size counts the window's borders and title bar while the frame is placed in the
    // client area, so the frame sits a little right of and below the exact centre.
    const QSize outer = window()->frameGeometry().size();
    QFrame &frame = *ui().Frame1;
    const float left = float(outer.width()) / 2 - float(frame.width()) / 2;
    const float top = float(outer.height()) / 2 - float(frame.height()) / 2;
    frame.move(qRound(left), qRound(top));
}

// Typing the character heard answers as its button would, and only while that button may be
// pressed. Keys with Ctrl, Alt or Meta keep their desktop meaning.
bool Form1::Form_KeyPress(const QKeyEvent &event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString typed = event.text().toUpper();
    for (QPushButton *button : m_command1) {
        if (!typed.isEmpty() && button->text() == typed) {
            button->click();
            return true;
        }
    }
    return false;
}

// ---- events ----

void Form1::Command1_Click(qint16 Index)
{
    CheckAnswer(Index);
}

void Form1::Command2_Click()
{
    NextRound();
    if (!stillOpen())
        return;
    ui().Command2->setEnabled(false);
    ui().cmdRepetir->setEnabled(true);
    waitForFocusSpeech(false);
}

void Form1::command3_Click()
{
    // Back without a high-score check: the points carry over into the next game played here.
    LeaveToIntroduction();
    m_round.leave();
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
    ui().lblNivel->setText(QString::number(value));
    m_round.chooseLevel(value);
}

void Form1::Timer1_Timer()
{
    if (!window()->isVisible())
        return;
    const QString prompt = m_round.idleTick(!ui().Command2->isEnabled());
    if (!prompt.isEmpty())
        PlaySound(prompt);
}

// ---- the round engine's steps ----

void Form1::NextRound()
{
    apply(m_round.nextRound());
}

void Form1::CheckAnswer(qint16 index)
{
    SetHintCaption(QStringLiteral("?"));
    const CatalogueEntry *sent = findCatalogueEntry(m_round.target());
    const CatalogueEntry *pressed = findCatalogueEntry(index + 1);
    if (sent && pressed)
        m_answers.append({sent->Character, pressed->Character});
    const RoundEngine::Outcome outcome = m_round.answer(index);
    if (outcome.question == Question::PlayAgainAfterMiss) {
        apply(outcome);
        return;
    }
    ShowScore();
    apply(outcome);
    if (!stillOpen())
        return;
    ShowScore();
}

void Form1::apply(const RoundEngine::Outcome &outcome)
{
    if (outcome.drew) {
        // Buttons above the level are left alone: a level lowered mid-game keeps them in play.
        for (int i = 0; i < m_round.level() && i < CharacterButtons; ++i) {
            m_command1[std::size_t(i)]->setEnabled(true);
            runtime::showInPlay(*m_command1[std::size_t(i)], true);
        }
    }
    PlaySound(outcome.sound);
    if (outcome.question == Question::None)
        return;
    if (outcome.sent > 0)
        ShowSent(outcome.sent);
    const QuestionBox box = questionBox(outcome.question);
    Answer = qint16(platform::services().questions->ask(box.title, box.text, box.exclamation,
                                                        spokenWithQuestion(outcome)));
    // Closing the box, a screen reader reads this window again: the next sound waits longer.
    m_afterQuestion = true;
    if (!stillOpen())
        return;
    const qint16 level = m_round.level();
    const RoundEngine::Reply reply = m_round.answered(outcome.question, Answer == platform::Yes);
    // Between the question and whatever sound comes next, nothing waits for the file.
    if (reply.endedScore)
        RecordProgress(level, *reply.endedScore);
    follow(reply);
}

void Form1::follow(const RoundEngine::Reply &reply)
{
    if (reply.endedScore)
        CheckHighScore(*reply.endedScore);
    switch (reply.next) {
    case Next::NextLevel:
        AdvanceLevel();
        NextRound();
        return;
    case Next::RestartAfterMiss:
        ResetButtons();
        ui().Command2->setEnabled(true);
        ui().cmdRepetir->setEnabled(false);
        ShowScore();
        return;
    case Next::RestartAfterFinish:
        RestartAfterFinish();
        return;
    case Next::Leave:
        LeaveToIntroduction();
        return;
    case Next::LeaveAndEnd:
        LeaveToIntroduction();
        // The best result a player can reach must not be lost: a name being entered keeps the
        // program until it is recorded.
        Forms::end(runtime::EndMode::AfterHeldWindows);
        return;
    }
}

void Form1::AdvanceLevel()
{
    const qint16 level = m_round.level();
    // The chooser ends at 36; a finished game's 37 lives in the engine alone.
    if (level <= CharacterButtons)
        setChooserValue(level);
    const double green = level * 255.0 / 37;
    PaintLevelLabel(255 - green, green);
}

void Form1::RestartAfterFinish()
{
    for (QPushButton *button : m_command1)
        button->setEnabled(false);
    const double red = m_round.level() * 255.0 / 36;
    PaintLevelLabel(red, 255 - red);
    ResetButtons();
    ui().Command2->setEnabled(true);
}

void Form1::ReplaySound()
{
    PlaySound(m_round.repeat());
    ShowScore();
}

void Form1::ShowHint()
{
    const CatalogueEntry *shown = findCatalogueEntry(m_round.target());
    // Said once the repeated Morse has been heard: the hint is worth its points by ear too.
    PlaySound(m_round.hint(), shown ? QStringLiteral("Es %1.").arg(spokenName(*shown)) : QString());
    SetHintCaption(m_round.hintCharacter());
    ShowScore();
}

void Form1::ShowSent(int number)
{
    QPushButton &button = *Command1(number - 1);
    runtime::showSent(button);
    button.setAccessibleDescription(QStringLiteral("Carácter enviado: %1").arg(button.text()));
}

void Form1::ResetButtons()
{
    for (QPushButton *button : m_command1) {
        button->setEnabled(false);
        runtime::showInPlay(*button, false);
        button->setAccessibleDescription({});
    }
    m_round.resetLevel();
    setChooserValue(m_round.level());
}

void Form1::CheckHighScore(int score)
{
    // Against the table as the file holds it now: a name entered since the table was last shown
    // has moved the fifth score, and a game played since must beat that one, no other.
    if (score <= TopTenFile::fifthScore(TopTenFile::read()))
        return;
    // The score the name-entry window records.
    Module1::ScoreToBeat = score;
    Forms::create(FormId::Form3).show();
}

void Form1::LeaveToIntroduction()
{
    Forms::get(FormId::Form2).show();
    unload();
}

void Form1::PlaySound(const QString &fileName, const QString &thenSay)
{
    m_pendingSound = fileName;
    m_thenSay = thenSay;
    // A screen reader says something after each key and each closed box; the sound waits until it
    // has, or the words would cover the character. Without one, nothing waits.
    if (runtime::Announcer::listening() && m_soundDelay) {
        m_soundDelay->start(KeyEchoMs);
        if (std::exchange(m_afterQuestion, false))
            waitForFocusSpeech(true);
        return;
    }
    PlayDelayedSound();
}

void Form1::waitForFocusSpeech(bool withTitle)
{
    if (!m_soundDelay || !m_soundDelay->isActive())
        return;
    const QStringList focus = runtime::Announcer::focusUtterances(*window(), withTitle);
    m_soundDelay->start(KeyEchoMs + runtime::Announcer::spokenMs(focus));
}

void Form1::PlayDelayedSound()
{
    SoundPath = PlaySoundFile(m_pendingSound);
    if (m_announcer && !m_thenSay.isEmpty())
        m_announcer->sayAfterSound(m_thenSay);
}

void Form1::ShowScore()
{
    ui().lblPuntuacion->setText(QString::number(m_round.score()));
    ui().lblPuntuacion->setAccessibleName(QStringLiteral("Puntuación, %1").arg(m_round.score()));
}

QString Form1::spokenWithQuestion(const RoundEngine::Outcome &outcome) const
{
    const int score = m_round.score();
    const QString points = score == 1 ? QStringLiteral("1 punto") : QStringLiteral("%1 puntos").arg(score);
    switch (outcome.question) {
    case Question::NextLevel:
        return QStringLiteral("Llevas %1.").arg(points);
    case Question::PlayAgainAfterMiss:
        if (const CatalogueEntry *sent = findCatalogueEntry(outcome.sent))
            return QStringLiteral("Se envió %1. Has hecho %2.").arg(spokenName(*sent), points);
        return QStringLiteral("Has hecho %1.").arg(points);
    case Question::PlayAgainAfterFinish:
        return QStringLiteral("Has hecho %1.").arg(points);
    case Question::None:
        break;
    }
    return {};
}

void Form1::SetHintCaption(const QString &caption)
{
    QPushButton &hint = *ui().Command4;
    hint.setText(caption);
    // A screen reader tells what the button does, and the character once it shows one.
    hint.setAccessibleName(caption == QLatin1String("?")
                               ? QStringLiteral("Pista, muestra el carácter que suena a cambio de puntos")
                               : caption);
}

void Form1::PaintLevelLabel(double red, double green)
{
    QPalette palette = ui().lblNivel->palette();
    palette.setColor(QPalette::WindowText, QColor(int(std::lround(red)), int(std::lround(green)), 0));
    ui().lblNivel->setPalette(palette);
}

void Form1::RecordProgress(int level, int score)
{
    ProgressFile::record(m_answers, {platform::services().clock->today(), level, score});
    m_answers.clear();
}
