#include "questionbox.h"

#include "colours.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace runtime {

namespace {

// A question answered with Yes or No only: Escape and the frame's close control do not answer
// it, since No may end the game or the program.
class YesNoBox final : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape)
            return;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        if (!clickedButton()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }
};

} // namespace

std::unique_ptr<QMessageBox> MessageQuestionBox::build(const QString &title, const QString &text,
                                                       bool exclamation)
{
    auto box = std::make_unique<YesNoBox>(exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                                          QString());
    box->setWindowFlags((box->windowFlags() | Qt::CustomizeWindowHint) & ~Qt::WindowCloseButtonHint);
    // The title carries the main message, and window managers cut long titles short or show
    // none: the box shows it again inside, in bold above the question.
    applyDesignedLook(*box);
    box->setTextFormat(Qt::RichText);
    box->setText(QStringLiteral("<b>%1</b>").arg(title.toHtmlEscaped()));
    box->setInformativeText(text);
    if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
    QPushButton *yes = box->addButton(QStringLiteral("Sí"), QMessageBox::YesRole);
    box->addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box->setDefaultButton(yes);
    // Wide enough for the whole title in the desktop's title-bar font, with room for the frame's
    // icon and buttons.
    const QFontMetrics titleFont(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    const int titleWidth = titleFont.horizontalAdvance(title) + TitleBarAllowance;
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout()))
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

int MessageQuestionBox::ask(const QString &title, const QString &text, bool exclamation)
{
    const std::unique_ptr<QMessageBox> box = build(title, text, exclamation);
    box->exec();
    QAbstractButton *clicked = box->clickedButton();
    return clicked && box->buttonRole(clicked) == QMessageBox::NoRole ? platform::No : platform::Yes;
}

} // namespace runtime
