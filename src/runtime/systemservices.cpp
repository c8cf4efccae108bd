#include "systemservices.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTime>

namespace runtime {

float SystemClock::secondsSinceMidnight() const
{
    return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
}

int MessageQuestionBox::ask(const QString &title, const QString &text, bool exclamation)
{
    QMessageBox box(exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title, text);
    QPushButton *yes = box.addButton(QStringLiteral("Sí"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
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
