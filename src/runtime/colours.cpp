// SPDX-License-Identifier: GPL-3.0-or-later
#include "colours.h"

#include "fonts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>
#include <qdrawutil.h>

namespace runtime {

namespace {

// The classic light scheme's values.
constexpr QRgb ButtonFace = 0xc0c0c0;
constexpr QRgb ButtonText = 0x000000;
constexpr QRgb ButtonHighlight = 0xffffff;
constexpr QRgb ButtonShadow = 0x808080;
constexpr QRgb DarkShadow = 0x000000;
constexpr QRgb WindowBackground = 0xffffff;
constexpr QRgb WindowText = 0x000000;
constexpr QRgb Highlight = 0x000080;
constexpr QRgb HighlightedText = 0xffffff;
constexpr QRgb GrayText = 0x808080;
constexpr QRgb InfoBackground = 0xffffe1;

// Buttons as the layouts draw them: a flat face in the button's own colour inside a raised edge,
// sunken while pressed. Any other control is drawn by the Fusion style, the same on every desktop.
class DesignedStyle final : public QProxyStyle
{
public:
    DesignedStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element == PE_PanelButtonCommand) {
            const bool sunken = option->state & (State_Sunken | State_On);
            const QBrush face = option->palette.brush(QPalette::Button);
            qDrawWinButton(painter, option->rect, option->palette, sunken, &face);
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

} // namespace

QPalette classicPalette()
{
    QPalette palette;
    const auto set = [&palette](QPalette::ColorRole role, QRgb rgb) {
        palette.setColor(QPalette::All, role, QColor(rgb));
    };
    set(QPalette::Window, ButtonFace);
    set(QPalette::WindowText, WindowText);
    set(QPalette::Base, WindowBackground);
    set(QPalette::AlternateBase, ButtonFace);
    set(QPalette::ToolTipBase, InfoBackground);
    set(QPalette::ToolTipText, WindowText);
    set(QPalette::PlaceholderText, GrayText);
    set(QPalette::Text, WindowText);
    set(QPalette::Button, ButtonFace);
    set(QPalette::ButtonText, ButtonText);
    set(QPalette::BrightText, HighlightedText);
    set(QPalette::Light, ButtonHighlight);
    set(QPalette::Midlight, ButtonFace);
    set(QPalette::Mid, ButtonShadow);
    set(QPalette::Dark, ButtonShadow);
    set(QPalette::Shadow, DarkShadow);
    set(QPalette::Highlight, Highlight);
    set(QPalette::HighlightedText, HighlightedText);
    set(QPalette::Link, 0x0000ff);
    set(QPalette::LinkVisited, 0x800080);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(GrayText));
    return palette;
}

QColor layoutColour(const QString &name)
{
    if (name.startsWith(QLatin1Char('#')))
        return QColor::fromString(name);
    const QPalette classic = classicPalette();
    if (name == QLatin1String("buttonFace"))
        return classic.color(QPalette::Button);
    if (name == QLatin1String("buttonText"))
        return classic.color(QPalette::ButtonText);
    if (name == QLatin1String("highlightedText"))
        return classic.color(QPalette::HighlightedText);
    if (name == QLatin1String("windowText"))
        return classic.color(QPalette::WindowText);
    return {};
}

void fillWithButtonFace(QWidget &panel)
{
    // Only the background is the panel's own: every other colour still comes from the window.
    QPalette palette;
    palette.setColor(QPalette::Window, classicPalette().color(QPalette::Button));
    panel.setPalette(palette);
}

void applyDesignedLook(QWidget &window, const QColor &backColor, const QColor &foreColor)
{
    QPalette palette = classicPalette();
    if (backColor.isValid())
        palette.setColor(QPalette::Window, backColor);
    if (foreColor.isValid())
        palette.setColor(QPalette::WindowText, foreColor);
    window.setPalette(palette);
    window.setFont(designedFont());
}

void installDesignedLook()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app)
        return;
    if (!dynamic_cast<DesignedStyle *>(QApplication::style()))
        QApplication::setStyle(new DesignedStyle);
    QApplication::setPalette(classicPalette());
    QApplication::setFont(designedFont());
}

void showInPlay(QAbstractButton &button, bool inPlay)
{
    if (!inPlay) {
        // An empty palette inherits again: the button face of its window.
        button.setPalette(QPalette());
        return;
    }
    QPalette palette = button.palette();
    palette.setColor(QPalette::Button, InPlayGreen);
    button.setPalette(palette);
}

void showSent(QAbstractButton &button)
{
    QPalette palette = button.palette();
    // In every group: the window is inactive while the question box is open.
    palette.setColor(QPalette::Button, QColor(Highlight));
    palette.setColor(QPalette::ButtonText, QColor(HighlightedText));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(HighlightedText));
    button.setPalette(palette);
}

} // namespace runtime
