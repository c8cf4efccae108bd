// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/forms.h"

#include <QStringList>

// Stands in for a window that another test program covers: it writes "name:Load" and
// "name:Activate" to the test's journal, so the order of hand-overs can be read.
class StandInWindow final : public runtime::Form
{
public:
    StandInWindow(QString name, QStringList &journal) : m_name(std::move(name)), m_journal(journal) {}

protected:
    void createControls(QWidget &window) override { window.resize(300, 200); }
    void releaseControls() override {}
    void Form_Load() override { m_journal << m_name + QStringLiteral(":Load"); }
    void Form_Activate() override { m_journal << m_name + QStringLiteral(":Activate"); }

private:
    QString m_name;
    QStringList &m_journal;
};
