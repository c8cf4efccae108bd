#include "fonts.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

namespace runtime {

QFont designedFont()
{
    QFont standard(QStringLiteral("MS Sans Serif"));
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
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::setFont(designedFont());

    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Garamond"),
                               {QStringLiteral("EB Garamond"), QStringLiteral("EB Garamond 12"),
                                QStringLiteral("Liberation Serif")});
}

} // namespace runtime
