#pragma once

#include <QWidget>

namespace runtime {

class Form;

// The real window behind a Form, made anew at each load. It passes the desktop's events to the
// form and takes its frame, size and placement from properties of the window's layout:
//   BorderStyle "sizable" | "fixed" | "fixedDialog"; ControlBox, MaxButton, MinButton, TitleBar
//   and ShowInTaskbar (bool); WindowState "normal" | "maximized"; StartUpPosition "centerScreen".
class FormWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit FormWindow(Form &form);

    // Frame and size as the layout asks; called once the controls are built.
    void applyLayoutSettings();
    // Puts the window on screen in the state its layout asks for.
    void present();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool live() const;

    Form &m_form;
    bool m_presented = false;
};

} // namespace runtime
