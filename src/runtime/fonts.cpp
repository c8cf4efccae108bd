#include "fonts.h"

#include <QFont>
#include <QStringList>

namespace runtime {

void installFontSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Garamond"),
                               {QStringLiteral("EB Garamond"), QStringLiteral("EB Garamond 12"),
                                QStringLiteral("Liberation Serif")});
}

} // namespace runtime
