// QtDialogWindow: a dialog's window in Qt Widgets. Controls are placed at the
// dialog's pixel geometry and carry their dialog id as object name; the
// window's object name is the template id. Clicks, Escape, Enter, focus
// changes, close requests and painting go to the dialog.
#pragma once

#include "ui/DialogView.h"

#include <QPoint>
#include <QWidget>
#include <map>

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

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* Control(WORD id) const;

    CDialog& m_dialog;
    std::map<WORD, QWidget*> m_controls;
    QPoint m_placed;  // where the dialog put the window
    bool m_bPlaced = false;
};
