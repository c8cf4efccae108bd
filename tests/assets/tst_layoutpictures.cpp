// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDirIterator>
#include <QDomDocument>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTest>

namespace {

// The value of a widget's own property element of that name (not a child widget's).
QDomElement ownProperty(const QDomElement &widget, const QString &name)
{
    for (QDomElement p = widget.firstChildElement(QStringLiteral("property")); !p.isNull();
         p = p.nextSiblingElement(QStringLiteral("property")))
        if (p.attribute(QStringLiteral("name")) == name)
            return p;
    return {};
}

} // namespace

// Every picture a layout names is among the resources, rendered at the size its name gives; a
// picture stretched to its control is rendered at exactly the control's size, so that nothing is
// drawn or scaled as a window opens.
class TestLayoutPictures : public QObject
{
    Q_OBJECT
private slots:
    void everyNamedPicture_renderedAtItsSize()
    {
        const QRegularExpression name(QStringLiteral("^:/assets/[a-z0-9]+-(\\d+)x(\\d+)\\.png$"));
        int checked = 0;
        QDirIterator layouts(QStringLiteral(SOURCE_DIR "/src"), {QStringLiteral("*.ui")}, QDir::Files,
                             QDirIterator::Subdirectories);
        while (layouts.hasNext()) {
            QFile file(layouts.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QDomDocument layout;
            QVERIFY(layout.setContent(&file));
            const QDomNodeList properties = layout.elementsByTagName(QStringLiteral("property"));
            for (int i = 0; i < properties.size(); ++i) {
                const QDomElement property = properties.at(i).toElement();
                const QDomElement picture = property.firstChildElement(QStringLiteral("pixmap")).isNull()
                                                ? property.firstChildElement(QStringLiteral("iconset"))
                                                      .firstChildElement(QStringLiteral("normaloff"))
                                                : property.firstChildElement(QStringLiteral("pixmap"));
                if (picture.isNull())
                    continue;
                const QString path = picture.text();
                const auto match = name.match(path);
                QVERIFY2(match.hasMatch(), qPrintable(file.fileName() + QStringLiteral(": ") + path));
                const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
                const QImage image(path);
                QVERIFY2(!image.isNull(), qPrintable(path));
                QCOMPARE(image.size(), size);
                const QDomElement widget = property.parentNode().toElement();
                if (ownProperty(widget, QStringLiteral("scaledContents")).text() == QLatin1String("true")) {
                    const QDomElement rect = ownProperty(widget, QStringLiteral("geometry"))
                                                 .firstChildElement(QStringLiteral("rect"));
                    QCOMPARE(size, QSize(rect.firstChildElement(QStringLiteral("width")).text().toInt(),
                                         rect.firstChildElement(QStringLiteral("height")).text().toInt()));
                }
                ++checked;
            }
        }
        QVERIFY(checked >= 20);
    }
};

QTEST_MAIN(TestLayoutPictures)
#include "tst_layoutpictures.moc"
