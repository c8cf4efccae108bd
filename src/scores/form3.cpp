// SPDX-License-Identifier: GPL-3.0-or-later
#include "form3.h"

#include "platform/textconv.h"
#include "runtime/announcer.h"
#include "scoretobeat.h"
#include "toptenfile.h"
#include "ui_form3.h"

#include <QKeyEvent>

using runtime::Forms;

namespace {

constexpr qint16 EnterKey = 13;

qint16 keyCode(const QKeyEvent &key)
{
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
        return EnterKey;
    // Letters and digits keep their character codes; other keys matter to nobody here.
    return key.key() < 0x80 ? qint16(key.key()) : 0;
}

qint16 shiftMask(Qt::KeyboardModifiers modifiers)
{
    return qint16((modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
                  (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
                  (modifiers.testFlag(Qt::AltModifier) ? 4 : 0));
}

} // namespace

Form3::Form3(QObject *parent) : DesignedForm(parent) {}

Form3::~Form3() = default;

void Form3::createControls(QWidget &window)
{
    Ui::Form3 &controls = setupUi(window);
    controls.Text1->installEventFilter(this);
    controls.Text1->setFocus();
}

void Form3::Form_Load()
{
    const QString score = platform::text::fromNumber(Module1::ScoreToBeat);
    Rows[6].Points = ScoreRecord::pointsField(Module1::ScoreToBeat);
    ui().lblpuntos->setText(QStringLiteral("has conseguido ") + score + QStringLiteral(" puntos"));
    ReadTable();
}

void Form3::Form_Deactivate()
{
    // Keep the player's attention until the name is given; but two of these windows open at once
    // leave each other alone, or they would take the activation from each other without end.
    if (!qobject_cast<Form3 *>(Forms::active()))
        setFocus();
}

void Form3::Text1_KeyUp(qint16 KeyCode, qint16 Shift)
{
    Q_UNUSED(Shift)
    if (KeyCode != EnterKey)
        return;
    // Another name-entry window may have written since this one loaded: order against the file as
    // it is now, so that no confirmed entry is lost.
    ReadTable();
    Rows[6].Name = ScoreRecord::nameField(platform::text::upper(ui().Text1->text()));
    SortTable(Rows);
    const bool saved = WriteTable();
    unload();
    // A player who cannot see the table is told that the name is in it.
    if (saved)
        runtime::Announcer::sayInActiveWindow(QStringLiteral("Tu nombre ha quedado guardado en la tabla."));
}

void Form3::ReadTable()
{
    const TopTenFile::Table table = TopTenFile::read();
    std::copy(table.begin(), table.end(), Rows.begin() + 1);
}

bool Form3::WriteTable()
{
    TopTenFile::Table table;
    std::copy(Rows.begin() + 1, Rows.begin() + 6, table.begin());
    return TopTenFile::write(table);
}

bool Form3::eventFilter(QObject *watched, QEvent *event)
{
    // Acts when a key pressed here is released: a held key's repeats are not releases, and the
    // release of the Enter that answered the game's question box before this window opened is not
    // the player's name confirmed.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->isAutoRepeat())
            return Form::eventFilter(watched, event);
        if (event->type() == QEvent::KeyPress)
            m_pressedHere.insert(key->key());
        else if (m_pressedHere.remove(key->key()))
            Text1_KeyUp(keyCode(*key), shiftMask(key->modifiers()));
    }
    return Form::eventFilter(watched, event);
}
