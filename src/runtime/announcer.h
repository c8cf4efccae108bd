// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/services.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <array>

class QStatusBar;
class QWidget;

namespace runtime {

// Qt's own answer: an accessibility bridge that a screen reader has turned on.
class QtScreenReader final : public platform::ScreenReader
{
public:
    bool listening() const override;
};

// Says short sentences through a screen reader, while one listens; otherwise it does nothing at
// all. Orca 43 reads neither a changed name nor an alert from Qt 6.4, but it reads a notification
// as it appears, and inside a status bar it reads the text alone. So the window gets a status bar
// of one pixel with a few notifications in it, shown in turn: Orca reads a notification's name
// only when it comes to the event, and one reused at once would say only its last sentence.
class Announcer final : public QObject
{
    Q_OBJECT
public:
    explicit Announcer(QWidget &window);

    // A screen reader is listening.
    static bool listening();

    // Now, queued behind what the screen reader is saying.
    void say(const QString &sentence);
    // Once the sound asked for so far has been heard to its end: speech over a Morse character
    // hides it. A newer sentence takes the place of one still waiting, which a newer sound has
    // made stale.
    void sayAfterSound(const QString &sentence);
    // The sentence waiting for the sound, dropped.
    void forget();
    // Said by the announcer of the program's active window a moment from now, once a window that
    // is closing has handed the activation on and the screen reader has named the next one.
    static void sayInActiveWindow(const QString &sentence);

    // Between the end of the sound and the sentence, and again while the sound thread catches up.
    static constexpr int MarginMs = 150;

    // About how long Orca, at its default rate, takes to say these utterances one after another:
    // 21 characters took 1.2 to 1.4 s and 75 took 4.2 s in Spanish, each after a pause of 0.35 s.
    // Rather long than short: a sound that starts under the words is lost, one late is not.
    static int spokenMs(const QStringList &utterances);
    static constexpr int MsPerCharacter = 60;
    static constexpr int MsBetweenUtterances = 700;
    // What Orca says when the focus lands in the window: the focused widget's name and role, then
    // its description, after the window's title and role when the whole window comes back.
    static QStringList focusUtterances(const QWidget &window, bool withTitle);

private:
    void sayWhenQuiet();

    QWidget &m_window;
    QPointer<QStatusBar> m_bar;
    std::array<QWidget *, 3> m_notes{};
    std::size_t m_next = 0;
    QString m_waiting;
    QTimer m_wait;
};

} // namespace runtime
