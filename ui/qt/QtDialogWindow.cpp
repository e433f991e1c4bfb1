#include "ui/qt/QtDialogWindow.h"

#include "ui/CDialog.h"
#include "ui/qt/QtPainterDC.h"
#include "ui/qt/QtSkinControls.h"
#include "ui/qt/QtSkinText.h"
#include "ui/qt/RtfTextDocument.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

// The client area: the dialog's background (WM_ERASEBKGND), then its paint
// handler (WM_PAINT); the controls are its children.
class QtClientArea : public QWidget {
public:
    QtClientArea(CDialog& dialog, QWidget* parent) : QWidget(parent), m_dialog(dialog)
    {
        setObjectName(QStringLiteral("client"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QtPainterDC dc(painter);
        m_dialog.ViewEraseBackground(dc);
        m_dialog.ViewPaint(&dc);
    }

private:
    CDialog& m_dialog;
};

namespace {

Qt::Edges EdgesOf(UINT sizeCommand)
{
    switch (sizeCommand & 0xF) {
    case 1: return Qt::LeftEdge;
    case 2: return Qt::RightEdge;
    case 3: return Qt::TopEdge;
    case 4: return Qt::TopEdge | Qt::LeftEdge;
    case 5: return Qt::TopEdge | Qt::RightEdge;
    case 6: return Qt::BottomEdge;
    case 7: return Qt::BottomEdge | Qt::LeftEdge;
    case 8: return Qt::BottomEdge | Qt::RightEdge;
    default: return {};
    }
}

Qt::CursorShape CursorOf(int hit)
{
    switch (hit) {
    case HTLEFT:
    case HTRIGHT: return Qt::SizeHorCursor;
    case HTTOP:
    case HTBOTTOM: return Qt::SizeVerCursor;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: return Qt::SizeFDiagCursor;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: return Qt::SizeBDiagCursor;
    default: return Qt::ArrowCursor;
    }
}

}  // namespace

QtDialogWindow::QtDialogWindow(CDialog& dialog, QWidget* owner)
    : QWidget(nullptr, Qt::Dialog), m_dialog(dialog), m_client(new QtClientArea(dialog, this))
{
    setObjectName(QString::number(dialog.TemplateId()));
    // The dialog draws its own frame and caption.
    Qt::WindowFlags flags = Qt::Dialog | Qt::FramelessWindowHint;
    // A system-modal dialog stays above every other window.
    if ((dialog.GetStyle() & DS_SYSMODAL) != 0)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    // The window has no Qt parent (a disabled parent would disable it too);
    // the dialog disables its owner while it runs, and the modality keeps
    // every other window from input.
    setWindowModality(Qt::ApplicationModal);
    if (owner != nullptr) {
        // Kept above its owner by the window manager.
        winId();
        if (windowHandle() != nullptr && owner->windowHandle() != nullptr)
            windowHandle()->setTransientParent(owner->windowHandle());
    }
    setFont(ToQFont(dialog.DialogFont()));
    setAttribute(Qt::WA_DeleteOnClose, false);
    // The frame is painted whole; nothing of the window shows through.
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setMouseTracking(true);

    for (const CDialogControl& c : dialog.Controls()) {
        QWidget* w = CreateControlWidget(c, dialog.SkinControl(c.id), m_client);
        w->setObjectName(QString::number(c.id));
        w->setFocusPolicy((c.style & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::NoFocus);
        w->installEventFilter(this);
        // BN_CLICKED: the button's command.
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            const WORD id = c.id;
            QObject::connect(b, &QAbstractButton::clicked, this, [this, id] { m_dialog.ViewCommand(id); });
        }
        m_controls[c.id] = w;
    }
}

QtDialogWindow::~QtDialogWindow() = default;

QWidget* QtDialogWindow::Control(WORD id) const
{
    auto it = m_controls.find(id);
    return it != m_controls.end() ? it->second : nullptr;
}

void QtDialogWindow::SetCaption(const std::string& text)
{
    // The window system knows the title too (task bars, window lists).
    setWindowTitle(ToQString(text));
    RepaintFrame();
}

void QtDialogWindow::SetControlText(WORD id, const std::string& text)
{
    if (QWidget* w = Control(id))
        SetControlWidgetText(w, text);
}

void QtDialogWindow::SetControlGeometry(WORD id, const CDialogRect& rect)
{
    if (QWidget* w = Control(id))
        w->setGeometry(rect.x, rect.y, rect.cx, rect.cy);
}

void QtDialogWindow::SetControlVisible(WORD id, bool visible)
{
    if (QWidget* w = Control(id))
        w->setVisible(visible);
}

void QtDialogWindow::SetControlRichText(WORD id, const RtfDocument& document)
{
    if (auto* e = qobject_cast<QTextEdit*>(Control(id)))
        FillTextDocument(document, *e->document(), e->font());
}

void QtDialogWindow::SetWindowGeometry(const CDialogRect& outer, const CDialogRect& client)
{
    setFixedSize(outer.cx, outer.cy);
    m_client->setGeometry(client.x, client.y, client.cx, client.cy);
    m_placed = QPoint(outer.x, outer.y);
    m_bPlaced = true;
    move(m_placed);
    RepaintFrame();
}

CDialogRect QtDialogWindow::Centre(const CDialogRect& outer)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    CDialogRect r = outer;
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        r.x = area.x() + (area.width() - outer.cx) / 2;
        r.y = area.y() + (area.height() - outer.cy) / 2;
    }
    return r;
}

void QtDialogWindow::Show(bool visible)
{
    if (visible) {
        show();
        // A server-less platform has no stacking to ask for; activation it has.
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            raise();
        activateWindow();
    } else {
        hide();
    }
}

void QtDialogWindow::SetFocusControl(WORD id)
{
    if (QWidget* w = Control(id))
        w->setFocus(Qt::OtherFocusReason);
}

void QtDialogWindow::SetIcon(const platform::PixelImage* image)
{
    if (image == nullptr || image->width <= 0 || image->height <= 0)
        return;
    const QImage img(reinterpret_cast<const uchar*>(image->pixels.data()), image->width, image->height,
                     image->width * 4, QImage::Format_ARGB32);
    setWindowIcon(QIcon(QPixmap::fromImage(img.copy())));
}

void QtDialogWindow::SetEnabled(bool enabled)
{
    setEnabled(enabled);
}

void QtDialogWindow::Repaint()
{
    m_frameValid = false;
    update();
    m_client->update();
}

void QtDialogWindow::RepaintControl(WORD id)
{
    if (QWidget* w = Control(id))
        w->update();
}

void QtDialogWindow::RepaintFrame()
{
    m_frameValid = false;
    update();
}

void QtDialogWindow::DefaultSysCommand(UINT nID)
{
    QWindow* window = windowHandle();
    switch (nID & 0xFFF0u) {
    case SC_MOVE:
        // The window system moves the window (X11 and Wayland alike); where
        // it cannot, the press is dragged by hand.
        if (window == nullptr || !window->startSystemMove()) {
            m_dragging = true;
            m_dragOffset = QCursor::pos() - pos();
        }
        break;
    case SC_SIZE:
        if (window != nullptr)
            window->startSystemResize(EdgesOf(nID));
        break;
    case SC_MINIMIZE: showMinimized(); break;
    case SC_MAXIMIZE: showMaximized(); break;
    case SC_RESTORE: showNormal(); break;
    default: break;
    }
}

const QPixmap& QtDialogWindow::Frame()
{
    const qreal ratio = devicePixelRatioF();
    if (!m_frameValid || m_frame.size() != size() * ratio) {
        // Off-screen first, then copied whole.
        m_frame = QPixmap(size() * ratio);
        m_frame.setDevicePixelRatio(ratio);
        m_frame.fill(Qt::transparent);
        QPainter painter(&m_frame);
        QtPainterDC dc(painter);
        m_dialog.ViewNcPaint(dc);
        m_frameValid = true;
    }
    return m_frame;
}

bool QtDialogWindow::event(QEvent* e)
{
    const bool handled = QWidget::event(e);
    // An update request repaints the window and every control in it.
    if (e->type() == QEvent::UpdateRequest)
        m_dialog.ViewPainted();
    return handled;
}

void QtDialogWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, Frame());
}

void QtDialogWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        m_dialog.ViewEscape();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_dialog.ViewEnter();
        return;
    case Qt::Key_F4:
        // The system's close key: SC_CLOSE, which the dialog may swallow.
        if ((event->modifiers() & Qt::AltModifier) != 0) {
            m_dialog.ViewCloseRequest();
            return;
        }
        break;
    default: break;
    }
    QWidget::keyPressEvent(event);
}

void QtDialogWindow::closeEvent(QCloseEvent* event)
{
    // The window manager's close (Alt+F4 there, a task bar's close) is a
    // system command; the dialog decides, and the window stays until the
    // dialog ends.
    event->ignore();
    m_dialog.ViewCloseRequest();
}

void QtDialogWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // A move the user made through the window system (by a drag it allowed,
    // by its keyboard move) is a system command the dialog may swallow; the
    // window then goes back.
    if (!event->spontaneous() || !m_bPlaced || !isVisible() || pos() == m_placed)
        return;
    if (m_dialog.ViewMoveRequest(pos().x(), pos().y()))
        m_placed = pos();
    else
        QTimer::singleShot(0, this, [this] { move(m_placed); });
}

void QtDialogWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        m_dialog.ViewNcActivate(isActiveWindow());
    else if (event->type() == QEvent::WindowStateChange)
        m_dialog.ViewWindowState(isMinimized(), isMaximized());
}

POINT QtDialogWindow::DialogPoint(const QPoint& local) const
{
    const CDialogRect w = m_dialog.GetWindowRect();
    return POINT{w.x + local.x(), w.y + local.y()};
}

void QtDialogWindow::mousePressEvent(QMouseEvent* event)
{
    // The client area and the controls take their own presses: what comes
    // here is on the frame.
    if (event->button() == Qt::LeftButton)
        m_dialog.ViewNcLButtonDown(DialogPoint(event->position().toPoint()));
    event->accept();
}

void QtDialogWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton) != 0) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        m_placed = pos();
        m_dialog.ViewMoveRequest(pos().x(), pos().y());
        return;
    }
    setCursor(CursorOf(m_dialog.ViewNcHitTest(DialogPoint(event->position().toPoint()))));
}

void QtDialogWindow::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

bool QtDialogWindow::eventFilter(QObject* watched, QEvent* event)
{
    const int id = watched->objectName().toInt();
    if (event->type() == QEvent::FocusIn) {
        m_dialog.ViewFocus(id);
    } else if (event->type() == QEvent::ToolTip) {
        // TTN_NEEDTEXT: the dialog gives the control's tooltip, if any.
        const std::string text = m_dialog.ViewToolTipText(id);
        auto* help = static_cast<QHelpEvent*>(event);
        if (text.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), ToQString(text), static_cast<QWidget*>(watched));
        return true;
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Enter and Escape belong to the dialog, whichever control has the
        // focus (a push button would otherwise take Enter as a click only
        // when it is the default one). A multi-line edit that wants Enter
        // keeps it (a line break).
        auto* edit = qobject_cast<QTextEdit*>(watched);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const CDialogControl* c = m_dialog.GetDlgItem(id);
        if (enter && edit != nullptr && !edit->isReadOnly() && c != nullptr && (c->style & ES_WANTRETURN) != 0)
            return QWidget::eventFilter(watched, event);
        if (key->key() == Qt::Key_Escape || enter) {
            // Keys go to the control with the focus, whatever the window
            // manager said about activation.
            m_dialog.ViewFocus(id);
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
