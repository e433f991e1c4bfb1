#include "ui/qt/QtSkinControls.h"

#include "ui/qt/QtPainterDC.h"
#include "ui/qt/QtSkinText.h"
#include "ui/skin/CBlueEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSizeGrip>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeWidget>

namespace {

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QPalette SkinPalette(const CSkinPalette& p, QPalette base)
{
    base.setColor(QPalette::Window, ToQColor(p.window));
    base.setColor(QPalette::WindowText, ToQColor(p.windowText));
    base.setColor(QPalette::Base, ToQColor(p.base));
    base.setColor(QPalette::Text, ToQColor(p.text));
    base.setColor(QPalette::Highlight, ToQColor(p.highlight));
    base.setColor(QPalette::HighlightedText, ToQColor(p.highlightedText));
    base.setColor(QPalette::Button, ToQColor(p.button));
    base.setColor(QPalette::ButtonText, ToQColor(p.buttonText));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        base.setColor(QPalette::Disabled, role, ToQColor(p.disabledText));
    return base;
}

CSkinControlState StateOf(const QWidget* w)
{
    CSkinControlState s;
    s.cx = w->width();
    s.cy = w->height();
    s.enabled = w->isEnabled();
    s.hot = w->underMouse();
    s.focused = w->hasFocus();
    return s;
}

CSkinControlState StateOf(const QAbstractButton* b)
{
    CSkinControlState s = StateOf(static_cast<const QWidget*>(b));
    s.text = b->text().toStdString();
    s.pressed = b->isDown();
    s.checked = b->isChecked();
    return s;
}

CSkinControlState StateOf(const QLabel* l)
{
    CSkinControlState s = StateOf(static_cast<const QWidget*>(l));
    s.text = l->text().toStdString();
    return s;
}

CSkinControlState StateOf(const QGroupBox* g)
{
    CSkinControlState s = StateOf(static_cast<const QWidget*>(g));
    s.text = g->title().toStdString();
    return s;
}

CSkinControlState StateOf(const QProgressBar* p)
{
    CSkinControlState s = StateOf(static_cast<const QWidget*>(p));
    const int span = p->maximum() - p->minimum();
    s.position = span > 0 ? (p->value() - p->minimum()) * 100 / span : 0;
    return s;
}

// A widget of a standard kind that paints through its wrapper, with the
// state of its kind.
template <class Base>
class SkinPainted : public Base {
public:
    SkinPainted(CSkinControl* skin, QWidget* parent) : Base(parent), m_skin(skin)
    {
        // Enter and leave repaint the control, for its hot state.
        this->setAttribute(Qt::WA_Hover, true);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QtPainterDC dc(painter);
        m_skin->Paint(dc, StateOf(static_cast<const Base*>(this)));
    }

private:
    CSkinControl* m_skin;
};

using SkinButton = SkinPainted<QPushButton>;
using SkinLabel = SkinPainted<QLabel>;
using SkinGroupBox = SkinPainted<QGroupBox>;
using SkinProgress = SkinPainted<QProgressBar>;

// A recoloured widget that keeps its own painting and gets the wrapper's
// overlay (the border of a client edge) on top.
template <class Base>
class SkinOverlaid : public Base {
public:
    SkinOverlaid(CSkinControl* skin, QWidget* parent) : Base(parent), m_skin(skin) {}

protected:
    bool event(QEvent* e) override
    {
        const bool handled = Base::event(e);
        // A scroll area paints its frame in its own paint event, the field
        // in its viewport's: the overlay goes over the frame.
        if (e->type() == QEvent::Paint && m_skin != nullptr) {
            QPainter painter(this);
            QtPainterDC dc(painter);
            m_skin->PaintOverlay(dc, StateOf(this));
        }
        return handled;
    }

private:
    CSkinControl* m_skin;
};

class SkinRichEdit : public SkinOverlaid<QTextEdit> {
public:
    using SkinOverlaid::SkinOverlaid;
    // Keeps the field clear of the skin's border.
    void SetEdgeMargins(int m) { setViewportMargins(m, m, m, m); }
};

// A static that shows an icon: its own painting, not the skin's.
class IconLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QtPainterDC dc(painter);
        dc.DrawThemeIcon(text().toStdString(), MakeRect(0, 0, width(), height()));
    }
};

QWidget* PlainWidget(const CDialogControl& c, QWidget* parent)
{
    const std::string cls = c.ClassName();
    if (c.IsPushButton())
        return new QPushButton(parent);
    if (c.classAtom == CDialogTemplate::kButton) {
        const DWORD type = c.style & BS_TYPEMASK;
        if ((type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) && (c.style & BS_PUSHLIKE) != 0) {
            auto* b = new QPushButton(parent);
            b->setCheckable(true);
            b->setAutoExclusive(true);
            return b;
        }
        return new QPushButton(parent);  // user and owner-drawn buttons
    }
    if (c.classAtom == CDialogTemplate::kStatic && (c.style & 0xF) == SS_ICON)
        return new IconLabel(parent);
    if (cls == "SysListView32" || cls == "SysTreeView32")
        return new QTreeWidget(parent);
    auto* l = new QLabel(parent);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

SkinRichEdit* RichEdit(const CDialogControl& c, CSkinControl* skin, QWidget* parent)
{
    auto* e = new SkinRichEdit(skin, parent);
    e->setReadOnly((c.style & ES_READONLY) != 0);
    e->setAcceptRichText(true);
    e->setTabChangesFocus(true);
    e->setTabStopDistance(48);  // a rich-edit control's default: half an inch
    e->setLineWrapMode((c.style & ES_AUTOHSCROLL) != 0 ? QTextEdit::NoWrap : QTextEdit::WidgetWidth);
    e->setVerticalScrollBarPolicy((c.style & WS_VSCROLL) != 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    e->setHorizontalScrollBarPolicy((c.style & WS_HSCROLL) != 0 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    return e;
}

QWidget* RecolouredWidget(SkinControlKind kind, QWidget* parent)
{
    switch (kind) {
    case SkinControlKind::ListBox:
    case SkinControlKind::ComboLBox: return new QListWidget(parent);
    case SkinControlKind::Slider: return new QSlider(Qt::Horizontal, parent);
    case SkinControlKind::SpinButton: return new QSpinBox(parent);
    case SkinControlKind::ListCtrl:
    case SkinControlKind::TreeCtrl: return new QTreeWidget(parent);
    case SkinControlKind::TabCtrl: return new QTabBar(parent);
    case SkinControlKind::SimpleComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        return combo;
    }
    case SkinControlKind::ComboBox: return new QComboBox(parent);
    case SkinControlKind::Toolbar: return new QToolBar(parent);
    case SkinControlKind::Grip: return new QSizeGrip(parent);
    default: return new QWidget(parent);
    }
}

QWidget* SkinnedWidget(const CDialogControl& c, CSkinControl* skin, QWidget* parent)
{
    switch (skin->Kind()) {
    case SkinControlKind::Static: {
        auto* l = new SkinLabel(skin, parent);
        l->setWordWrap(true);
        return l;
    }
    case SkinControlKind::BitmapButton: return new SkinButton(skin, parent);
    case SkinControlKind::CheckBox: {
        auto* b = new SkinPainted<QCheckBox>(skin, parent);
        b->setTristate((c.style & BS_TYPEMASK) == BS_3STATE || (c.style & BS_TYPEMASK) == BS_AUTO3STATE);
        return b;
    }
    case SkinControlKind::RadioButton: return new SkinPainted<QRadioButton>(skin, parent);
    case SkinControlKind::GroupBox: return new SkinGroupBox(skin, parent);
    case SkinControlKind::Progress: return new SkinProgress(skin, parent);
    case SkinControlKind::Edit: {
        auto* e = new SkinOverlaid<QLineEdit>(skin, parent);
        e->setReadOnly((c.style & ES_READONLY) != 0);
        e->setFrame(static_cast<CBlueEdit*>(skin)->SystemFrame());
        if (!e->hasFrame())
            e->setTextMargins(2, 2, 2, 2);
        return e;
    }
    case SkinControlKind::RichEdit: {
        SkinRichEdit* e = RichEdit(c, skin, parent);
        if (!static_cast<CBlueEdit*>(skin)->SystemFrame()) {
            e->setFrameShape(QFrame::NoFrame);
            // Room for the skin's border of a client edge.
            if ((c.exStyle & WS_EX_CLIENTEDGE) != 0)
                e->SetEdgeMargins(2);
        }
        return e;
    }
    default: return RecolouredWidget(skin->Kind(), parent);
    }
}

}  // namespace

QWidget* CreateControlWidget(const CDialogControl& c, CSkinControl* skin, QWidget* parent)
{
    QWidget* w = nullptr;
    if (skin != nullptr)
        w = SkinnedWidget(c, skin, parent);
    else if (c.IsRichEdit())
        w = RichEdit(c, nullptr, parent);
    else if (c.classAtom == CDialogTemplate::kEdit)
        w = new QLineEdit(parent);
    else
        w = PlainWidget(c, parent);
    if (skin != nullptr) {
        w->setPalette(SkinPalette(skin->Palette(), w->palette()));
        // Recoloured scroll areas fill their field with the palette's base.
        w->setAutoFillBackground(false);
    }
    if (c.font != nullptr)
        w->setFont(ToQFont(*c.font));
    if (auto* b = qobject_cast<QPushButton*>(w)) {
        b->setAutoDefault(false);
        b->setDefault(c.IsDefaultButton());
    }
    return w;
}

void SetControlWidgetText(QWidget* w, const std::string& text)
{
    const QString t = ToQString(text);
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(t);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(t);
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(t);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(t);
    else
        w->setWindowTitle(t);
}
