// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "progress.h"

#include <QWidget>

// A chart of the progress window: it draws itself from plain figures and says the same in words,
// its accessible description, which a screen reader reads when the chart takes the focus.
class Chart : public QWidget
{
    Q_OBJECT
public:
    // The words; what is said while there is nothing to draw, too.
    QString text() const { return m_text; }

protected:
    Chart(const QString &name, QWidget *parent);
    // Called by each chart once its figures have changed.
    void setText(const QString &text);
    virtual bool hasFigures() const = 0;
    // Draws the figures; the background, frame and focus are drawn around them.
    virtual void drawFigures(QPainter &painter) = 0;
    // The plot area, with its vertical axis drawn from 0 to topLabel.
    QRect plotArea(QPainter &painter, const QString &topLabel);

    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
};

// The share named right per character, one bar each in learning order; the weakest in red.
class ShareChart final : public Chart
{
    Q_OBJECT
public:
    explicit ShareChart(QWidget *parent = nullptr);

    void setShares(const QList<Progress::Share> &shares, const QStringList &weakest);

protected:
    bool hasFigures() const override { return !m_shares.isEmpty(); }
    void drawFigures(QPainter &painter) override;

private:
    QList<Progress::Share> m_shares;
    QStringList m_weakest;
};

// The level each of the last games reached, oldest first.
class LevelChart final : public Chart
{
    Q_OBJECT
public:
    explicit LevelChart(QWidget *parent = nullptr);

    void setGames(const std::deque<Progress::Game> &games);

protected:
    bool hasFigures() const override { return !m_levels.isEmpty(); }
    void drawFigures(QPainter &painter) override;

private:
    QList<int> m_levels;
};
