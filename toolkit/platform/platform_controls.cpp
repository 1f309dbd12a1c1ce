// Platform controls: child widgets of a window's content, found by name.
#include "toolkit/platform/qt_platform.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>

namespace vemora::platform {

namespace {

// Carbon's pop-up buttons count items from 1.
int comboValue(QComboBox* c)
{
    return c->currentIndex() + 1;
}

int16_t partOfAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return kControlUpButtonPart;
    case QAbstractSlider::SliderSingleStepAdd: return kControlDownButtonPart;
    case QAbstractSlider::SliderPageStepSub: return kControlPageUpPart;
    case QAbstractSlider::SliderPageStepAdd: return kControlPageDownPart;
    case QAbstractSlider::SliderMove: return kControlIndicatorPart;
    default: return 0;
    }
}

void wireScrollBar(ControlRef c, QScrollBar* bar)
{
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [c, bar](int action) {
        int16_t part = partOfAction(action);
        if (!part)
            return;
        // Arrows and pages scroll by what the action callback decides, as with live
        // tracking; only the thumb moves by itself.
        if (part != kControlIndicatorPart)
            bar->setSliderPosition(bar->value());
        else
            bar->setValue(bar->sliderPosition());
        ControlActionProc action_ = c->action;
        if (action_)
            action_(c, part);
    });
}

std::set<const PlatformControl*>& liveControls()
{
    static auto* live = new std::set<const PlatformControl*>();
    return *live;
}

} // namespace

PlatformControl::PlatformControl(QWidget* w, PlatformWindow* owner) : widget(w), window(owner)
{
    liveControls().insert(this);
}

PlatformControl::~PlatformControl()
{
    QObject::disconnect(destroyedConnection);
    liveControls().erase(this);
}

bool IsValidControlHandle(ControlRef c)
{
    return c && liveControls().count(c) != 0;
}

ControlRef controlForWidget(PlatformWindow* w, QWidget* widget)
{
    if (!w || !widget)
        return nullptr;
    auto& slot = w->controls[widget];
    if (!slot) {
        slot = std::make_unique<PlatformControl>(widget, w);
        if (auto* bar = qobject_cast<QScrollBar*>(widget))
            wireScrollBar(slot.get(), bar);
        slot->destroyedConnection =
            QObject::connect(widget, &QObject::destroyed, widget, [w, widget] { w->controls.erase(widget); });
    }
    return slot.get();
}

QWidget* controlWidget(ControlRef c)
{
    return c ? c->widget.data() : nullptr;
}

ControlRef GetControlByID(WindowRef w, FourCharCode signature, int32_t id)
{
    if (!w || !w->content())
        return nullptr;
    QString name = stringFromFourCC(signature) + QLatin1Char('_') + QString::number(id);
    auto* widget = w->content()->findChild<QWidget*>(name);
    return widget ? controlForWidget(w, widget) : nullptr;
}

OSStatus CreateScrollBarControl(WindowRef w, const Rect& bounds, int32_t value, int32_t min, int32_t max,
                                int32_t viewSize, bool, ControlActionProc action, ControlRef* out)
{
    if (!w || !w->content() || !out)
        return paramErr;
    QRect q = toQRect(bounds);
    auto* bar = new QScrollBar(q.width() > q.height() ? Qt::Horizontal : Qt::Vertical, w->content());
    bar->setRange(min, std::max(min, max));
    bar->setValue(value);
    bar->setPageStep(std::max(1, viewSize));
    bar->setGeometry(q);
    bar->show();
    ControlRef c = controlForWidget(w, bar);
    c->action = std::move(action);
    *out = c;
    return noErr;
}

void DisposeControl(ControlRef c)
{
    if (!IsValidControlHandle(c))
        return; // already gone with its window
    PlatformWindow* w = c->window;
    QWidget* widget = c->widget;
    if (widget) {
        widget->hide();
        widget->deleteLater();
    }
    if (w)
        w->controls.erase(widget); // destroys c
}

WindowRef GetControlOwner(ControlRef c)
{
    return c ? c->window : nullptr;
}

void SetControlBounds(ControlRef c, const Rect& r)
{
    if (c && c->widget)
        c->widget->setGeometry(toQRect(r));
}

void GetControlBounds(ControlRef c, Rect* r)
{
    if (!r)
        return;
    *r = (c && c->widget) ? toRect(c->widget->geometry()) : Rect();
}

OSStatus GetBestControlRect(ControlRef c, Rect* best)
{
    if (!c || !c->widget || !best)
        return paramErr;
    QRect g = c->widget->geometry();
    QWidget* w = c->widget;
    // Scroll bars, edit fields and group frames take the place they are given; buttons and
    // labels their preferred height, at least their given width.
    if (qobject_cast<QScrollBar*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QGroupBox*>(w) ||
        qobject_cast<QLabel*>(w)) {
        *best = toRect(g);
        return noErr;
    }
    QSize hint = w->sizeHint();
    if (hint.isValid())
        g.setSize(QSize(std::max(g.width(), hint.width()), hint.height()));
    *best = toRect(g);
    return noErr;
}

void SetControl32BitValue(ControlRef c, int32_t v)
{
    if (!c || !c->widget)
        return;
    QWidget* w = c->widget;
    if (auto* s = qobject_cast<QAbstractSlider*>(w))
        s->setValue(v);
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setChecked(v != 0);
    else if (auto* cb = qobject_cast<QComboBox*>(w))
        cb->setCurrentIndex(v - 1);
    else if (auto* sp = qobject_cast<QSpinBox*>(w))
        sp->setValue(v);
}

void SetControl32BitMinimum(ControlRef c, int32_t v)
{
    if (!c || !c->widget)
        return;
    if (auto* s = qobject_cast<QAbstractSlider*>(c->widget.data()))
        s->setMinimum(v);
    else if (auto* sp = qobject_cast<QSpinBox*>(c->widget.data()))
        sp->setMinimum(v);
}

void SetControl32BitMaximum(ControlRef c, int32_t v)
{
    if (!c || !c->widget)
        return;
    if (auto* s = qobject_cast<QAbstractSlider*>(c->widget.data()))
        s->setMaximum(v);
    else if (auto* sp = qobject_cast<QSpinBox*>(c->widget.data()))
        sp->setMaximum(v);
}

int32_t GetControl32BitValue(ControlRef c)
{
    if (!c || !c->widget)
        return 0;
    QWidget* w = c->widget;
    if (auto* s = qobject_cast<QAbstractSlider*>(w))
        return s->value();
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->isChecked() ? 1 : 0;
    if (auto* cb = qobject_cast<QComboBox*>(w))
        return comboValue(cb);
    if (auto* sp = qobject_cast<QSpinBox*>(w))
        return sp->value();
    return 0;
}

int32_t GetControl32BitMinimum(ControlRef c)
{
    if (!c || !c->widget)
        return 0;
    if (auto* s = qobject_cast<QAbstractSlider*>(c->widget.data()))
        return s->minimum();
    if (auto* cb = qobject_cast<QComboBox*>(c->widget.data()))
        return cb->count() ? 1 : 0;
    return 0;
}

int32_t GetControl32BitMaximum(ControlRef c)
{
    if (!c || !c->widget)
        return 0;
    if (auto* s = qobject_cast<QAbstractSlider*>(c->widget.data()))
        return s->maximum();
    if (auto* cb = qobject_cast<QComboBox*>(c->widget.data()))
        return cb->count();
    if (qobject_cast<QAbstractButton*>(c->widget.data()))
        return 1;
    return 0;
}

void SetControlViewSize(ControlRef c, int32_t size)
{
    if (!c || !c->widget)
        return;
    if (auto* s = qobject_cast<QAbstractSlider*>(c->widget.data()))
        s->setPageStep(std::max(1, size));
}

int32_t GetControlViewSize(ControlRef c)
{
    if (!c || !c->widget)
        return 0;
    auto* s = qobject_cast<QAbstractSlider*>(c->widget.data());
    return s ? s->pageStep() : 0;
}

void EnableControl(ControlRef c)
{
    if (c && c->widget)
        c->widget->setEnabled(true);
}

void DisableControl(ControlRef c)
{
    if (c && c->widget)
        c->widget->setEnabled(false);
}

bool IsControlEnabled(ControlRef c)
{
    return c && c->widget && c->widget->isEnabled();
}

void ShowControl(ControlRef c)
{
    if (c && c->widget)
        c->widget->show();
}

void HideControl(ControlRef c)
{
    if (c && c->widget)
        c->widget->hide();
}

bool IsControlVisible(ControlRef c)
{
    return c && c->widget && !c->widget->isHidden();
}

// Qt has no separate "active" state for a child widget: an inactive control is drawn and
// treated as disabled, and comes back enabled when activated (unless it was disabled).
void ActivateControl(ControlRef c)
{
    if (!c || c->active)
        return;
    c->active = true;
    if (c->widget && c->widget->property("vgDisabledBeforeDeactivate").toBool() == false)
        c->widget->setEnabled(true);
}

void DeactivateControl(ControlRef c)
{
    if (!c || !c->active)
        return;
    c->active = false;
    if (c->widget) {
        c->widget->setProperty("vgDisabledBeforeDeactivate", !c->widget->isEnabled());
        c->widget->setEnabled(false);
    }
}

bool IsControlActive(ControlRef c)
{
    return c && c->active;
}

void Draw1Control(ControlRef c)
{
    if (c && c->widget)
        c->widget->update();
}

OSStatus SetControlTitle(ControlRef c, const UniString& title)
{
    if (!c || !c->widget)
        return errUnknownControl;
    QString t = toQString(title);
    QWidget* w = c->widget;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(t);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(t);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(t);
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(t);
    else
        w->setWindowTitle(t);
    return noErr;
}

OSStatus CopyControlTitle(ControlRef c, UniString* title)
{
    if (!c || !c->widget || !title)
        return errUnknownControl;
    QWidget* w = c->widget;
    QString t;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        t = b->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        t = g->title();
    else if (auto* l = qobject_cast<QLabel*>(w))
        t = l->text();
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        t = e->text();
    else
        t = w->windowTitle();
    *title = fromQString(t);
    return noErr;
}

OSStatus SetControlText(ControlRef c, const UniString& text)
{
    if (!c || !c->widget)
        return errUnknownControl;
    if (auto* l = qobject_cast<QLabel*>(c->widget.data()))
        l->setText(toQString(text));
    else if (auto* e = qobject_cast<QLineEdit*>(c->widget.data()))
        e->setText(toQString(text));
    else if (auto* sp = qobject_cast<QAbstractSpinBox*>(c->widget.data()))
        sp->setProperty("text", toQString(text));
    else
        return SetControlTitle(c, text);
    return noErr;
}

OSStatus GetControlText(ControlRef c, UniString* text)
{
    if (!c || !c->widget || !text)
        return errUnknownControl;
    if (auto* l = qobject_cast<QLabel*>(c->widget.data()))
        *text = fromQString(l->text());
    else if (auto* e = qobject_cast<QLineEdit*>(c->widget.data()))
        *text = fromQString(e->text());
    else
        return CopyControlTitle(c, text);
    return noErr;
}

void SetControlReference(ControlRef c, void* ref)
{
    if (c)
        c->reference = ref;
}

void* GetControlReference(ControlRef c)
{
    return c ? c->reference : nullptr;
}

void SetControlAction(ControlRef c, ControlActionProc action)
{
    if (c)
        c->action = std::move(action);
}

MenuRef GetControlMenu(ControlRef c)
{
    if (!c || !c->widget)
        return nullptr;
    if (!c->menu) {
        if (auto* cb = qobject_cast<QComboBox*>(c->widget.data())) {
            c->menu = std::make_unique<PlatformMenu>();
            c->menu->combo = cb;
        } else if (auto* tb = qobject_cast<QToolButton*>(c->widget.data())) {
            if (!tb->menu()) {
                tb->setMenu(new QMenu(tb));
                tb->setPopupMode(QToolButton::InstantPopup);
            }
            c->menu = std::make_unique<PlatformMenu>();
            c->menu->menu = tb->menu();
        } else {
            return nullptr;
        }
    }
    return c->menu.get();
}

OSStatus SetKeyboardFocus(WindowRef w, ControlRef c)
{
    if (!w)
        return paramErr;
    if (c && c->widget)
        c->widget->setFocus(Qt::OtherFocusReason);
    else if (w->content())
        w->content()->setFocus(Qt::OtherFocusReason);
    return noErr;
}

FourCharCode GetControlCommandID(ControlRef c)
{
    return (c && c->widget) ? fourCCFromString(c->widget->property("command").toString()) : 0;
}

} // namespace vemora::platform
