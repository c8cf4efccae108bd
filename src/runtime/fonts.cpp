// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>
#include <QWidget>

namespace runtime {

QFont designedFont()
{
    QFont standard;
    standard.setFamilies(installedFamilies({QStringLiteral("MS Sans Serif")}));
    standard.setPointSizeF(8.25);
    standard.setWeight(QFont::Normal);
    standard.setStyle(QFont::StyleNormal);
    standard.setUnderline(false);
    standard.setStrikeOut(false);
    standard.setStretch(QFont::Unstretched);
    standard.setLetterSpacing(QFont::PercentageSpacing, 100);
    standard.setWordSpacing(0);
    standard.setCapitalization(QFont::MixedCase);
    standard.setResolveMask(QFont::AllPropertiesResolved);
    return standard;
}

void installFonts()
{
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Garamond"),
                               {QStringLiteral("EB Garamond"), QStringLiteral("EB Garamond 12"),
                                QStringLiteral("Liberation Serif")});
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::setFont(designedFont());
}

// A family that the font database does not know sends Qt to fontconfig twice, for aliases and for
// fallbacks, before it tries the substitutes: on the first window that costs more than drawing
// all of its text. Naming the installed families first spares both.
namespace {

QStringList installedFamilies(const QStringList &designed, const QStringList &installed)
{
    QStringList families;
    for (const QString &family : designed) {
        if (installed.contains(family, Qt::CaseInsensitive))
            families << family;
        for (const QString &substitute : QFont::substitutes(family)) {
            if (installed.contains(substitute, Qt::CaseInsensitive))
                families << substitute;
        }
    }
    families.removeDuplicates();
    return families.isEmpty() ? designed : families;
}

} // namespace

QStringList installedFamilies(const QStringList &designed)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return designed;
    return installedFamilies(designed, QFontDatabase::families());
}

void useInstalledFamilies(QWidget &window)
{
    // Asked once for the whole window: the list is built anew at each call.
    const QStringList installed = QFontDatabase::families();
    const QList<QWidget *> children = window.findChildren<QWidget *>();
    for (QWidget *widget : children) {
        if (!widget->testAttribute(Qt::WA_SetFont))
            continue;
        QFont font = widget->font();
        const QStringList families = installedFamilies(font.families(), installed);
        if (families != font.families()) {
            font.setFamilies(families);
            widget->setFont(font);
        }
    }
}

} // namespace runtime
