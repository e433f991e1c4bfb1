#include "ui/qt/QtDialogWindow.h"

#include "ui/CDialog.h"
#include "ui/qt/QtPainterDC.h"
#include "ui/qt/RtfTextDocument.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTextEdit>
#include <QMoveEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

// "&More Details": the ampersand marks the mnemonic in both systems.
QString ControlText(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QtDialogWindow::QtDialogWindow(CDialog& dialog, QWidget* owner) : QWidget(nullptr, Qt::Dialog), m_dialog(dialog)
{
    setObjectName(QString::number(dialog.TemplateId()));
    // A caption without buttons: the dialogs take the system menu away.
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if ((dialog.GetStyle() & WS_SYSMENU) != 0)
        flags |= Qt::WindowCloseButtonHint;
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
    QFont font(CDialog::kFontFamily);
    font.setPixelSize(dialog.FontPixelSize());
    font.setStyleStrategy(QFont::PreferDefault);
    setFont(font);
    setAttribute(Qt::WA_DeleteOnClose, false);

    for (const CDialogControl& c : dialog.Controls()) {
        QWidget* w = nullptr;
        if (c.IsPushButton()) {
            auto* b = new QPushButton(this);
            b->setAutoDefault(false);
            b->setDefault(c.IsDefaultButton());
            const WORD id = c.id;
            QObject::connect(b, &QPushButton::clicked, this, [this, id] { m_dialog.ViewCommand(id); });
            w = b;
        } else if (c.IsRichEdit()) {
            auto* e = new QTextEdit(this);
            e->setReadOnly((c.style & ES_READONLY) != 0);
            e->setAcceptRichText(true);
            e->setTabChangesFocus(true);
            e->setTabStopDistance(48);  // a rich-edit control's default: half an inch
            e->setLineWrapMode((c.style & ES_AUTOHSCROLL) != 0 ? QTextEdit::NoWrap : QTextEdit::WidgetWidth);
            e->setVerticalScrollBarPolicy((c.style & WS_VSCROLL) != 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            e->setHorizontalScrollBarPolicy((c.style & WS_HSCROLL) != 0 ? Qt::ScrollBarAsNeeded
                                                                        : Qt::ScrollBarAlwaysOff);
            w = e;
        } else if (c.classAtom == CDialogTemplate::kEdit) {
            auto* e = new QLineEdit(this);
            e->setReadOnly((c.style & ES_READONLY) != 0);
            w = e;
        } else {
            auto* l = new QLabel(this);
            l->setWordWrap(true);
            l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            if ((c.exStyle & WS_EX_TRANSPARENT) != 0)
                l->setAttribute(Qt::WA_TranslucentBackground);
            w = l;
        }
        w->setObjectName(QString::number(c.id));
        if ((c.style & WS_TABSTOP) != 0)
            w->setFocusPolicy(Qt::StrongFocus);
        else
            w->setFocusPolicy(Qt::NoFocus);
        w->installEventFilter(this);
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
    setWindowTitle(ControlText(text));
}

void QtDialogWindow::SetControlText(WORD id, const std::string& text)
{
    QWidget* w = Control(id);
    if (auto* b = qobject_cast<QPushButton*>(w))
        b->setText(ControlText(text));
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(ControlText(text));
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(ControlText(text));
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
    // Qt places the client area; the window manager adds its own frame
    // around it.
    setFixedSize(client.cx, client.cy);
    m_placed = QPoint(outer.x + client.x, outer.y + client.y);
    m_bPlaced = true;
    move(m_placed);
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
        // Server-less platforms have no stacking or activation to ask for.
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
            raise();
            activateWindow();
        }
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
    update();
}

void QtDialogWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QtPainterDC dc(painter);
    m_dialog.ViewPaint(&dc);
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
    default:
        QWidget::keyPressEvent(event);
    }
}

void QtDialogWindow::closeEvent(QCloseEvent* event)
{
    // The window manager's close (its button, Alt+F4) is a system command;
    // the dialog decides, and the window stays until the dialog ends.
    event->ignore();
    m_dialog.ViewCloseRequest();
}

void QtDialogWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // A move the user made (by the caption, through the window manager) is a
    // system command the dialog may swallow; the window then goes back.
    if (!event->spontaneous() || !m_bPlaced || !isVisible() || pos() == m_placed)
        return;
    if (m_dialog.ViewMoveRequest())
        m_placed = pos();
    else
        QTimer::singleShot(0, this, [this] { move(m_placed); });
}

bool QtDialogWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        m_dialog.ViewFocus(watched->objectName().toInt());
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Enter and Escape belong to the dialog, whichever control has the
        // focus (a push button would otherwise take Enter as a click only
        // when it is the default one).
        // A multi-line edit that wants Enter keeps it (a line break).
        auto* edit = qobject_cast<QTextEdit*>(watched);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && edit != nullptr && !edit->isReadOnly() &&
            (m_dialog.GetDlgItem(watched->objectName().toInt()) != nullptr &&
             (m_dialog.GetDlgItem(watched->objectName().toInt())->style & ES_WANTRETURN) != 0))
            return QWidget::eventFilter(watched, event);
        if (key->key() == Qt::Key_Escape || enter) {
            // Keys go to the control with the focus, whatever the window
            // manager said about activation.
            m_dialog.ViewFocus(watched->objectName().toInt());
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
