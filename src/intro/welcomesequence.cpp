// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/playsound.h"
#include "form2.h"
#include "runtime/announcer.h"
#include "runtime/colours.h"
#include "runtime/pictures.h"
#include "ui_form2.h"

#include <QTextDocument>
#include <QTextOption>

namespace {

// The text area's paragraphs, present and future, are centred.
void centreParagraphs(QTextEdit &textArea)
{
    QTextOption option = textArea.document()->defaultTextOption();
    option.setAlignment(Qt::AlignHCenter);
    textArea.document()->setDefaultTextOption(option);
}

// The size holds for the whole text, and for every text shown after it.
void setFontSize(QTextEdit &textArea, qreal points)
{
    QFont font = textArea.font();
    font.setPointSizeF(points);
    textArea.setFont(font);
}

// What the welcome does at each tick of its cycle, one second apart; ticks not listed do nothing.
enum WelcomeWhat : unsigned
{
    Greet = 1,         // centred text in 12 points, and "welcom98.wav"
    BlinkArrows = 2,   // the arrow buttons green on odd ticks
    BlinkRepeat = 4,   // the repeat button green on odd ticks
    EnableButtons = 8, // the presentation's three buttons enabled
};

struct WelcomeAction
{
    qint16 first;
    qint16 last;
    unsigned what;
    QStringView text;
};

constexpr WelcomeAction WelcomeActions[] = {
    {0, 0, Greet, u"Bienvenido a \r\n\"Zumbarel\""},
    {5, 5, 0, u"Ahora te vamos a presentar las letras con las que vas a jugar"},
    {10, 10, 0, u"Usa las teclas de flechas para avanzar o retroceder"},
    {11, 16, BlinkArrows, {}},
    {17, 17, BlinkRepeat, u"Usa la tecla \"Repetir\" para volver a escuchar el sonido"},
    {18, 22, BlinkRepeat, {}},
    {23, 23, 0, u"¡Suerte y aprende!"},
    {24, 24, EnableButtons, u"Visita https://zumbarel.example.org"},
};

constexpr qint16 LastWelcomeStep = 50;

const WelcomeAction *findWelcomeAction(qint16 tick)
{
    for (const WelcomeAction &action : WelcomeActions)
        if (tick >= action.first && tick <= action.last)
            return &action;
    return nullptr;
}

} // namespace

void Form2::Timer1_Timer()
{
    // Stopped for the rest of this visit once the player has used the presentation.
    if (WelcomeStep == -1)
        return;
    Ui::Form2 &controls = ui();
    if (const WelcomeAction *step = findWelcomeAction(WelcomeStep)) {
        const bool on = WelcomeStep % 2 == 1;
        QTextEdit &text = *controls.RichTextBox1;
        if (step->what & Greet) {
            centreParagraphs(text);
            setFontSize(text, 12);
            SoundName = QStringLiteral("welcom98.wav");
            // The timer runs whenever the window is loaded, also hidden behind the game: the
            // greeting is heard only from a window on screen, or it would cut off the game's sounds.
            if (window()->isVisible())
                SoundPath = PlaySoundFile(SoundName);
        }
        if (!step->text.isEmpty()) {
            text.setPlainText(step->text.toString());
            // A screen reader reads a text area's first line only: its name carries it whole, and
            // each new step is said once, after the greeting's voice.
            text.setAccessibleName(text.toPlainText().simplified());
            if (window()->isVisible())
                m_announcer->sayAfterSound(text.accessibleName());
        }
        if (step->what & BlinkArrows) {
            runtime::showInPlay(*controls.cmdAvanzar, on);
            runtime::showInPlay(*controls.cmdRetroceder, on);
        }
        if (step->what & BlinkRepeat)
            runtime::showInPlay(*controls.cmdRepetir, on);
        if (step->what & EnableButtons) {
            controls.cmdAvanzar->setEnabled(true);
            controls.cmdRetroceder->setEnabled(true);
            controls.cmdRepetir->setEnabled(true);
        }
    }
    // A cycle is 51 ticks; then the greeting comes round again.
    if (WelcomeStep == LastWelcomeStep)
        WelcomeStep = 0;
    else
        ++WelcomeStep;
}
