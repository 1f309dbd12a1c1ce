// Windows, their backing-store port, immediate drawing and event translation.
#include "toolkit/platform/qt_platform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QMimeData>
#include <QMenuBar>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>
#include <QVBoxLayout>
#include <QWindow>
#include <QGuiApplication>

#include <cstring>

namespace vemora::platform {

// ---------------------------------------------------------------- helpers

QRect toQRect(const Rect& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

Rect toRect(const QRect& r)
{
    Rect out;
    out.top = static_cast<int16_t>(r.top());
    out.left = static_cast<int16_t>(r.left());
    out.bottom = static_cast<int16_t>(r.top() + r.height());
    out.right = static_cast<int16_t>(r.left() + r.width());
    return out;
}

QString toQString(const UniString& s)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(s.data()), static_cast<qsizetype>(s.length()));
}

UniString fromQString(const QString& s)
{
    std::vector<unsigned short> units(s.utf16(), s.utf16() + s.size());
    return UniString(std::move(units));
}

FourCharCode fourCCFromString(const QString& s)
{
    QByteArray b = s.toLatin1();
    if (b.size() != 4)
        return 0;
    return (FourCharCode(uint8_t(b[0])) << 24) | (FourCharCode(uint8_t(b[1])) << 16) |
           (FourCharCode(uint8_t(b[2])) << 8) | FourCharCode(uint8_t(b[3]));
}

QString stringFromFourCC(FourCharCode c)
{
    char s[4] = {char(c >> 24), char(c >> 16), char(c >> 8), char(c)};
    return QString::fromLatin1(s, 4);
}

uint32_t toModifiers(Qt::KeyboardModifiers m)
{
    uint32_t out = 0;
    if (m & Qt::ControlModifier)
        out |= cmdKey;
    if (m & Qt::ShiftModifier)
        out |= shiftKey;
    if (m & Qt::AltModifier)
        out |= optionKey;
    if (m & Qt::MetaModifier)
        out |= controlKey;
    return out;
}

bool IsEventClass(const Event& e, FourCharCode cls, uint32_t kind)
{
    return e.eventClass == cls && e.kind == kind;
}

PlatformWindow* windowOfWidget(QWidget* w)
{
    for (; w; w = w->parentWidget()) {
        if (auto* c = qobject_cast<ContentWidget*>(w))
            return c->owner;
        if (auto* f = qobject_cast<FrameWidget*>(w))
            return f->owner;
    }
    return nullptr;
}

// ---------------------------------------------------------------- PlatformWindow

PlatformWindow::PlatformWindow(QWidget* frame, ContentWidget* content, bool withMenuBar)
    : frame_(frame), content_(content)
{
    themePen = QApplication::palette().color(QPalette::Active, QPalette::Window);
    if (auto* f = qobject_cast<FrameWidget*>(frame))
        f->owner = this;
    content->owner = this;
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (withMenuBar) {
        auto* bar = new QMenuBar(frame);
        bar->setNativeMenuBar(false);
        extern void attachSharedMenus(QMenuBar*);
        attachSharedMenus(bar);
        layout->setMenuBar(bar);
    }
    layout->addWidget(content);
}

PlatformWindow::~PlatformWindow()
{
    controls.clear();
    if (content_)
        content_->owner = nullptr;
    if (auto* f = qobject_cast<FrameWidget*>(frame_.data()))
        f->owner = nullptr;
    if (frame_) {
        frame_->hide();
        frame_->deleteLater(); // may be inside one of its own event handlers
    }
}

QImage& PlatformWindow::backingStore()
{
    content_->ensureBacking();
    return content_->backing;
}

void PlatformWindow::markDirty(const QRect& r)
{
    if (content_ && !r.isEmpty())
        content_->update(r);
}

OSStatus PlatformWindow::dispatch(Event& e)
{
    e.window = this;
    if (disposed || !handler || !wants(e.eventClass, e.kind))
        return eventNotHandledErr;
    EventHandler h = handler; // the handler may dispose of the window
    return h(nullptr, &e);
}

// ---------------------------------------------------------------- ContentWidget

ContentWidget::ContentWidget(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ContentWidget::ensureBacking()
{
    QSize want = size().expandedTo(QSize(1, 1));
    if (backing.size() == want)
        return;
    QImage fresh(want, QImage::Format_RGB32);
    fresh.fill(owner ? owner->themePen : palette().color(QPalette::Window));
    if (!backing.isNull()) {
        QPainter p(&fresh);
        p.drawImage(0, 0, backing);
    }
    backing = fresh;
}

void ContentWidget::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    ensureBacking();
    needsFullDraw = true;
}

void ContentWidget::paintEvent(QPaintEvent* e)
{
    ensureBacking();
    if (needsFullDraw && owner) {
        needsFullDraw = false;
        Event ev;
        ev.eventClass = kEventClassWindow;
        ev.kind = kEventWindowDrawContent;
        QPointer<ContentWidget> self(this);
        owner->dispatch(ev);
        if (!self)
            return;
    }
    QPainter p(this);
    for (const QRect& r : e->region())
        p.drawImage(r, backing, r);
}

bool ContentWidget::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride && owner) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_W && (k->modifiers() & Qt::ControlModifier)) {
            Event ev;
            ev.eventClass = kEventClassWindow;
            ev.kind = kEventWindowClose;
            owner->dispatch(ev);
            e->accept();
            return true;
        }
    }
    return QWidget::event(e);
}

bool ContentWidget::sendMouse(QMouseEvent* e, uint32_t kind)
{
    if (!owner)
        return false;
    Event ev;
    ev.eventClass = kEventClassMouse;
    ev.kind = kind;
    QPointF g = mapToGlobal(e->position());
    ev.mouseLocation = {g.x(), g.y()};
    ev.modifiers = toModifiers(e->modifiers());
    ev.mouseButton = e->button() == Qt::RightButton ? 2 : e->button() == Qt::MiddleButton ? 3 : 1;
    return owner->dispatch(ev) == noErr;
}

void ContentWidget::mousePressEvent(QMouseEvent* e)
{
    setFocus(Qt::MouseFocusReason);
    e->setAccepted(sendMouse(e, kEventMouseDown));
}

void ContentWidget::mouseReleaseEvent(QMouseEvent* e)
{
    e->setAccepted(sendMouse(e, kEventMouseUp));
}

void ContentWidget::mouseMoveEvent(QMouseEvent* e)
{
    e->setAccepted(sendMouse(e, e->buttons() ? kEventMouseDragged : kEventMouseMoved));
}

// 'keyb' 1 or 3 for a key, 4 when the key is a modifier.
void ContentWidget::sendKey(QKeyEvent* e, uint32_t kind)
{
    if (!owner)
        return;
    if (e->key() == Qt::Key_W && (e->modifiers() & Qt::ControlModifier)) {
        e->accept(); // already sent as the close request
        return;
    }
    Event ev;
    ev.eventClass = kEventClassKeyboard;
    bool modifierKey = e->key() == Qt::Key_Control || e->key() == Qt::Key_Shift || e->key() == Qt::Key_Alt ||
                       e->key() == Qt::Key_Meta;
    ev.modifiers = toModifiers(e->modifiers());
    ev.keyCode = static_cast<uint32_t>(e->nativeScanCode());
    QString t = e->text();
    ev.character = (t.size() == 1 && t[0].unicode() < 128) ? char(t[0].unicode()) : 0;
    if (!ev.character && e->key() >= 0x20 && e->key() < 0x7F)
        ev.character = char(QChar(e->key()).toLower().unicode());
    ev.kind = modifierKey ? kEventRawKeyModifiersChanged : kind;
    e->setAccepted(owner->dispatch(ev) == noErr);
}

void ContentWidget::keyPressEvent(QKeyEvent* e)
{
    sendKey(e, kEventRawKeyDown);
}

void ContentWidget::keyReleaseEvent(QKeyEvent* e)
{
    sendKey(e, kEventRawKeyUp);
}

void ContentWidget::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void ContentWidget::dropEvent(QDropEvent* e)
{
    QStringList paths;
    for (const QUrl& u : e->mimeData()->urls())
        if (u.isLocalFile())
            paths << u.toLocalFile();
    if (!paths.isEmpty()) {
        e->acceptProposedAction();
        deliverOpenFiles(paths);
    }
}

// ---------------------------------------------------------------- FrameWidget

FrameWidget::FrameWidget(QWidget* parent) : QWidget(parent)
{
    dragTimer_.setSingleShot(true);
    dragTimer_.setInterval(300);
    QObject::connect(&dragTimer_, &QTimer::timeout, this, [this] {
        if (!owner)
            return;
        Event ev;
        ev.eventClass = kEventClassWindow;
        ev.kind = kEventWindowDragCompleted;
        owner->dispatch(ev);
    });
}

bool FrameWidget::event(QEvent* e)
{
    if (owner && (e->type() == QEvent::WindowActivate || e->type() == QEvent::WindowDeactivate)) {
        bool result = QWidget::event(e);
        Event ev;
        ev.eventClass = kEventClassWindow;
        ev.kind = e->type() == QEvent::WindowActivate ? kEventWindowActivated : kEventWindowDeactivated;
        owner->dispatch(ev);
        return result;
    }
    return QWidget::event(e);
}

void FrameWidget::closeEvent(QCloseEvent* e)
{
    // The window's own close handling decides; the frame never closes itself.
    e->ignore();
    if (!owner)
        return;
    Event ev;
    ev.eventClass = kEventClassWindow;
    ev.kind = kEventWindowClose;
    owner->dispatch(ev);
}

void FrameWidget::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    if (!owner || !isVisible())
        return;
    Event ev;
    ev.eventClass = kEventClassWindow;
    ev.kind = kEventWindowBoundsChanged;
    ev.attributes = kWindowBoundsChangeOriginChanged;
    owner->dispatch(ev);
    dragTimer_.start();
}

void FrameWidget::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (!owner)
        return;
    if (auto* c = owner->content()) {
        // Lay out now, so the content has its new size when the handler asks for it.
        if (layout())
            layout()->activate();
        c->ensureBacking();
    }
    Event ev;
    ev.eventClass = kEventClassWindow;
    ev.kind = kEventWindowBoundsChanged;
    ev.attributes = kWindowBoundsChangeSizeChanged;
    owner->dispatch(ev);
}

// ---------------------------------------------------------------- window services

static bool hasMenuBarFor(uint32_t windowClass)
{
    return windowClass == kDocumentWindowClass;
}

OSStatus CreateNewWindow(uint32_t windowClass, uint32_t, const Rect& contentBounds, WindowRef* out)
{
    if (!out || !IsPlatformApplicationReady())
        return paramErr;
    auto* frame = new FrameWidget();
    if (windowClass == kFloatingWindowClass)
        frame->setWindowFlags(Qt::Tool);
    else if (windowClass == kPlainWindowClass)
        frame->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    else if (windowClass == kMovableModalWindowClass)
        frame->setWindowFlags(Qt::Dialog);
    auto* content = new ContentWidget();
    auto* w = new PlatformWindow(frame, content, hasMenuBarFor(windowClass));
    SetWindowBounds(w, contentBounds);
    *out = w;
    return noErr;
}

void DisposeWindow(WindowRef w)
{
    if (!w)
        return;
    w->disposed = true;
    delete w;
}

void ShowWindow(WindowRef w)
{
    if (!w || !w->frame())
        return;
    w->frame()->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) // it cannot raise
        w->frame()->raise();
    w->frame()->activateWindow();
}

void HideWindow(WindowRef w)
{
    if (w && w->frame())
        w->frame()->hide();
}

bool IsWindowVisible(WindowRef w)
{
    return w && w->frame() && w->frame()->isVisible();
}

bool IsWindowActive(WindowRef w)
{
    return w && w->frame() && w->frame()->isActiveWindow();
}

void SelectWindow(WindowRef w)
{
    if (!w || !w->frame())
        return;
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        w->frame()->raise();
    w->frame()->activateWindow();
    if (QWindow* h = w->frame()->windowHandle())
        h->requestActivate();
}

OSStatus GetWindowBounds(WindowRef w, Rect* out)
{
    if (!w || !out || !w->content())
        return paramErr;
    ContentWidget* c = w->content();
    QPoint g = c->mapToGlobal(QPoint(0, 0));
    *out = toRect(QRect(g, c->size()));
    return noErr;
}

OSStatus SetWindowBounds(WindowRef w, const Rect& r)
{
    if (!w || !w->frame())
        return paramErr;
    QWidget* f = w->frame();
    int barHeight = 0;
    if (f->layout() && f->layout()->menuBar())
        barHeight = f->layout()->menuBar()->sizeHint().height();
    int width = std::max(1, r.right - r.left);
    int height = std::max(1, r.bottom - r.top);
    f->setGeometry(r.left, r.top - barHeight, width, height + barHeight);
    if (f->layout())
        f->layout()->activate();
    w->content()->resize(width, height);
    w->content()->ensureBacking();
    return noErr;
}

OSStatus SetWindowTitle(WindowRef w, const UniString& title)
{
    if (!w || !w->frame())
        return paramErr;
    w->frame()->setWindowTitle(toQString(title));
    return noErr;
}

UniString GetWindowTitle(WindowRef w)
{
    return (w && w->frame()) ? fromQString(w->frame()->windowTitle()) : UniString();
}

OSStatus InstallWindowEventHandler(WindowRef w, EventHandler handler, const std::vector<EventTypeSpec>& types)
{
    if (!w)
        return paramErr;
    w->handler = std::move(handler);
    w->handledTypes.clear();
    return AddEventTypesToHandler(w, types);
}

OSStatus AddEventTypesToHandler(WindowRef w, const std::vector<EventTypeSpec>& types)
{
    if (!w)
        return paramErr;
    for (const EventTypeSpec& t : types)
        w->handledTypes.insert({t.eventClass, t.eventKind});
    return noErr;
}

void RemoveWindowEventHandler(WindowRef w)
{
    if (!w)
        return;
    w->handler = nullptr;
    w->handledTypes.clear();
}

OSStatus SendEventToWindow(WindowRef w, Event& e)
{
    return w ? w->dispatch(e) : paramErr;
}

WindowRef GetActiveWindow()
{
    return windowOfWidget(QApplication::activeWindow());
}

OSStatus SetThemeWindowBackground(WindowRef w, int16_t, bool update)
{
    if (!w)
        return paramErr;
    w->themePen = QApplication::palette().color(QPalette::Active, QPalette::Window);
    if (update) {
        w->backingStore().fill(w->themePen);
        w->markDirty(w->backingStore().rect());
    }
    return noErr;
}

void SetWindowUserData(WindowRef w, void* data)
{
    if (w)
        w->userData = data;
}

void* GetWindowUserData(WindowRef w)
{
    return w ? w->userData : nullptr;
}

QImage& windowBackingStore(WindowRef w)
{
    return w->backingStore();
}

QWidget* windowFrameWidget(WindowRef w)
{
    return w ? w->frame() : nullptr;
}

QWidget* windowContentWidget(WindowRef w)
{
    return w ? w->content() : nullptr;
}

// ---------------------------------------------------------------- drawing

PlatformContext::PlatformContext(PlatformWindow* w) : window(w), painter(&w->backingStore())
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void PlatformContext::touch(const QRectF& r)
{
    dirty |= r.toAlignedRect().adjusted(-1, -1, 1, 1);
}

CGContextRef QDBeginCGContext(WindowRef w)
{
    if (!w || !w->content())
        return nullptr;
    return new PlatformContext(w);
}

void CGContextSynchronize(CGContextRef ctx)
{
    if (!ctx)
        return;
    ctx->window->markDirty(ctx->dirty);
}

void QDEndCGContext(WindowRef, CGContextRef* ctx)
{
    if (!ctx || !*ctx)
        return;
    (*ctx)->painter.end();
    (*ctx)->window->markDirty((*ctx)->dirty);
    delete *ctx;
    *ctx = nullptr;
}

void CGContextSetShouldAntialias(CGContextRef ctx, bool on)
{
    if (!ctx)
        return;
    ctx->painter.setRenderHint(QPainter::Antialiasing, on);
    ctx->painter.setRenderHint(QPainter::SmoothPixmapTransform, on);
}

static QColor colorOf(double r, double g, double b, double a)
{
    return QColor::fromRgbF(float(std::clamp(r, 0.0, 1.0)), float(std::clamp(g, 0.0, 1.0)),
                            float(std::clamp(b, 0.0, 1.0)), float(std::clamp(a, 0.0, 1.0)));
}

void CGContextSetRGBFillColor(CGContextRef ctx, double r, double g, double b, double a)
{
    if (ctx)
        ctx->fill = colorOf(r, g, b, a);
}

void CGContextSetRGBStrokeColor(CGContextRef ctx, double r, double g, double b, double a)
{
    if (ctx)
        ctx->stroke = colorOf(r, g, b, a);
}

void CGContextFillRect(CGContextRef ctx, const CGRect& r)
{
    if (!ctx)
        return;
    QRectF q(r.x, r.y, r.width, r.height);
    ctx->painter.fillRect(q, ctx->fill);
    ctx->touch(q);
}

void CGContextMoveToPoint(CGContextRef ctx, double x, double y)
{
    if (ctx)
        ctx->path.moveTo(x, y);
}

void CGContextAddLineToPoint(CGContextRef ctx, double x, double y)
{
    if (ctx)
        ctx->path.lineTo(x, y);
}

void CGContextStrokePath(CGContextRef ctx)
{
    if (!ctx)
        return;
    QPen pen(ctx->stroke);
    pen.setWidth(1);
    pen.setCosmetic(true);
    ctx->painter.strokePath(ctx->path, pen);
    ctx->touch(ctx->path.boundingRect());
    ctx->path = QPainterPath();
}

void CGContextDrawImage(CGContextRef ctx, const CGRect& r, CGImageRef image)
{
    if (!ctx || !image)
        return;
    QRectF q(r.x, r.y, r.width, r.height);
    ctx->painter.drawImage(q, image->image);
    ctx->touch(q);
}

void RGBForeColor(WindowRef w, const RGBColor& c)
{
    if (w)
        w->foreColor = QColor::fromRgb(c.red >> 8, c.green >> 8, c.blue >> 8);
}

void MoveTo(WindowRef w, int16_t h, int16_t v)
{
    if (w)
        w->penPosition = QPoint(h, v);
}

void LineTo(WindowRef w, int16_t h, int16_t v)
{
    if (!w)
        return;
    QPainter p(&w->backingStore());
    p.setPen(QPen(w->foreColor, 0));
    QPoint to(h, v);
    p.drawLine(w->penPosition, to);
    w->markDirty(QRect(w->penPosition, to).normalized().adjusted(-1, -1, 1, 1));
    w->penPosition = to;
}

void PaintRect(WindowRef w, const Rect& r)
{
    if (!w)
        return;
    QPainter p(&w->backingStore());
    QRect q = toQRect(r);
    p.fillRect(q, w->foreColor);
    w->markDirty(q);
}

void SetThemePen(WindowRef w, int16_t, int16_t, bool)
{
    if (!w)
        return;
    // Every background brush of the system is the window colour of the desktop's palette.
    QPalette::ColorGroup group = IsWindowActive(w) ? QPalette::Active : QPalette::Inactive;
    w->foreColor = QApplication::palette().color(group, QPalette::Window);
}

void ScrollRect(WindowRef w, const Rect& r, int16_t dh, int16_t dv)
{
    if (!w)
        return;
    QImage& img = w->backingStore();
    QRect area = toQRect(r).intersected(img.rect());
    if (area.isEmpty())
        return;
    // The part of the area whose pixels come from inside the area.
    QRect dst = area.translated(dh, dv).intersected(area);
    if (!dst.isEmpty()) {
        QRect src = dst.translated(-dh, -dv);
        const int bpp = 4;
        const qsizetype bpl = img.bytesPerLine();
        uchar* bits = img.bits();
        size_t rowBytes = size_t(dst.width()) * bpp;
        auto copyRow = [&](int y) {
            std::memmove(bits + qsizetype(dst.top() + y) * bpl + dst.left() * bpp,
                         bits + qsizetype(src.top() + y) * bpl + src.left() * bpp, rowBytes);
        };
        if (dv > 0)
            for (int y = dst.height() - 1; y >= 0; --y)
                copyRow(y);
        else
            for (int y = 0; y < dst.height(); ++y)
                copyRow(y);
    }
    w->markDirty(area);
}

// ---------------------------------------------------------------- images

CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel, size_t rowBytes,
                         uint32_t alphaInfo, const unsigned char* data)
{
    if (!data || width == 0 || height == 0 || bitsPerComponent != 8 || bitsPerPixel != 32 ||
        rowBytes < width * 4 || width > 0x7FFF || height > 0x7FFF)
        return nullptr;
    QImage::Format f = alphaInfo == kCGImageAlphaPremultipliedLast ? QImage::Format_RGBA8888_Premultiplied
                                                                   : QImage::Format_RGBX8888;
    auto* img = new PlatformImage();
    img->image = QImage(data, int(width), int(height), qsizetype(rowBytes), f); // no copy
    return img;
}

void CGImageRelease(CGImageRef image)
{
    delete image;
}

size_t CGImageGetWidth(CGImageRef image)
{
    return image ? size_t(image->image.width()) : 0;
}

size_t CGImageGetHeight(CGImageRef image)
{
    return image ? size_t(image->image.height()) : 0;
}

// ---------------------------------------------------------------- theme drawing

static QFont themeFont(uint16_t id)
{
    QFont f = QApplication::font();
    if (id == 1 || id == 3) {
        qreal pt = f.pointSizeF() > 0 ? f.pointSizeF() : 10.0;
        f.setPointSizeF(std::max(6.0, pt * 0.85));
    }
    if (id == 3)
        f.setBold(true);
    return f;
}

OSStatus DrawThemeTextBox(const UniString& text, uint16_t font, uint32_t, bool wrap, const Rect& r,
                          int16_t justification, CGContextRef ctx)
{
    if (!ctx)
        return paramErr;
    QRect q = toQRect(r);
    int flags = Qt::AlignTop;
    flags |= justification == 1 ? Qt::AlignHCenter : justification == -1 ? Qt::AlignRight : Qt::AlignLeft;
    if (wrap)
        flags |= Qt::TextWordWrap;
    ctx->painter.save();
    ctx->painter.setClipRect(q);
    ctx->painter.setFont(themeFont(font));
    ctx->painter.setPen(ctx->fill);
    ctx->painter.drawText(q, flags, toQString(text));
    ctx->painter.restore();
    ctx->touch(q);
    return noErr;
}

OSStatus DrawThemePlacard(const Rect& r, uint32_t state, CGContextRef ctx)
{
    if (!ctx)
        return paramErr;
    QRect q = toQRect(r);
    QStyleOptionFrame opt;
    opt.rect = q;
    opt.palette = QApplication::palette();
    opt.palette.setCurrentColorGroup(state == kThemeStateActive ? QPalette::Active : QPalette::Inactive);
    opt.state = QStyle::State_Raised;
    if (state == kThemeStateActive)
        opt.state |= QStyle::State_Active | QStyle::State_Enabled;
    opt.lineWidth = 1;
    opt.frameShape = QFrame::Panel;
    ctx->painter.fillRect(q, opt.palette.color(QPalette::Button));
    QApplication::style()->drawPrimitive(QStyle::PE_Frame, &opt, &ctx->painter);
    ctx->touch(q);
    return noErr;
}

} // namespace vemora::platform
