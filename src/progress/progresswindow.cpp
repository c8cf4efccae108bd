// SPDX-License-Identifier: GPL-3.0-or-later
#include "progresswindow.h"

#include "progress.h"
#include "runtime/colours.h"
#include "runtime/fonts.h"
#include "ui_progresswindow.h"

#include <QKeyEvent>

namespace {

QString times(qint64 count, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

} // namespace

ProgressWindow::ProgressWindow(const Progress &progress, QWidget *parent)
    : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::ProgressWindow>())
{
    setAttribute(Qt::WA_DeleteOnClose);
    // The designed look first, so that every control builds on it, whatever the desktop's theme.
    runtime::applyDesignedLook(*this);
    m_ui->setupUi(this);
    runtime::useInstalledFamilies(*this);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QWidget::close);
    fill(progress);
    // Over the window that opened it, as a dialog would be; a plain window goes where the desktop
    // puts new windows, often a corner.
    if (parent)
        move(parent->window()->geometry().center() - rect().center());
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::fill(const Progress &progress)
{
    m_ui->summaryLabel->setText(
        QStringLiteral("Has jugado %1 y dado %2.")
            .arg(times(progress.gamesPlayed(), QStringLiteral("partida"), QStringLiteral("partidas")),
                 times(progress.answers(), QStringLiteral("respuesta"), QStringLiteral("respuestas"))));
    QStringList weakest;
    for (const Progress::Share &share : progress.weakest(Weakest))
        weakest << share.character;
    m_ui->shareChart->setShares(progress.shares(), weakest);
    m_ui->levelChart->setGames(progress.games());
    m_ui->mixUpList->clear();
    for (const Progress::MixUp &mixUp : progress.mixUps(MixUps))
        m_ui->mixUpList->addItem(
            QStringLiteral("enviado %1, pulsado %2: %3")
                .arg(mixUp.sent, mixUp.pressed,
                     times(mixUp.times, QStringLiteral("vez"), QStringLiteral("veces"))));
    if (m_ui->mixUpList->count() == 0)
        m_ui->mixUpList->addItem(QStringLiteral("Aún no has confundido ningún carácter."));
}

void ProgressWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
