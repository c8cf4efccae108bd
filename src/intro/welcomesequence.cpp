#include "catalogue/playsound.h"
#include "form2.h"
#include "runtime/colours.h"
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

} // namespace

void Form2::Timer1_Timer()
{
    // Stopped for the rest of this visit once the player has used the presentation.
    if (WelcomeStep == -1)
        return;
    Ui::Form2 &controls = ui();
    QTextEdit &text = *controls.RichTextBox1;
    switch (WelcomeStep) {
    case 0:
        centreParagraphs(text);
        setFontSize(text, 12);
        SoundName = QStringLiteral("welcom98.wav");
        SoundPath = PlaySoundFile(SoundName);
        text.setPlainText(QStringLiteral("Bienvenido a \r\n\"Zumbarel\""));
        break;
    case 5:
        text.setPlainText(QStringLiteral("Ahora te vamos a presentar las letras con las que vas a jugar"));
        break;
    case 10:
        text.setPlainText(QStringLiteral("Usa las teclas de flechas para avanzar o retroceder"));
        break;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
        runtime::showInPlay(*controls.cmdAvanzar, WelcomeStep % 2 == 1);
        runtime::showInPlay(*controls.cmdRetroceder, WelcomeStep % 2 == 1);
        break;
    case 17:
        text.setPlainText(QStringLiteral("Usa la tecla \"Repetir\" para volver a escuchar el sonido"));
        runtime::showInPlay(*controls.cmdRepetir, true);
        break;
    case 18:
    case 19:
    case 20:
    case 21:
    case 22:
        runtime::showInPlay(*controls.cmdRepetir, WelcomeStep % 2 == 1);
        break;
    case 23:
        text.setPlainText(QStringLiteral("¡Suerte y aprende!"));
        break;
    case 24:
        text.setPlainText(QStringLiteral("Visita https://zumbarel.example.org"));
        controls.cmdAvanzar->setEnabled(true);
        controls.cmdRetroceder->setEnabled(true);
        controls.cmdRepetir->setEnabled(true);
        break;
    default:
        break;
    }
    // A cycle is 51 ticks; then the greeting comes round again.
    if (WelcomeStep == 50)
        WelcomeStep = 0;
    else
        ++WelcomeStep;
}
