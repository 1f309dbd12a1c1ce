// The application object, the event loop, commands, menus, interface files, alerts, timers,
// cursors and the open-files notification.
#include "toolkit/platform/qt_platform.h"

#include "foundation/carbon_file.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBitmap>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QUiLoader>
#include <QVBoxLayout>

#include <unistd.h>

#include <climits>
#include <map>

namespace vemora::platform {

namespace {

struct AppState {
    std::unique_ptr<QApplication> ownedApp;
    EventHandler appHandler;
    std::set<std::pair<FourCharCode, uint32_t>> appTypes;
    OpenDocumentHandler openHandler;
    QStringList commandLineFiles;
    bool commandLineDelivered = false;
    std::vector<QPointer<QMenu>> menus;       // menus 1 to 4 of the shared menu bar
    std::map<int16_t, std::unique_ptr<PlatformMenu>> menuRefs;
    PlatformWindow* home = nullptr;
    std::map<std::string, QCursor> namedCursors;
    CursorState cursor;
};

AppState& state()
{
    static AppState* s = new AppState(); // lives to the end of the process, like the app
    return *s;
}

FSRef fsrefOf(const QString& path)
{
    FSRef ref;
    nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path.toStdString());
    return ref;
}

// The open dialog of the file layer.
bool chooseFileDialog(std::vector<FSRef>& out, const std::vector<unsigned long>*, unsigned long,
                      const FSRef* startFolder, const BasicUniString<unsigned short>* title, bool allowMultiple)
{
    if (!IsPlatformApplicationReady())
        return false;
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setFileMode(allowMultiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (title)
        dialog.setWindowTitle(toQString(*title));
    if (startFolder && !startFolder->path.empty())
        dialog.setDirectory(QString::fromStdString(startFolder->path));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    bool any = false;
    for (const QString& f : dialog.selectedFiles()) {
        FSRef ref = fsrefOf(f);
        if (!ref.path.empty()) {
            out.push_back(ref);
            any = true;
        }
    }
    return any;
}

} // namespace

void attachSharedMenus(QMenuBar* bar)
{
    for (const QPointer<QMenu>& m : state().menus)
        if (m)
            bar->addMenu(m);
}

void deliverOpenFiles(const QStringList& paths)
{
    std::vector<FSRef> refs;
    for (const QString& p : paths) {
        FSRef ref = fsrefOf(p);
        if (!ref.path.empty())
            refs.push_back(ref);
    }
    if (!refs.empty() && state().openHandler)
        state().openHandler(refs);
}

// ---------------------------------------------------------------- application

bool InitPlatformApplication(int& argc, char** argv)
{
    AppState& s = state();
    if (!QApplication::instance()) {
        s.ownedApp = std::make_unique<QApplication>(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }
    QStringList args = QApplication::arguments();
    s.commandLineFiles = args.mid(1);
    nsp_MacCarbonFile::setChooseFileDialog(&chooseFileDialog);
    return true;
}

void ShutdownPlatformApplication()
{
    AppState& s = state();
    delete s.home;
    s.home = nullptr;
    s.menuRefs.clear();
    s.menus.clear();
    s.namedCursors.clear();
    s.ownedApp.reset();
}

bool IsPlatformApplicationReady()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

void DeliverCommandLineFiles()
{
    AppState& s = state();
    if (s.commandLineDelivered)
        return;
    s.commandLineDelivered = true;
    deliverOpenFiles(s.commandLineFiles);
}

void RunApplicationEventLoop()
{
    if (!IsPlatformApplicationReady())
        return;
    QTimer::singleShot(0, [] { DeliverCommandLineFiles(); });
    QApplication::exec();
}

void QuitApplicationEventLoop()
{
    QCoreApplication::exit(0);
}

OSStatus InstallApplicationEventHandler(EventHandler handler, const std::vector<EventTypeSpec>& types)
{
    AppState& s = state();
    s.appHandler = std::move(handler);
    s.appTypes.clear();
    for (const EventTypeSpec& t : types)
        s.appTypes.insert({t.eventClass, t.eventKind});
    return noErr;
}

void RemoveApplicationEventHandler()
{
    state().appHandler = nullptr;
    state().appTypes.clear();
}

static OSStatus sendToApplication(Event& e)
{
    AppState& s = state();
    if (!s.appHandler || !s.appTypes.count({e.eventClass, e.kind}))
        return eventNotHandledErr;
    EventHandler h = s.appHandler;
    return h(nullptr, &e);
}

void RequestQuit()
{
    Event e;
    e.eventClass = kEventClassApplication;
    e.kind = kEventAppQuit;
    if (sendToApplication(e) != noErr)
        QuitApplicationEventLoop(); // the standard handling of quit
}

OSStatus ProcessCommand(FourCharCode command, WindowRef target, ControlRef control)
{
    Event e;
    e.eventClass = kEventClassCommand;
    e.kind = kEventCommandProcess;
    e.command = command;
    e.control = control;
    if (!target)
        target = GetActiveWindow();
    if (target) {
        OSStatus st = target->dispatch(e);
        if (st != eventNotHandledErr)
            return st;
    }
    OSStatus st = sendToApplication(e);
    if (st != eventNotHandledErr)
        return st;
    if (command == fourCC("quit")) {
        RequestQuit();
        return noErr;
    }
    return eventNotHandledErr;
}

void SetOpenDocumentHandler(OpenDocumentHandler handler)
{
    state().openHandler = std::move(handler);
}

// ---------------------------------------------------------------- menus

static QAction* itemAction(MenuRef m, uint16_t item)
{
    if (!m || !m->menu || item == 0)
        return nullptr;
    QList<QAction*> actions = m->menu->actions();
    return item <= actions.size() ? actions[item - 1] : nullptr;
}

MenuRef GetMenuHandle(int16_t menuID)
{
    AppState& s = state();
    if (menuID < 1 || size_t(menuID) > s.menus.size() || !s.menus[size_t(menuID - 1)])
        return nullptr;
    auto& ref = s.menuRefs[menuID];
    if (!ref) {
        ref = std::make_unique<PlatformMenu>();
        ref->menu = s.menus[size_t(menuID - 1)];
    }
    return ref.get();
}

void EnableAllMenuItems(MenuRef m)
{
    if (m && m->menu)
        for (QAction* a : m->menu->actions())
            a->setEnabled(true);
}

void DisableAllMenuItems(MenuRef m)
{
    if (m && m->menu)
        for (QAction* a : m->menu->actions())
            a->setEnabled(false);
}

void EnableMenuItem(MenuRef m, uint16_t item)
{
    if (QAction* a = itemAction(m, item))
        a->setEnabled(true);
}

void DisableMenuItem(MenuRef m, uint16_t item)
{
    if (QAction* a = itemAction(m, item))
        a->setEnabled(false);
}

bool IsMenuItemEnabled(MenuRef m, uint16_t item)
{
    QAction* a = itemAction(m, item);
    return a && a->isEnabled();
}

OSStatus SetMenuTitle(MenuRef m, const UniString& title)
{
    if (!m || !m->menu)
        return paramErr;
    m->menu->setTitle(toQString(title));
    return noErr;
}

UniString GetMenuTitle(MenuRef m)
{
    return (m && m->menu) ? fromQString(m->menu->title()) : UniString();
}

OSStatus SetMenuItemText(MenuRef m, uint16_t item, const UniString& text)
{
    if (m && m->combo) {
        if (item == 0 || item > m->combo->count())
            return paramErr;
        m->combo->setItemText(item - 1, toQString(text));
        return noErr;
    }
    QAction* a = itemAction(m, item);
    if (!a)
        return paramErr;
    a->setText(toQString(text));
    return noErr;
}

UniString GetMenuItemText(MenuRef m, uint16_t item)
{
    if (m && m->combo)
        return (item >= 1 && item <= m->combo->count()) ? fromQString(m->combo->itemText(item - 1)) : UniString();
    QAction* a = itemAction(m, item);
    return a ? fromQString(a->isSeparator() ? QStringLiteral("-") : a->text()) : UniString();
}

FourCharCode GetMenuItemCommandID(MenuRef m, uint16_t item)
{
    QAction* a = itemAction(m, item);
    return a ? fourCCFromString(a->property("command").toString()) : 0;
}

uint16_t CountMenuItems(MenuRef m)
{
    if (!m)
        return 0;
    if (m->combo)
        return uint16_t(m->combo->count());
    return m->menu ? uint16_t(m->menu->actions().size()) : 0;
}

OSStatus DeleteMenuItems(MenuRef m, uint16_t first, uint16_t count)
{
    if (!m || first == 0)
        return paramErr;
    for (uint16_t i = 0; i < count; ++i) {
        if (m->combo) {
            if (first > m->combo->count())
                break;
            m->combo->removeItem(first - 1);
        } else if (QAction* a = itemAction(m, first)) {
            m->menu->removeAction(a);
            if (a->parent() == m->menu)
                delete a;
        } else {
            break;
        }
    }
    return noErr;
}

OSStatus AppendMenuItemText(MenuRef m, const UniString& text, FourCharCode command)
{
    if (!m)
        return paramErr;
    QString t = toQString(text);
    if (m->combo) {
        if (t == QLatin1String("-"))
            m->combo->insertSeparator(m->combo->count());
        else
            m->combo->addItem(t);
        return noErr;
    }
    if (!m->menu)
        return paramErr;
    QAction* a = t == QLatin1String("-") ? m->menu->addSeparator() : m->menu->addAction(t);
    if (command)
        a->setProperty("command", stringFromFourCC(command));
    return noErr;
}

// Every action with a command id sends it as a command event; one with a window event
// number sends that event to the active window.
static void wireAction(QAction* a)
{
    if (a->property("vgWired").toBool())
        return;
    a->setProperty("vgWired", true);
    QObject::connect(a, &QAction::triggered, a, [a] {
        bool ok = false;
        int windowEvent = a->property("windowEvent").toInt(&ok);
        if (ok && windowEvent > 0) {
            if (WindowRef w = GetActiveWindow()) {
                Event e;
                e.eventClass = kEventClassWindow;
                e.kind = uint32_t(windowEvent);
                w->dispatch(e);
            }
            return;
        }
        FourCharCode c = fourCCFromString(a->property("command").toString());
        if (c)
            ProcessCommand(c, nullptr, nullptr);
    });
}

// ---------------------------------------------------------------- interface files

class PlatformNib {
public:
    QString folder;
    std::map<QString, QByteArray> cache;
    bool read(const QString& name, QByteArray* out)
    {
        auto it = cache.find(name);
        if (it == cache.end()) {
            QFile f(QDir(folder).filePath(name + QStringLiteral(".ui")));
            if (!f.open(QIODevice::ReadOnly))
                return false;
            it = cache.emplace(name, f.readAll()).first;
        }
        *out = it->second;
        return true;
    }
    // A fresh instance of the file's widgets; false when there is no such file.
    bool load(QUiLoader& loader, const QString& name, QWidget** out)
    {
        QByteArray bytes;
        if (!read(name, &bytes))
            return false;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        *out = loader.load(&buffer);
        return true;
    }
};

namespace {

// Makes the top level of a window file the layer's content widget.
class WindowLoader : public QUiLoader {
public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override
    {
        if (!parent) {
            auto* c = new ContentWidget();
            c->setObjectName(name);
            rootClass = className;
            return c;
        }
        return QUiLoader::createWidget(className, parent, name);
    }
    QString rootClass;
};

class HomeFrame : public FrameWidget {
public:
    using FrameWidget::FrameWidget;
};

} // namespace

OSStatus CreateNibReference(const std::string& folder, NibRef* out)
{
    if (!out)
        return paramErr;
    QDir dir(QString::fromStdString(folder));
    if (!dir.exists())
        return -43; // fnfErr
    auto* nib = new PlatformNib();
    nib->folder = dir.absolutePath();
    *out = nib;
    return noErr;
}

void DisposeNibReference(NibRef nib)
{
    delete nib;
}

OSStatus SetMenuBarFromNib(NibRef nib, const UniString& name)
{
    if (!nib || !IsPlatformApplicationReady())
        return paramErr;
    QUiLoader loader;
    QWidget* loaded = nullptr;
    if (!nib->load(loader, toQString(name), &loaded))
        return -43;
    auto* main = qobject_cast<QMainWindow*>(loaded);
    if (!main || !main->menuBar()) {
        delete loaded;
        return -192; // resNotFound
    }
    AppState& s = state();
    s.menus.clear();
    s.menuRefs.clear();
    // The menus outlive the loaded window: they belong to the application from now on.
    auto* owner = new QObject(QCoreApplication::instance());
    for (QAction* top : main->menuBar()->actions()) {
        if (QMenu* m = top->menu()) {
            m->setParent(nullptr);
            QObject::connect(owner, &QObject::destroyed, m, [m] { delete m; });
            for (QAction* a : m->actions()) {
                a->setParent(m); // the loaded window that held the actions goes away below
                wireAction(a);
            }
            QObject::connect(m, &QMenu::aboutToHide, m, [] {
                if (WindowRef w = GetActiveWindow()) {
                    Event e;
                    e.eventClass = kEventClassMenu;
                    e.kind = kEventMenuEndTracking;
                    w->dispatch(e);
                }
            });
            s.menus.emplace_back(m);
        }
    }
    // The home window: menu bar, a drop area and a one-line hint; closing it quits.
    auto* frame = new HomeFrame();
    frame->setWindowTitle(main->windowTitle().isEmpty() ? QStringLiteral("Veriglow") : main->windowTitle());
    auto* content = new ContentWidget();
    auto* hint = new QLabel(content);
    QWidget* central = main->centralWidget();
    QLabel* designed = central ? central->findChild<QLabel*>() : nullptr;
    hint->setText(designed ? designed->text() : QStringLiteral("Drop TIFF or JPEG images here."));
    hint->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(hint);
    delete s.home;
    s.home = new PlatformWindow(frame, content, true);
    QSize size = main->size().isValid() ? main->size() : QSize(420, 120);
    frame->resize(size);
    delete main;
    InstallWindowEventHandler(s.home,
                              [](EventHandlerCallRef, EventRef e) {
                                  if (e->eventClass == kEventClassWindow && e->kind == kEventWindowClose) {
                                      ProcessCommand(fourCC("quit"), nullptr, nullptr);
                                      return noErr;
                                  }
                                  return eventNotHandledErr;
                              },
                              {{kEventClassWindow, kEventWindowClose}});
    return noErr;
}

WindowRef GetHomeWindow()
{
    return state().home;
}

OSStatus CreateWindowFromNib(NibRef nib, const UniString& name, WindowRef* out)
{
    if (!nib || !out || !IsPlatformApplicationReady())
        return paramErr;
    WindowLoader loader;
    QWidget* loaded = nullptr;
    if (!nib->load(loader, toQString(name), &loaded))
        return -43;
    auto* content = qobject_cast<ContentWidget*>(loaded);
    if (!content)
        return -192;
    QSize size = content->size();
    auto* frame = new FrameWidget();
    frame->setWindowTitle(content->windowTitle());
    bool withMenu = content->property("menuBar").toBool();
    QString kind = content->property("windowClass").toString();
    if (kind == QLatin1String("floating"))
        frame->setWindowFlags(Qt::Tool);
    else if (kind == QLatin1String("modal")) {
        frame->setWindowFlags(Qt::Dialog);
        frame->setWindowModality(Qt::ApplicationModal);
    } else if (kind == QLatin1String("plain"))
        frame->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    auto* w = new PlatformWindow(frame, content, withMenu);
    frame->resize(size.width(), size.height() + (frame->layout()->menuBar() ? frame->layout()->menuBar()->sizeHint().height() : 0));
    frame->layout()->activate();
    content->ensureBacking();
    // A pop-up item "-" is a separator.
    for (QComboBox* combo : content->findChildren<QComboBox*>())
        for (int i = combo->count() - 1; i >= 0; --i)
            if (combo->itemText(i) == QLatin1String("-")) {
                combo->removeItem(i);
                combo->insertSeparator(i);
            }
    // Controls with a command id send it when they act.
    for (QWidget* child : content->findChildren<QWidget*>()) {
        FourCharCode cmd = fourCCFromString(child->property("command").toString());
        if (!cmd)
            continue;
        auto send = [w, child, cmd] { ProcessCommand(cmd, w, controlForWidget(w, child)); };
        if (auto* b = qobject_cast<QAbstractButton*>(child))
            QObject::connect(b, &QAbstractButton::clicked, b, send);
        else if (auto* c = qobject_cast<QComboBox*>(child))
            QObject::connect(c, QOverload<int>::of(&QComboBox::activated), c, send);
    }
    *out = w;
    return noErr;
}

// ---------------------------------------------------------------- alerts

class PlatformAlert {
public:
    std::unique_ptr<QMessageBox> box;
    std::vector<QAbstractButton*> buttons; // in item order 1, 2, 3
};

OSStatus CreateStandardAlert(int16_t alertType, const UniString& message, const UniString* explanation,
                             const AlertStdCFStringAlertParamRec& params, DialogRef* out)
{
    if (!out || !IsPlatformApplicationReady())
        return paramErr;
    auto* a = new PlatformAlert();
    a->box = std::make_unique<QMessageBox>(QApplication::activeWindow());
    QMessageBox::Icon icon = QMessageBox::Critical;
    if (alertType == kAlertNoteAlert)
        icon = QMessageBox::Information;
    else if (alertType == kAlertCautionAlert)
        icon = QMessageBox::Warning;
    else if (alertType == kAlertPlainAlert)
        icon = QMessageBox::NoIcon;
    a->box->setIcon(icon);
    a->box->setText(toQString(message));
    if (explanation && !explanation->empty())
        a->box->setInformativeText(toQString(*explanation));
    QString def = params.defaultText.empty() ? QStringLiteral("OK") : toQString(params.defaultText);
    a->buttons.push_back(a->box->addButton(def, QMessageBox::AcceptRole));
    if (params.hasCancel)
        a->buttons.push_back(a->box->addButton(toQString(params.cancelText), QMessageBox::RejectRole));
    if (params.hasOther)
        a->buttons.push_back(a->box->addButton(toQString(params.otherText), QMessageBox::ActionRole));
    size_t d = size_t(std::clamp<int>(params.defaultButton, 1, int(a->buttons.size())));
    if (auto* pb = qobject_cast<QPushButton*>(a->buttons[d - 1]))
        a->box->setDefaultButton(pb);
    *out = a;
    return noErr;
}

OSStatus RunStandardAlert(DialogRef alert, int16_t* itemHit)
{
    if (!alert)
        return paramErr;
    alert->box->exec();
    QAbstractButton* hit = alert->box->clickedButton();
    int16_t item = 1;
    for (size_t i = 0; i < alert->buttons.size(); ++i)
        if (alert->buttons[i] == hit)
            item = int16_t(i + 1);
    if (!hit && alert->buttons.size() > 1)
        item = 2; // Escape or the close box: the cancel button
    if (itemHit)
        *itemHit = item;
    delete alert;
    return noErr;
}

// ---------------------------------------------------------------- timers

class PlatformTimer {
public:
    QTimer timer;
    EventLoopTimerProc proc;
};

OSStatus InstallEventLoopTimer(double delaySeconds, double intervalSeconds, EventLoopTimerProc proc,
                               EventLoopTimerRef* out)
{
    if (!IsPlatformApplicationReady())
        return paramErr;
    auto* t = new PlatformTimer();
    t->proc = std::move(proc);
    t->timer.setSingleShot(intervalSeconds <= 0);
    t->timer.setInterval(int(std::clamp(delaySeconds, 0.0, 86400.0) * 1000.0));
    QObject::connect(&t->timer, &QTimer::timeout, &t->timer, [t, intervalSeconds] {
        if (intervalSeconds > 0)
            t->timer.setInterval(int(std::min(intervalSeconds, 86400.0) * 1000.0));
        EventLoopTimerProc p = t->proc; // the procedure may remove the timer
        if (p)
            p(t);
    });
    t->timer.start();
    if (out)
        *out = t;
    return noErr;
}

OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer)
{
    if (!timer)
        return paramErr;
    timer->timer.stop();
    timer->proc = nullptr;
    timer->timer.disconnect();
    QTimer::singleShot(0, [timer] { delete timer; }); // may be inside its own callback
    return noErr;
}

// ---------------------------------------------------------------- cursors

static void applyCursor(const QCursor& c)
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<FrameWidget*>(top))
            if (f->owner && f->owner->content())
                f->owner->content()->setCursor(c);
}

void InitCursor()
{
    SetThemeCursor(kThemeArrowCursor);
}

OSStatus SetThemeCursor(int32_t themeCursor)
{
    Qt::CursorShape shape = Qt::ArrowCursor;
    switch (themeCursor) {
    case kThemeCrossCursor: shape = Qt::CrossCursor; break;
    case kThemeClosedHandCursor: shape = Qt::ClosedHandCursor; break;
    case kThemeOpenHandCursor: shape = Qt::OpenHandCursor; break;
    case 1: shape = Qt::IBeamCursor; break;
    case 7: shape = Qt::BusyCursor; break;
    case 4: shape = Qt::WaitCursor; break;
    case 10: shape = Qt::PointingHandCursor; break;
    default: themeCursor = kThemeArrowCursor; break;
    }
    state().cursor = {themeCursor, std::string()};
    if (IsPlatformApplicationReady())
        applyCursor(QCursor(shape));
    return noErr;
}

OSStatus QDRegisterNamedPixMapCursor(const PixMapDesc& image, const PixMapDesc* mask, int16_t hotV, int16_t hotH,
                                     const std::string& name)
{
    if (!image.pixels || image.width <= 0 || image.height <= 0 || image.rowBytes < image.width * 4 ||
        image.width > 256 || image.height > 256 || name.empty())
        return paramErr;
    if (mask && (!mask->pixels || mask->width != image.width || mask->height != image.height ||
                 mask->rowBytes < mask->width * 4))
        return paramErr;
    if (!IsPlatformApplicationReady())
        return paramErr;
    AppState& s = state();
    if (s.namedCursors.count(name))
        return -50;
    QImage argb(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y) {
        const unsigned char* p = image.pixels + size_t(y) * size_t(image.rowBytes);
        const unsigned char* m = mask ? mask->pixels + size_t(y) * size_t(mask->rowBytes) : nullptr;
        for (int x = 0; x < image.width; ++x) {
            int alpha = 255;
            if (m) // black in the mask shows the pixel
                alpha = 255 - (m[x * 4 + 1] * 30 + m[x * 4 + 2] * 59 + m[x * 4 + 3] * 11) / 100;
            argb.setPixel(x, y, qRgba(p[x * 4 + 1], p[x * 4 + 2], p[x * 4 + 3], alpha));
        }
    }
    int hx = std::clamp<int>(hotH, 0, image.width - 1), hy = std::clamp<int>(hotV, 0, image.height - 1);
    s.namedCursors.emplace(name, QCursor(QPixmap::fromImage(argb), hx, hy));
    return noErr;
}

OSStatus QDSetNamedPixMapCursor(const std::string& name)
{
    AppState& s = state();
    auto it = s.namedCursors.find(name);
    if (it == s.namedCursors.end())
        return paramErr;
    s.cursor = {-1, name};
    applyCursor(it->second);
    return noErr;
}

OSStatus QDUnregisterNamedPixMapCursur(const std::string& name)
{
    AppState& s = state();
    if (!s.namedCursors.erase(name))
        return paramErr;
    if (s.cursor.theme == -1 && s.cursor.name == name)
        SetThemeCursor(kThemeArrowCursor);
    return noErr;
}

CursorState GetCurrentCursorState()
{
    return state().cursor;
}

// ---------------------------------------------------------------- bundle

static std::string executableFolder()
{
    char buf[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", buf, PATH_MAX);
    if (n <= 0)
        return std::string();
    std::string path(buf, size_t(n));
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string GetBundleResourcesPath()
{
    std::string bin = executableFolder();
    auto slash = bin.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return bin.substr(0, slash) + "/share/veriglow";
}

std::string GetBundleSupportPath()
{
    std::string res = GetBundleResourcesPath();
    return res.empty() ? res : res + "/support";
}

} // namespace vemora::platform
