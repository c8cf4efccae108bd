// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace runtime {

class Form;

// The real window behind a Form, made anew at each load. It passes the desktop's events to the
// form and takes its frame, size and placement from properties of the window's layout:
//   BorderStyle "sizable" | "fixed" | "fixedDialog"; ControlBox, MaxButton, MinButton, TitleBar
//   and ShowInTaskbar (bool); WindowState "normal" | "maximized"; StartUpPosition "centerScreen";
//   BackColor and ForeColor (a colour as layoutColour reads it).
// The window manager is asked for exactly the frame the layout gives; where one offers more anyway
// (a close button, a restore), the window holds to its layout.
class FormWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit FormWindow(Form &form);

    // Frame and size as the layout asks; called once the controls are built.
    void applyLayoutSettings();
    // Puts the window on screen in the state its layout asks for, back from minimised if need be.
    void present();

    // Width of the thin frame that a window without a title bar draws around itself.
    static constexpr int DrawnFrameWidth = 2;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool live() const;
    void addDrawnFrame();
    void keepMaximized();

    Form &m_form;
    bool m_presented = false;
    bool m_hasCloseControl = true;
    bool m_staysMaximized = false;
    bool m_drawsFrame = false;
};

} // namespace runtime
