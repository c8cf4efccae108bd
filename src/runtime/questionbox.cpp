// SPDX-License-Identifier: GPL-3.0-or-later
#include "questionbox.h"

#include "colours.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>

namespace runtime {

namespace {

QLabel *textLabel(const QString &name, const QString &text, Qt::TextFormat format, Qt::Alignment alignment,
                  Qt::TextInteractionFlags interaction)
{
    auto *label = new QLabel;
    label->setObjectName(name);
    label->setTextFormat(format);
    label->setText(text);
    label->setAlignment(alignment);
    label->setTextInteractionFlags(interaction);
    return label;
}

} // namespace

QuestionDialog::QuestionDialog(const QString &title, const QString &text, bool exclamation, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::CustomizeWindowHint)
{
    setWindowTitle(title);
    setModal(true);
    applyDesignedLook(*this);

    // Laid out as the desktop's message boxes are: the icon at the top left, an indent, the texts,
    // and the buttons below across the whole width.
    auto *grid = new QGridLayout(this);
    int column = 0;
    if (exclamation) {
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        auto *icon = new QLabel;
        icon->setObjectName(QStringLiteral("icon"));
        icon->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        icon->setPixmap(style()
                            ->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this)
                            .pixmap(QSize(size, size), devicePixelRatio()));
        grid->addWidget(icon, 0, column++, 2, 1, Qt::AlignTop);
    }
    grid->addItem(new QSpacerItem(exclamation ? 7 : 15, 1, QSizePolicy::Fixed, QSizePolicy::Fixed), 0,
                  column++, 2, 1);

    const auto interaction = Qt::TextInteractionFlags(
        style()->styleHint(QStyle::SH_MessageBox_TextInteractionFlags, nullptr, this));
    grid->addWidget(textLabel(QStringLiteral("title"), QStringLiteral("<b>%1</b>").arg(title.toHtmlEscaped()),
                              Qt::RichText, Qt::AlignVCenter | Qt::AlignLeft, interaction),
                    0, column);
    // The question is shown as written, whatever it holds.
    QLabel *question =
        textLabel(QStringLiteral("question"), text, Qt::PlainText, Qt::AlignTop | Qt::AlignLeft, interaction);
    question->setWordWrap(true);
    question->setContentsMargins(0, 7, 0, 7);
    grid->addWidget(question, 1, column);

    auto *buttons = new QDialogButtonBox;
    buttons->setCenterButtons(style()->styleHint(QStyle::SH_MessageBox_CenterButtons, nullptr, this));
    m_yes = buttons->addButton(QStringLiteral("Sí"), QDialogButtonBox::YesRole);
    m_no = buttons->addButton(QStringLiteral("No"), QDialogButtonBox::NoRole);
    m_yes->setDefault(true);
    m_yes->setFocus();
    connect(buttons, &QDialogButtonBox::clicked, this,
            [this](QAbstractButton *clicked) { done(clicked == m_no ? platform::No : platform::Yes); });
    grid->addWidget(buttons, 2, 0, 1, grid->columnCount());

    // Wide enough for the whole title in the desktop's title-bar font, with room for the frame's
    // icon and buttons.
    const QFontMetrics titleFont(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    const int titleWidth = titleFont.horizontalAdvance(title) + MessageQuestionBox::TitleBarAllowance;
    grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), 3, 0, 1,
                  grid->columnCount());
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

QPushButton *QuestionDialog::button(int answer) const
{
    return answer == platform::No ? m_no : m_yes;
}

void QuestionDialog::showEvent(QShowEvent *event)
{
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    QDialog::showEvent(event);
}

void QuestionDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

void QuestionDialog::closeEvent(QCloseEvent *event)
{
    // Only a button answers it; exec() clears the answer when it opens the box.
    if (result() != platform::Yes && result() != platform::No) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

std::unique_ptr<QuestionDialog> MessageQuestionBox::build(const QString &title, const QString &text,
                                                          bool exclamation)
{
    return std::make_unique<QuestionDialog>(title, text, exclamation);
}

int MessageQuestionBox::ask(const QString &title, const QString &text, bool exclamation,
                            const QString &spoken)
{
    const std::unique_ptr<QuestionDialog> box = build(title, text, exclamation);
    // A screen reader says the box's name when it opens: the title, then what only it needs told.
    if (!spoken.isEmpty())
        box->setAccessibleName(title + QLatin1Char(' ') + spoken);
    return box->exec() == platform::No ? platform::No : platform::Yes;
}

} // namespace runtime
