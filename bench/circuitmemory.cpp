// SPDX-License-Identifier: GPL-3.0-or-later
// The program's memory after a whole circuit, against a bare Qt window launched in turns with it
// in the same run (bench_barewindow, and the same with one line of text). It measures and never
// fails on a figure.
//
// The circuit, as a player would go through it, in a process of its own for each run: the splash
// (closed by a double-click once its start-up sound has played), the introduction window's
// whole welcome (25 s, its greeting heard), the 38 characters presented one by one with their
// sounds, a game of three levels (ten right answers each, Yes to every next level) that ends on a
// miss and No, and the name typed into the name-entry window. The windows, the sound player,
// the timers and the question boxes are the program's own: each box is shown and its button
// clicked after the player's pace, as a player would. Only the place of the high scores differs:
// a fresh temporary folder, so that no table is touched and the name always qualifies. The sound
// server is a private PulseAudio with a null sink; the windows go to the X server in DISPLAY.
//
// Figures come from /proc/<pid>/status: the peak resident memory (VmHWM), and the resident
// memory at the end (VmRSS) split into anonymous, file-backed and shared memory. The circuit
// reports them at each stage; a reference window is read once it has been on screen a while.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bin/bench_circuitmemory [--runs N]
//       [--pace MS] [--wm COMMAND] [--smaps PATH] [--verbose]
//
// --smaps PATH keeps copies of the circuit's /proc/self/smaps at the end of each stage, as
// PATH-splash ... PATH-end, for a look mapping by mapping.
#include "app/startup.h"
#include "app/systemservices.h"
#include "game/form1.h"
#include "measures.h"
#include "platform/programfolder.h"
#include "platform/services.h"
#include "pulsetestserver.h"
#include "runtime/accessibility.h"
#include "runtime/forms.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

using runtime::FormId;
using runtime::Forms;

namespace {

// The fields of /proc/<pid>/status this bench reports, in kB.
const std::vector<QByteArray> Fields{"VmHWM", "VmRSS", "RssAnon", "RssFile", "RssShmem"};
using Figures = std::map<QByteArray, double>;

// ---- the circuit, in the measured process ----

// The program's folder for the sounds, and a temporary one for the high scores.
class BenchFolder final : public platform::ProgramFolder
{
public:
    QString path() const override { return m_path; }
    QByteArray scoresFolder() const override { return QFile::encodeName(m_scores.path()); }

private:
    QString m_path = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path();
    QTemporaryDir m_scores;
};

// The program's own question box, answered by a click on the scripted button after the pace.
class ClickedQuestionBox final : public platform::QuestionBox
{
public:
    explicit ClickedQuestionBox(int paceMs) : m_paceMs(paceMs) {}

    int ask(const QString &title, const QString &text, bool exclamation, const QString &) override
    {
        const std::unique_ptr<runtime::QuestionDialog> box =
            runtime::MessageQuestionBox::build(title, text, exclamation);
        if (answers.isEmpty()) {
            std::fprintf(stderr, "unexpected question: %s\n", qPrintable(title));
            unexpected = true;
            return platform::No;
        }
        QTimer::singleShot(m_paceMs, box->button(answers.takeFirst()), &QAbstractButton::click);
        return box->exec() == platform::No ? platform::No : platform::Yes;
    }

    QList<int> answers;
    bool unexpected = false;

private:
    const int m_paceMs;
};

template <class T> T *control(FormId id, const char *name)
{
    return Forms::get(id).window()->findChild<T *>(QLatin1String(name));
}

// The window's own surface, where a double-click is the window's and no control's.
bool doubleClickSurface(QWidget &window)
{
    for (int y = 0; y < window.height(); y += 2) {
        for (int x = 0; x < window.width(); x += 2) {
            if (window.childAt(x, y))
                continue;
            const QPointF at(x, y);
            QMouseEvent press(QEvent::MouseButtonPress, at, window.mapToGlobal(at), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QMouseEvent twice(QEvent::MouseButtonDblClick, at, window.mapToGlobal(at), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&window, &press);
            QApplication::sendEvent(&window, &twice);
            return true;
        }
    }
    return false;
}

void typeKey(QWidget &widget, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &press);
    QApplication::sendEvent(&widget, &release);
}

QWidget *nameEntryWindow()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String("Form3") && window->isVisible())
            return window;
    return nullptr;
}

// Where the memory is, mapping by mapping, for a closer look.
void copySmaps(const QString &path)
{
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    QFile copy(path);
    if (smaps.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly | QIODevice::Truncate))
        copy.write(smaps.readAll());
    else
        std::fprintf(stderr, "cannot copy the memory map to %s\n", qPrintable(path));
}

// The figures at the end of a stage; with a path, also the memory map, as PATH-STAGE.
void report(const char *stage, const QString &smapsCopy)
{
    const Figures figures = processMemory(QStringLiteral("self"));
    std::printf("stage %s", stage);
    for (const QByteArray &field : Fields)
        std::printf(" %s=%.0f", field.constData(), figures.count(field) ? figures.at(field) : -1.0);
    std::printf("\n");
    std::fflush(stdout);
    if (!smapsCopy.isEmpty())
        copySmaps(smapsCopy + QLatin1Char('-') + QLatin1String(stage));
}

// The player's way through the program, one step at a time, each from the event loop as a
// player's own input arrives: waiting in a loop of the bench's own would hold back the deletion of
// the windows the program closes.
class Circuit final : public QObject
{
public:
    Circuit(ClickedQuestionBox &questions, int paceMs, QString smapsCopy)
        : m_questions(questions), m_paceMs(paceMs), m_smapsCopy(std::move(smapsCopy))
    {
        plan();
    }

    void start()
    {
        QTimer::singleShot(0, this, [this] { run(); });
    }

private:
    struct Step
    {
        // Waited for before the step acts, up to timeoutMs.
        std::function<bool()> ready;
        int timeoutMs = 0;
        // Returns why the circuit cannot go on, or nothing.
        std::function<QString()> act;
        // The pause after it, before the next step.
        int thenMs = 0;
        QString waitingFor;
    };

    void then(int ms, std::function<QString()> act) { m_steps.push_back({{}, 0, std::move(act), ms, {}}); }
    void wait(const QString &what, int timeoutMs, std::function<bool()> ready)
    {
        m_steps.push_back({std::move(ready), timeoutMs, [] { return QString(); }, 0, what});
    }

    void plan()
    {
        const int pace = m_paceMs;
        // The splash while its start-up sound plays, then a double-click on it.
        then(4000, [] { return QString(); });
        then(0, [this] {
            report("splash", m_smapsCopy);
            QWidget *splash = Forms::get(FormId::Form4).window();
            return splash && doubleClickSurface(*splash)
                       ? QString()
                       : QStringLiteral("the splash has no surface to click");
        });
        wait(QStringLiteral("the introduction window"), 5000,
             [] { return Forms::get(FormId::Form2).isVisible(); });
        // The whole welcome, greeting aloud, to its last line (the web address), as a player new
        // to the program would hear it: any press of the presentation's buttons would stop it.
        wait(QStringLiteral("the end of the welcome"), 60000, [] {
            return control<QTextEdit>(FormId::Form2, "RichTextBox1")->toPlainText().startsWith(u"Visita");
        });
        then(0, [this] {
            report("welcome", m_smapsCopy);
            return QString();
        });
        for (int i = 0; i < 38; ++i)
            then(pace, [] {
                control<QPushButton>(FormId::Form2, "cmdAvanzar")->click();
                return QString();
            });
        then(0, [this] {
            report("presentations", m_smapsCopy);
            control<QPushButton>(FormId::Form2, "Command1")->click();
            return QString();
        });
        wait(QStringLiteral("the game window"), 5000, [] { return Forms::get(FormId::Form1).isVisible(); });
        // Yes to the three next levels; after the miss, No to another game.
        then(pace, [this] {
            m_questions.answers = {platform::Yes, platform::Yes, platform::Yes, platform::No};
            control<QPushButton>(FormId::Form1, "Command2")->click();
            return QString();
        });
        for (int i = 0; i < 30; ++i)
            then(pace, [] {
                auto &game = Forms::get<Form1>(FormId::Form1);
                QPushButton *right = game.Command1(game.round().target() - 1);
                if (!right->isEnabled())
                    return QStringLiteral("the character to name has no button in play");
                right->click();
                return QString();
            });
        then(0, [this] {
            report("game", m_smapsCopy);
            // Wrong: the next button in play after the right one.
            auto &game = Forms::get<Form1>(FormId::Form1);
            game.Command1(game.round().target() % game.round().level())->click();
            return m_questions.unexpected || !m_questions.answers.isEmpty()
                       ? QStringLiteral("the game asked other questions than three levels and a miss")
                       : QString();
        });
        wait(QStringLiteral("the name-entry window"), 5000, [] { return nameEntryWindow() != nullptr; });
        then(pace, [] { return QString(); });
        for (const char letter : {'a', 'n', 'a'})
            then(150, [letter] {
                QWidget *entry = nameEntryWindow();
                typeKey(*entry->findChild<QLineEdit *>(QStringLiteral("Text1")), Qt::Key_A + (letter - 'a'),
                        QString(QLatin1Char(letter)));
                return QString();
            });
        then(0, [] {
            QWidget *entry = nameEntryWindow();
            typeKey(*entry->findChild<QLineEdit *>(QStringLiteral("Text1")), Qt::Key_Return,
                    QStringLiteral("\r"));
            return QString();
        });
        wait(QStringLiteral("the name to be taken"), 5000, [] { return nameEntryWindow() == nullptr; });
        // Back at the introduction window, which greets again.
        then(3000, [] { return QString(); });
        then(0, [this] {
            report("end", m_smapsCopy);
            // The program's own way out.
            control<QPushButton>(FormId::Form2, "command3")->click();
            return QString();
        });
    }

    void run()
    {
        if (m_next == m_steps.size())
            return;
        Step &step = m_steps[m_next];
        if (step.ready && !step.ready()) {
            if (m_waitedMs >= step.timeoutMs)
                return fail(QStringLiteral("waited in vain for ") + step.waitingFor);
            m_waitedMs += 50;
            QTimer::singleShot(50, this, [this] { run(); });
            return;
        }
        m_waitedMs = 0;
        if (const QString failure = step.act(); !failure.isEmpty())
            return fail(failure);
        ++m_next;
        QTimer::singleShot(step.thenMs, this, [this] { run(); });
    }

    void fail(const QString &failure)
    {
        std::fprintf(stderr, "the circuit stopped: %s\n", qPrintable(failure));
        QCoreApplication::exit(1);
    }

    ClickedQuestionBox &m_questions;
    const int m_paceMs;
    const QString m_smapsCopy;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    int m_waitedMs = 0;
};

int runCircuit(int argc, char *argv[], int paceMs, const QString &smapsCopy)
{
    // As the program's main() does, with the high scores in a folder of the bench's own and the
    // question boxes answered.
    const SystemServices real;
    BenchFolder folder;
    platform::keepPluginsOutOf(folder.nativePath());
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("zumbarel"));
    runtime::loadSpanishQtTexts();
    ClickedQuestionBox questions(paceMs);
    platform::Services set = real.set();
    set.folder = &folder;
    set.questions = &questions;
    const platform::Installed installed(set);
    startProgram();
    Circuit circuit(questions, paceMs, smapsCopy);
    circuit.start();
    const int result = QApplication::exec();
    runtime::Forms::reset();
    return result;
}

// ---- the driver ----

struct Series
{
    QString name;
    // Each run's figures at each stage.
    std::map<QByteArray, std::vector<Figures>> stages;

    double median(const QByteArray &stage, const QByteArray &field) const
    {
        std::vector<double> values;
        const auto found = stages.find(stage);
        if (found != stages.end())
            for (const Figures &figures : found->second)
                if (figures.count(field))
                    values.push_back(figures.at(field) / 1024.0);
        return values.empty() ? -1 : percentile(values, 0.5);
    }
};

Figures parseStage(const QByteArray &line, QByteArray *stage)
{
    Figures figures;
    const QList<QByteArray> words = line.trimmed().split(' ');
    *stage = words.value(1);
    for (const QByteArray &word : words.mid(2)) {
        const qsizetype equals = word.indexOf('=');
        figures[word.left(equals)] = word.mid(equals + 1).toDouble();
    }
    return figures;
}

bool runProgram(Series &series, const QString &self, int paceMs, const QString &smapsCopy, bool verbose)
{
    QProcess process;
    process.setProcessChannelMode(verbose ? QProcess::ForwardedErrorChannel : QProcess::SeparateChannels);
    QStringList args{QStringLiteral("--circuit"), QStringLiteral("--pace"), QString::number(paceMs)};
    if (!smapsCopy.isEmpty())
        args << QStringLiteral("--smaps") << smapsCopy;
    process.start(self, args);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::fprintf(stderr, "the circuit failed:\n%s\n", process.readAllStandardError().constData());
        process.kill();
        process.waitForFinished();
        return false;
    }
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("stage "))
            continue;
        QByteArray stage;
        const Figures figures = parseStage(line, &stage);
        series.stages[stage].push_back(figures);
    }
    return series.stages.count("end") != 0;
}

bool runReference(Series &series, const QString &program, const QStringList &args, bool verbose)
{
    QProcess process;
    process.setProcessChannelMode(verbose ? QProcess::ForwardedChannels : QProcess::SeparateChannels);
    process.start(program, args);
    if (!process.waitForStarted(5000)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
        return false;
    }
    // Read once its peak has held for two seconds: on screen and settled, on a busy machine too.
    const QString pid = QString::number(process.processId());
    Figures figures;
    QElapsedTimer since;
    QElapsedTimer held;
    since.start();
    held.start();
    while (since.elapsed() < 15000) {
        QThread::msleep(100);
        const Figures now = processMemory(pid);
        if (now.empty()) {
            std::fprintf(stderr, "%s ended by itself\n", qPrintable(program));
            return false;
        }
        if (figures.empty() || now.at("VmHWM") != figures.at("VmHWM"))
            held.restart();
        figures = now;
        if (since.elapsed() >= 3000 && held.elapsed() >= 2000)
            break;
    }
    process.kill();
    process.waitForFinished();
    if (figures.empty())
        return false;
    series.stages["end"].push_back(figures);
    return true;
}

int drive(int runs, int paceMs, const QString &smapsCopy, const QString &wmCommand, bool verbose)
{
    // A desktop's window manager, if asked for: it maximises the windows that ask for it, and
    // their pixels cost memory.
    QProcess wm;
    struct Ender
    {
        QProcess &process;
        ~Ender()
        {
            process.kill();
            process.waitForFinished();
        }
    } endWm{wm};
    if (!wmCommand.isEmpty()) {
        wm.setProcessChannelMode(verbose ? QProcess::ForwardedChannels : QProcess::SeparateChannels);
        wm.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec ") + wmCommand});
        if (!wm.waitForStarted(5000) || wm.waitForFinished(1500)) {
            std::fprintf(stderr, "the window manager did not stay up: %s\n", qPrintable(wmCommand));
            return 1;
        }
    }
    PulseTestServer sound;
    if (!startOrSay(sound))
        return 1;
    qputenv("PULSE_SERVER", sound.address().toLocal8Bit());
    // Nothing of a player's own: Qt and the program find no data folder of theirs.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));

    const QString folder = QCoreApplication::applicationDirPath();
    const QString bare = folder + QStringLiteral("/bench_barewindow");
    Series program{QStringLiteral("zumbarel, circuit"), {}};
    Series bareWindow{QStringLiteral("bare window"), {}};
    Series captioned{QStringLiteral("captioned"), {}};
    const std::vector<std::function<bool()>> launches{
        [&] {
            return runProgram(program, QCoreApplication::applicationFilePath(), paceMs, smapsCopy, verbose);
        },
        [&] { return runReference(bareWindow, bare, {}, verbose); },
        [&] { return runReference(captioned, bare, {QStringLiteral("--caption")}, verbose); },
    };
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < runs; ++i) {
        // In turns, each run starting one further along.
        for (std::size_t k = 0; k < launches.size(); ++k) {
            if (!launches[(std::size_t(i) + k) % launches.size()]())
                return 1;
        }
    }

    std::printf("Memory after a whole circuit, %d runs each, in turns (%.0f s; player's pace %d ms; "
                "private PulseAudio, null sink; window manager: %s)\n",
                runs, double(clock.elapsed()) / 1000.0, paceMs,
                wmCommand.isEmpty() ? "none" : qPrintable(wmCommand));
    std::printf("  %-26s %9s %9s %9s %9s %9s   (MiB, medians)\n", "", "peak", "resident", "anon", "file",
                "shmem");
    const auto row = [](const Series &series, const QByteArray &stage, const QString &name) {
        std::printf("  %-26s", qPrintable(name));
        for (const QByteArray &field : Fields)
            std::printf(" %9.1f", series.median(stage, field));
        std::printf("\n");
    };
    for (const char *stage : {"splash", "welcome", "presentations", "game"})
        row(program, stage, QStringLiteral("  after %1").arg(QString::fromLatin1(stage)));
    row(program, "end", program.name);
    row(bareWindow, "end", bareWindow.name);
    row(captioned, "end", captioned.name);
    const double peak = program.median("end", "VmHWM");
    std::printf("  peak ratio: %.2fx the bare window, %.2fx the captioned window\n",
                peak / bareWindow.median("end", "VmHWM"), peak / captioned.median("end", "VmHWM"));
    std::printf("  (a reference is read once its peak has held for 2 s; the circuit at each stage's end)\n");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    int runs = 3;
    int paceMs = 600;
    QString smapsCopy;
    QString wmCommand;
    bool circuit = false;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--runs" && hasValue)
            runs = std::max(1, atoi(argv[++i]));
        else if (arg == "--pace" && hasValue)
            paceMs = std::max(0, atoi(argv[++i]));
        else if (arg == "--wm" && hasValue)
            wmCommand = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--smaps" && hasValue)
            smapsCopy = QFile::decodeName(argv[++i]);
        else if (arg == "--circuit")
            circuit = true;
        else if (arg == "--verbose")
            verbose = true;
        else {
            std::fprintf(stderr,
                         "usage: %s [--runs N] [--pace MS] [--wm COMMAND] [--smaps PATH] [--verbose]\n",
                         argv[0]);
            return 2;
        }
    }
    if (circuit)
        return runCircuit(argc, argv, paceMs, smapsCopy);
    QCoreApplication app(argc, argv);
    return drive(runs, paceMs, smapsCopy, wmCommand, verbose);
}
