// QtDialogWindow: a dialog's window in Qt Widgets. It is a frameless
// top-level window of the dialog's outer size that paints the dialog's
// frame and caption itself (off-screen, then copied) and sends presses on
// them to the dialog's non-client handling; the client area is a child
// widget at the dialog's client offset that paints the dialog's background
// and paint handler. Controls are placed at the dialog's pixel geometry and
// carry their dialog id as object name; the window's object name is the
// template id, the client area's "client". Clicks, Escape, Enter, Alt+F4,
// focus changes, close requests, activation and tooltips go to the dialog.
#pragma once

#include "ui/DialogView.h"

#include <QPixmap>
#include <QPoint>
#include <QWidget>
#include <map>

class QtClientArea;

class QtDialogWindow : public QWidget, public IDialogView {
public:
    QtDialogWindow(CDialog& dialog, QWidget* owner);
    ~QtDialogWindow() override;

    void SetCaption(const std::string& text) override;
    void SetControlText(WORD id, const std::string& text) override;
    void SetControlGeometry(WORD id, const CDialogRect& rect) override;
    void SetControlVisible(WORD id, bool visible) override;
    void SetControlRichText(WORD id, const RtfDocument& document) override;
    void SetWindowGeometry(const CDialogRect& outer, const CDialogRect& client) override;
    CDialogRect Centre(const CDialogRect& outer) override;
    void Show(bool visible) override;
    void SetFocusControl(WORD id) override;
    void SetIcon(const platform::PixelImage* image) override;
    void SetEnabled(bool enabled) override;
    void Repaint() override;
    void RepaintControl(WORD id) override;
    void RepaintFrame() override;
    void DefaultSysCommand(UINT nID) override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* Control(WORD id) const;
    // A point of this window in the screen coordinates the dialog keeps.
    POINT DialogPoint(const QPoint& local) const;
    const QPixmap& Frame();

    CDialog& m_dialog;
    QtClientArea* m_client;
    std::map<WORD, QWidget*> m_controls;
    QPoint m_placed;  // where the dialog put the window
    bool m_bPlaced = false;
    QPixmap m_frame;  // the painted frame, until it changes
    bool m_frameValid = false;
    // A move the window system could not start is dragged by hand.
    bool m_dragging = false;
    QPoint m_dragOffset;
};
