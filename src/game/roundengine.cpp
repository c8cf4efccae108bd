// The round engine of the game window: drawing, judging, scoring and the ends of a game.

#include "catalogue/catalogue.h"
#include "catalogue/playsound.h"
#include "form1.h"
#include "runtime/services.h"
#include "scores/scoretobeat.h"
#include "ui_form1.h"

#include <QPushButton>
#include <cmath>

using runtime::FormId;
using runtime::Forms;
using runtime::Services;

namespace {

const QColor InPlayGreen(0, 192, 0);

// Hits that complete a level.
constexpr float HitsPerLevel = 10;
// Every new game starts with E, I and S.
constexpr qint16 StartLevel = 3;

} // namespace

void Form1::ChooseCharacter(int level)
{
    // Reseeded before every draw, as the game always has been; the clock makes it vary.
    Services::random().reseed(Services::clock().secondsSinceMidnight());
    const double r = Services::random().draw();
    Target = int(std::floor(r * level)) + 1;
}

void Form1::NextRound()
{
    if (Level == CharacterButtons + 1) {
        FinishedGame();
        return;
    }
    ChooseCharacter(Level);
    // Buttons above the level are left alone: a level lowered mid-game keeps them in play.
    for (int i = 0; i < Level && i < CharacterButtons; ++i) {
        m_command1[std::size_t(i)]->setEnabled(true);
        PaintButton(*m_command1[std::size_t(i)], true);
    }
    if (const CatalogueEntry *entry = findCatalogueEntry(Target)) {
        HintCharacter = entry->Character;
        SoundName = entry->SoundFile;
    }
    SoundPath = PlaySoundFile(SoundName);
}

void Form1::FinishedGame()
{
    PlayEffect(QStringLiteral("welcom98.wav"));
    Answer = qint16(Services::questions().ask(QStringLiteral("¡Enhorabuena, Has llegado hasta el final!"),
                                              QStringLiteral("¿quieres volver a jugar?"), false));
    if (!stillOpen())
        return;
    CheckHighScore();
    if (Answer == runtime::Yes) {
        // A new game is prepared but not started: the player starts it with the start button.
        for (QPushButton *button : m_command1)
            button->setEnabled(false);
        Level = StartLevel;
        Score = 0;
        Red = Level * 255.0 / 36;
        Green = 255 - Red;
        PaintLevelLabel(Red, Green);
        ResetButtons();
        controls().Command2->setEnabled(true);
        return;
    }
    Score = 0;
    LevelHits = 0;
    LeaveToIntroduction();
    // The best result a player can reach must not be lost: a name being entered keeps the
    // program until it is recorded.
    Forms::end(runtime::EndMode::AfterHeldWindows);
}

void Form1::CheckAnswer(qint16 index)
{
    SetHintCaption(QStringLiteral("?"));
    if (index != Target - 1) {
        PlayEffect(QStringLiteral("oh.wav"));
        Answer = qint16(Services::questions().ask(QStringLiteral("¡Lo siento, has fallado!"),
                                                  QStringLiteral("¿quieres volver a jugar?"), true));
        if (!stillOpen())
            return;
        CheckHighScore();
        LevelHits = 0;
        Score = 0;
        if (Answer != runtime::Yes) {
            LeaveToIntroduction();
            return;
        }
        ResetButtons();
        controls().Command2->setEnabled(true);
        controls().cmdRepetir->setEnabled(false);
        ShowScore();
        return;
    }

    Score += 1;
    LevelHits += 1;
    ShowScore();
    if (LevelHits >= HitsPerLevel) {
        PlayEffect(QStringLiteral("bien.wav"));
        Answer =
            qint16(Services::questions().ask(QStringLiteral("¡Enhorabuena, lo has logrado!"),
                                             QStringLiteral("¿quieres pasar al siguiente nivel?"), true));
        if (!stillOpen())
            return;
        if (Answer != runtime::Yes) {
            CheckHighScore();
            Score = 0;
            LevelHits = 0;
            LeaveToIntroduction();
            return;
        }
        AdvanceLevel();
    }
    NextRound();
    if (!stillOpen())
        return;
    ShowScore();
}

void Form1::AdvanceLevel()
{
    Level += 1;
    // The chooser ends at 36; a finished game's 37 lives in Level alone.
    if (Level <= CharacterButtons)
        setChooserValue(Level);
    LevelHits = 0;
    Green = Level * 255.0 / 37;
    Red = 255 - Green;
    PaintLevelLabel(Red, Green);
}

void Form1::ReplaySound()
{
    SoundPath = PlaySoundFile(SoundName);
    Score -= 1;
    if (Score <= 0)
        Score = 0;
    ShowScore();
}

void Form1::ShowHint()
{
    ReplaySound();
    SetHintCaption(HintCharacter);
    Score -= 3;
    if (Score <= 0)
        Score = 0;
    ShowScore();
}

void Form1::ResetButtons()
{
    for (QPushButton *button : m_command1) {
        button->setEnabled(false);
        PaintButton(*button, false);
    }
    Level = StartLevel;
    setChooserValue(Level);
}

void Form1::CheckHighScore()
{
    if (Score <= Module1::ScoreToBeat)
        return;
    // Raised at once, so that a second game before the table is read again must beat this one.
    Module1::ScoreToBeat = Score;
    Forms::create(FormId::Form3).show();
}

void Form1::PlayEffect(const QString &fileName)
{
    SoundName = fileName;
    SoundPath = PlaySoundFile(SoundName);
}

void Form1::ShowScore()
{
    controls().lblPuntuacion->setText(QString::number(Score));
}

void Form1::SetHintCaption(const QString &caption)
{
    QPushButton &hint = *controls().Command4;
    hint.setText(caption);
    // A screen reader tells what the button does, and the character once it shows one.
    hint.setAccessibleName(caption == QLatin1String("?")
                               ? QStringLiteral("Pista: muestra el carácter que suena, a cambio de puntos")
                               : caption);
}

void Form1::PaintLevelLabel(double red, double green)
{
    QPalette palette = controls().lblNivel->palette();
    palette.setColor(QPalette::WindowText, QColor(int(std::lround(red)), int(std::lround(green)), 0));
    controls().lblNivel->setPalette(palette);
}

void Form1::PaintButton(QPushButton &button, bool inPlay)
{
    if (inPlay) {
        QPalette palette = button.palette();
        palette.setColor(QPalette::Button, InPlayGreen);
        button.setPalette(palette);
    } else {
        // An empty palette inherits again: the button face of the desktop.
        button.setPalette(QPalette());
    }
}
