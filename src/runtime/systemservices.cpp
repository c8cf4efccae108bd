#include "systemservices.h"

#include "colours.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QStringDecoder>
#include <QTime>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <unistd.h>

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
    return clicked && box->buttonRole(clicked) == QMessageBox::NoRole ? No : Yes;
}

namespace {

QByteArray executablePath()
{
    QByteArray buffer(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), size_t(buffer.size()));
    return length > 0 && length < buffer.size() ? buffer.left(length) : QByteArray();
}

std::optional<QString> fromUtf8Exactly(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

ExecutableFolder::ExecutableFolder()
{
    const QByteArray executable = executablePath();
    m_native = executable.left(qMax(executable.lastIndexOf('/'), 0));
    if (m_native.isEmpty() && executable.startsWith('/'))
        m_native = QByteArrayLiteral("/");
    m_scores = scoresFolderFor(m_native);
    if (const std::optional<QString> text = fromUtf8Exactly(m_native)) {
        m_path = *text;
        return;
    }
    // A name that is not UTF-8 (a folder copied off an old disk) has no exact text form. The
    // process's own link to an open handle on the folder reaches the same files by a plain name.
    m_fd = ::open(m_native.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_fd >= 0)
        m_path = QStringLiteral("/proc/self/fd/%1").arg(m_fd);
}

ExecutableFolder::~ExecutableFolder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QByteArray scoresFolderFor(const QByteArray &programFolder)
{
    if (!programFolder.isEmpty() && ::faccessat(AT_FDCWD, programFolder.constData(), W_OK, AT_EACCESS) == 0)
        return programFolder;
    // The XDG base directory rules: a relative XDG_DATA_HOME is to be ignored.
    QByteArray data = qgetenv("XDG_DATA_HOME");
    if (!data.startsWith('/')) {
        QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/')) {
            const passwd *user = ::getpwuid(::getuid());
            home = user && user->pw_dir ? QByteArray(user->pw_dir) : QByteArray();
        }
        data = home + QByteArrayLiteral("/.local/share");
    }
    return data + QByteArrayLiteral("/zumbarel");
}

void keepPluginsOutOf(const QByteArray &folder)
{
    // Qt adds the executable's folder to its plug-in paths while the application object is being
    // made, and loads the platform plug-in right after, before any code of ours runs. A path taken
    // out of the list beforehand stays out, provided Qt already listed it: so it is listed through
    // QT_PLUGIN_PATH for that one moment, then taken out.
    const bool wasSet = qEnvironmentVariableIsSet("QT_PLUGIN_PATH");
    const QByteArray saved = qgetenv("QT_PLUGIN_PATH");
    qputenv("QT_PLUGIN_PATH", wasSet ? folder + ':' + saved : folder);
    QStringList paths = QCoreApplication::libraryPaths();
    const QString canonical = QDir(QFile::decodeName(folder)).canonicalPath();
    paths.removeAll(canonical);
    QCoreApplication::setLibraryPaths(paths);
    if (wasSet)
        qputenv("QT_PLUGIN_PATH", saved);
    else
        qunsetenv("QT_PLUGIN_PATH");
}

void ProcessEnd::end()
{
    QCoreApplication::exit(0);
}

} // namespace runtime
