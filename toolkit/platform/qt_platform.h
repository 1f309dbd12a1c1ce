#pragma once
// Qt side of the platform layer: shared by its implementation files and by tests that read
// back the pixels a window's views painted.
#include "toolkit/platform/platform.h"

#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <map>
#include <memory>
#include <set>

class QComboBox;
class QMenuBar;

namespace vemora::platform {

class ContentWidget;

// A window: a top-level frame widget with an optional menu bar above the content widget. The
// content widget is the port: its backing store receives all immediate drawing.
class PlatformWindow {
public:
    PlatformWindow(QWidget* frame, ContentWidget* content, bool withMenuBar);
    ~PlatformWindow();

    QWidget* frame() const { return frame_; }
    ContentWidget* content() const { return content_; }
    QImage& backingStore();
    void markDirty(const QRect& r);

    EventHandler handler;
    std::set<std::pair<FourCharCode, uint32_t>> handledTypes;
    void* userData = nullptr;
    std::map<QWidget*, std::unique_ptr<PlatformControl>> controls;
    QColor themePen;
    QColor foreColor = Qt::black;
    QPoint penPosition;
    bool disposed = false;

    bool wants(FourCharCode cls, uint32_t kind) const { return handledTypes.count({cls, kind}) != 0; }
    OSStatus dispatch(Event& e);

private:
    QPointer<QWidget> frame_;
    QPointer<ContentWidget> content_;
};

class ContentWidget : public QWidget {
    Q_OBJECT
public:
    explicit ContentWidget(QWidget* parent = nullptr);
    PlatformWindow* owner = nullptr;
    QImage backing;
    bool needsFullDraw = true;
    void ensureBacking();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    bool sendMouse(QMouseEvent* e, uint32_t kind);
    void sendKey(QKeyEvent* e, uint32_t kind);
};

// The frame: turns close requests, activation and moves into window events.
class FrameWidget : public QWidget {
    Q_OBJECT
public:
    explicit FrameWidget(QWidget* parent = nullptr);
    PlatformWindow* owner = nullptr;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    QTimer dragTimer_;
};

class PlatformControl {
public:
    PlatformControl(QWidget* w, PlatformWindow* owner);
    ~PlatformControl();
    QMetaObject::Connection destroyedConnection;
    QPointer<QWidget> widget;
    PlatformWindow* window;
    void* reference = nullptr;
    ControlActionProc action;
    bool active = true;
    std::unique_ptr<PlatformMenu> menu;
};

class PlatformMenu {
public:
    QPointer<QMenu> menu;
    QPointer<QComboBox> combo;
};

class PlatformImage {
public:
    QImage image;
};

class PlatformContext {
public:
    explicit PlatformContext(PlatformWindow* w);
    PlatformWindow* window;
    QPainter painter;
    QColor fill = Qt::black;
    QColor stroke = Qt::black;
    QPainterPath path;
    QRect dirty;
    void touch(const QRectF& r);
};

uint32_t toModifiers(Qt::KeyboardModifiers m);
PlatformWindow* windowOfWidget(QWidget* w);
QRect toQRect(const Rect& r);
Rect toRect(const QRect& r);
QString toQString(const UniString& s);
UniString fromQString(const QString& s);
FourCharCode fourCCFromString(const QString& s);
QString stringFromFourCC(FourCharCode c);
void deliverOpenFiles(const QStringList& paths);
// The control wrapper of a child widget of the window, made on first use.
ControlRef controlForWidget(PlatformWindow* w, QWidget* widget);

// The pixels a window's views have painted (the backing store), for tests.
QImage& windowBackingStore(WindowRef w);
QWidget* windowFrameWidget(WindowRef w);
QWidget* windowContentWidget(WindowRef w);
QWidget* controlWidget(ControlRef c);

} // namespace vemora::platform
