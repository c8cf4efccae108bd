#include "systemservices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTime>

namespace runtime {

float SystemClock::secondsSinceMidnight() const
{
    return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
}

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

int MessageQuestionBox::ask(const QString &title, const QString &text, bool exclamation)
{
    YesNoBox box(exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title, text);
    box.setWindowFlags((box.windowFlags() | Qt::CustomizeWindowHint) & ~Qt::WindowCloseButtonHint);
    QPushButton *yes = box.addButton(QStringLiteral("Sí"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == no ? No : Yes;
}

QString ExecutableFolder::path() const
{
    return QCoreApplication::applicationDirPath();
}

void ProcessEnd::end()
{
    QCoreApplication::exit(0);
}

} // namespace runtime
