#include "fonts.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

namespace runtime {

void installFonts()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        QFont standard(QStringLiteral("MS Sans Serif"));
        standard.setPointSizeF(8.25);
        QApplication::setFont(standard);
    }

    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Garamond"),
                               {QStringLiteral("EB Garamond"), QStringLiteral("EB Garamond 12"),
                                QStringLiteral("Liberation Serif")});
}

} // namespace runtime
