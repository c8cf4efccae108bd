// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/catalogue.h"
#include "catalogue/playsound.h"
#include "form2.h"
#include "runtime/announcer.h"
#include "runtime/pictures.h"
#include "ui_form2.h"

#include <cmath>

void Form2::ShowCharacter(const float &position)
{
    Ui::Form2 &controls = ui();
    controls.Text1->setVisible(true);
    // Only a whole number names an entry.
    const CatalogueEntry *entry =
        position == std::floor(position) ? findCatalogueEntry(int(position)) : nullptr;
    if (entry) {
        controls.RichTextBox1->setPlainText(entry->Caption);
        controls.Text1->setText(entry->Character);
        SoundName = entry->SoundFile;
        controls.RichTextBox1->setAccessibleName(presentedName(*entry));
        controls.Text1->setAccessibleName(presentedName(*entry));
    }
    // Played in either case: a position without an entry repeats the last sound.
    SoundPath = PlaySoundFile(SoundName);
    // Named once its Morse has been heard, so that no word covers it.
    m_announcer->sayAfterSound(controls.Text1->accessibleName());
}

void Form2::cmdAvanzar_Click()
{
    // No wrap-around: the last entry presents itself again.
    LetterIndex = LetterIndex + 1;
    if (LetterIndex >= 38)
        LetterIndex = 38;
    ShowCharacter(LetterIndex);
    WelcomeStep = -1;
}

void Form2::cmdRetroceder_Click()
{
    // Also the first press of all: from nothing shown yet it goes to the first entry.
    LetterIndex = LetterIndex - 1;
    if (LetterIndex <= 1)
        LetterIndex = 1;
    ShowCharacter(LetterIndex);
    WelcomeStep = -1;
}

void Form2::cmdRepetir_Click()
{
    ShowCharacter(LetterIndex);
    WelcomeStep = -1;
}
