// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessibility.h"

#include "formwindow.h"
#include "questionbox.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QScrollBar>
#include <QTranslator>

namespace runtime {

namespace {

// A scroll bar whose values run negated reports them with their sign turned back.
class NegatedChooser final : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit NegatedChooser(QScrollBar *bar) : QAccessibleWidget(bar, QAccessible::Slider) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QString::number(-bar()->value());
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return -bar()->value(); }
    void setCurrentValue(const QVariant &value) override { bar()->setValue(-value.toInt()); }
    QVariant maximumValue() const override { return -bar()->minimum(); }
    QVariant minimumValue() const override { return -bar()->maximum(); }
    QVariant minimumStepSize() const override { return bar()->singleStep(); }

private:
    QScrollBar *bar() const { return static_cast<QScrollBar *>(widget()); }
};

// A dialog frame makes a dialog; every other window of the program is a window. Read when asked,
// since the interface may be made before the layout has set the frame.
class ProgramWindow final : public QAccessibleWidget
{
public:
    explicit ProgramWindow(QWidget *window) : QAccessibleWidget(window, QAccessible::Window) {}

    QAccessible::Role role() const override
    {
        const bool dialog = widget()->property("BorderStyle").toString() == QLatin1String("fixedDialog");
        return dialog ? QAccessible::Dialog : QAccessible::Window;
    }
};

// A widget that says what it is through the property RoleProperty: a picture, a chart, a
// notification. Its description is its own, never its tool tip (an address read out after the
// name is noise).
class GivenRole final : public QAccessibleWidget
{
public:
    GivenRole(QWidget *widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description)
            return widget()->accessibleDescription();
        return QAccessibleWidget::text(t);
    }
};

// Screen readers take the box for an alert, as they take a desktop's message box, and read it
// whole when it opens: the title, then the question.
class AlertInterface final : public QAccessibleWidget
{
public:
    explicit AlertInterface(QuestionDialog *box) : QAccessibleWidget(box, QAccessible::AlertMessage) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return widget()->windowTitle();
        if (t == QAccessible::Help) {
            if (const auto *question = widget()->findChild<QLabel *>(QStringLiteral("question")))
                return question->text();
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *accessibleFor(const QString &className, QObject *object)
{
    if (auto *box = qobject_cast<QuestionDialog *>(object))
        return new AlertInterface(box);
    if (auto *window = qobject_cast<FormWindow *>(object))
        return new ProgramWindow(window);
    if (const QVariant role = object->property(RoleProperty); role.isValid() && object->isWidgetType())
        return new GivenRole(static_cast<QWidget *>(object), QAccessible::Role(role.toInt()));
    // A picture the keyboard reaches is a picture: its tool tip's address opens nothing.
    if (auto *label = qobject_cast<QLabel *>(object);
        label && !label->pixmap().isNull() && (label->focusPolicy() & Qt::TabFocus))
        return new GivenRole(label, QAccessible::Graphic);
    if (className == QLatin1String("QScrollBar") && object->property("ValueNegated").toBool())
        return new NegatedChooser(static_cast<QScrollBar *>(object));
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(accessibleFor);
    installed = true;
}

bool loadSpanishQtTexts()
{
    auto *texts = new QTranslator(QCoreApplication::instance());
    if (!texts->load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete texts;
        return false;
    }
    QCoreApplication::installTranslator(texts);
    return true;
}

} // namespace runtime
