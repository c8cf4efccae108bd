// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundnotice.h"

#include "colours.h"

#include <QEvent>
#include <QLabel>

namespace runtime {

namespace {

SoundServerNotice *theNotice = nullptr;

// Keeps the notice along the foot of its window, whatever the window's size.
class FootLine final : public QLabel
{
public:
    explicit FootLine(QWidget &window) : QLabel(QString::fromUtf8(SoundServerNotice::Text), &window)
    {
        setObjectName(QStringLiteral("soundNotice"));
        setWordWrap(true);
        setMargin(4);
        setFrameShape(QFrame::Box);
        setAutoFillBackground(true);
        // The desktop's tool-tip colours, which read as a notice on every window of the program.
        QPalette notice = palette();
        notice.setColor(QPalette::Window, classicPalette().color(QPalette::ToolTipBase));
        notice.setColor(QPalette::WindowText, classicPalette().color(QPalette::ToolTipText));
        setPalette(notice);
        setAccessibleName(text());
        window.installEventFilter(this);
        place();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::Resize)
            place();
        return false;
    }

private:
    void place()
    {
        const QWidget &window = *parentWidget();
        const int height = heightForWidth(window.width());
        setGeometry(0, window.height() - height, window.width(), height);
        raise();
    }
};

} // namespace

SoundServerNotice::SoundServerNotice(platform::SoundOutput &sound, QObject *parent)
    : QObject(parent), m_sound(sound)
{
    theNotice = this;
    // The news comes on the player's thread: it crosses to this one as a queued call. The
    // destructor waits for any call on its way, so `this` is alive for each.
    m_sound.watchServer([this](bool answers) {
        QMetaObject::invokeMethod(
            this, [this, answers] { setSilent(!answers); }, Qt::QueuedConnection);
    });
}

SoundServerNotice::~SoundServerNotice()
{
    // No call to the watcher is on its way once this returns.
    m_sound.watchServer({});
    if (theNotice == this)
        theNotice = nullptr;
}

SoundServerNotice *SoundServerNotice::instance()
{
    return theNotice;
}

void SoundServerNotice::setSilent(bool silent)
{
    if (silent == m_silent)
        return;
    m_silent = silent;
    emit silentChanged(silent);
}

void SoundServerNotice::addTo(QWidget &window)
{
    SoundServerNotice *notice = instance();
    if (!notice)
        return;
    auto *line = new FootLine(window);
    line->setVisible(notice->silent());
    connect(notice, &SoundServerNotice::silentChanged, line, &QWidget::setVisible);
}

} // namespace runtime
