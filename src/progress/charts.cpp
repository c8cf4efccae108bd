// SPDX-License-Identifier: GPL-3.0-or-later
#include "charts.h"

#include "runtime/accessibility.h"
#include "runtime/colours.h"

#include <QAccessible>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <cmath>

namespace {

// The level of a game won: one past the last character.
constexpr int WonLevel = 37;
constexpr int Characters = 36;
const QColor WeakRed(0xc0, 0x00, 0x00);
constexpr int AxisWidth = 34;
constexpr int LabelHeight = 16;

QString percent(double share)
{
    return QStringLiteral("%1 %").arg(std::lround(share * 100));
}

QString levelText(int level)
{
    return level >= WonLevel ? QStringLiteral("todos") : QString::number(level);
}

} // namespace

Chart::Chart(const QString &name, QWidget *parent) : QWidget(parent)
{
    // Focusable, so that the keyboard and a screen reader reach the words.
    setFocusPolicy(Qt::StrongFocus);
    setProperty(runtime::RoleProperty, int(QAccessible::Chart));
    setAccessibleName(name);
    setMinimumHeight(110);
}

void Chart::setText(const QString &text)
{
    m_text = text;
    setAccessibleDescription(text);
    setToolTip(text);
    update();
}

QRect Chart::plotArea(QPainter &painter, const QString &topLabel)
{
    const QRect plot = rect().adjusted(AxisWidth, 8, -8, -LabelHeight - 4);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    const QRect labels(0, plot.top() - 6, AxisWidth - 4, plot.height() + 12);
    painter.drawText(labels, Qt::AlignRight | Qt::AlignTop, topLabel);
    painter.drawText(labels, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("0"));
    return plot;
}

void Chart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (hasFigures()) {
        drawFigures(painter);
    } else {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, m_text);
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

ShareChart::ShareChart(QWidget *parent) : Chart(QStringLiteral("Aciertos por carácter"), parent)
{
    setShares({}, {});
}

void ShareChart::setShares(const QList<Progress::Share> &shares, const QStringList &weakest)
{
    m_shares = shares;
    m_weakest = weakest;
    if (m_shares.isEmpty()) {
        setText(QStringLiteral("Aún no has respondido a ningún carácter."));
        return;
    }
    QStringList parts;
    for (const Progress::Share &share : m_shares)
        parts << QStringLiteral("%1, %2 de %3")
                     .arg(share.character, percent(share.share()))
                     .arg(share.counts.sent);
    QString text = QStringLiteral("Aciertos por carácter, en el orden de aprendizaje. %1.")
                       .arg(parts.join(QStringLiteral(". ")));
    if (!m_weakest.isEmpty())
        text += QStringLiteral(" Los más flojos, %1.").arg(m_weakest.join(QStringLiteral(", ")));
    setText(text);
}

void ShareChart::drawFigures(QPainter &painter)
{
    const QRect plot = plotArea(painter, QStringLiteral("100 %"));
    const double slot = double(plot.width()) / double(std::max<qsizetype>(m_shares.size(), 12));
    for (int i = 0; i < m_shares.size(); ++i) {
        const Progress::Share &share = m_shares[i];
        const int left = plot.left() + 1 + int(i * slot);
        const int width = std::max(2, int(slot) - 3);
        const int height = int(std::lround(share.share() * (plot.height() - 1)));
        const bool weak = m_weakest.contains(share.character);
        painter.fillRect(QRect(left + 1, plot.bottom() - height, width, height),
                         weak ? WeakRed : runtime::InPlayGreen);
        painter.setPen(weak ? WeakRed : palette().color(QPalette::WindowText));
        painter.drawText(QRect(left, plot.bottom() + 2, int(slot), LabelHeight),
                         Qt::AlignHCenter | Qt::AlignTop, share.character);
    }
}

LevelChart::LevelChart(QWidget *parent)
    : Chart(QStringLiteral("Nivel alcanzado en las últimas partidas"), parent)
{
    setGames({});
}

void LevelChart::setGames(const std::deque<Progress::Game> &games)
{
    m_levels.clear();
    for (const Progress::Game &game : games)
        m_levels << game.level;
    if (m_levels.isEmpty()) {
        setText(QStringLiteral("Aún no has terminado ninguna partida."));
        return;
    }
    QStringList levels;
    for (const int level : m_levels)
        levels << levelText(level);
    const int best = *std::max_element(m_levels.cbegin(), m_levels.cend());
    setText(
        QStringLiteral("Nivel alcanzado en las últimas %1 partidas, de la más antigua a la más reciente. %2. "
                       "El mejor, %3.")
            .arg(m_levels.size())
            .arg(levels.join(QStringLiteral(", ")), levelText(best)));
}

void LevelChart::drawFigures(QPainter &painter)
{
    const QRect plot = plotArea(painter, QString::number(Characters));
    const double slot = double(plot.width()) / double(std::max<qsizetype>(m_levels.size(), 10));
    for (int i = 0; i < m_levels.size(); ++i) {
        const int level = std::min(m_levels[i], Characters);
        const int left = plot.left() + 1 + int(i * slot);
        const int height = int(std::lround(double(level) / Characters * (plot.height() - 1)));
        painter.fillRect(QRect(left + 1, plot.bottom() - height, std::max(2, int(slot) - 2), height),
                         m_levels[i] >= WonLevel ? runtime::InPlayGreen
                                                 : palette().color(QPalette::Highlight));
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(plot.left(), plot.bottom() + 2, plot.width(), LabelHeight), Qt::AlignLeft,
                     QStringLiteral("más antigua"));
    painter.drawText(QRect(plot.left(), plot.bottom() + 2, plot.width(), LabelHeight), Qt::AlignRight,
                     QStringLiteral("más reciente"));
}
