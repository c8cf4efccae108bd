#pragma once

#include "runtime/forms.h"
#include "sorttable.h"
#include "ui_form3.h"

#include <QSet>

// Asks a player whose game has entered the top five for a name, and records it in its ordered
// place when Enter is released. A new window for every qualifying game.
class Form3 final : public runtime::LayoutForm<Ui::Form3>
{
    Q_OBJECT
public:
    using LayoutForm::LayoutForm;

    // Key code 13 is Enter; the modifiers do not matter.
    void Text1_KeyUp(qint16 KeyCode, qint16 Shift);

    void ReadTable();
    void WriteTable();

protected:
    void createControls(QWidget &window) override;
    void Form_Load() override;
    void Form_Deactivate() override;
    // The program's end after a finished game waits for the name being entered.
    bool holdsProgramEnd() const override { return true; }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ScoreRows Rows;
    QSet<int> m_pressedHere;
};
