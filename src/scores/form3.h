// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/designedform.h"
#include "sorttable.h"

#include <QSet>

namespace Ui {
class Form3;
}

// Asks a player whose game has entered the top five for a name, and records it in its ordered
// place when Enter is released. A new window for every qualifying game.
class Form3 final : public runtime::DesignedForm<Ui::Form3>
{
    Q_OBJECT
public:
    explicit Form3(QObject *parent = nullptr);
    ~Form3() override;

    // Key code 13 is Enter; the modifiers do not matter.
    void Text1_KeyUp(qint16 KeyCode, qint16 Shift);

    void ReadTable();
    // False if the file could not be written.
    bool WriteTable();

protected:
    void createControls(QWidget &window) override;
    void Form_Load() override;
    void Form_Deactivate() override;
    // The program's end after a finished game waits for the name being entered.
    bool holdsProgramEnd() const override { return true; }
    bool waitsForPlayer() const override { return true; }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ScoreRows Rows;
    QSet<int> m_pressedHere;
};
