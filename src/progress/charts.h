// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "progress.h"

#include <QWidget>

// The progress window's two charts. Each draws itself from plain figures and says the same in
// words: its accessible description, read by a screen reader when the chart takes the focus.

// The share named right per character, one bar each in learning order; the weakest in red.
class ShareChart final : public QWidget
{
    Q_OBJECT
public:
    explicit ShareChart(QWidget *parent = nullptr);

    void setShares(const QList<Progress::Share> &shares, const QStringList &weakest);
    QString text() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<Progress::Share> m_shares;
    QStringList m_weakest;
};

// The level each of the last games reached, oldest first.
class LevelChart final : public QWidget
{
    Q_OBJECT
public:
    explicit LevelChart(QWidget *parent = nullptr);

    void setGames(const std::deque<Progress::Game> &games);
    QString text() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<int> m_levels;
};
