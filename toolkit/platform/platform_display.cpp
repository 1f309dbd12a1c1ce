// Display geometry from Qt's screens; display profiles from X11 root-window properties,
// colord and the bundled sRGB profile.
#include "toolkit/platform/display.h"
#include "toolkit/platform/qt_platform.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace vemora::nsp_MacDisplayCalibrateUtility {

using platform::Rect;

namespace {

QList<QScreen*> screens()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    return QGuiApplication::screens();
}

QScreen* screenOfID(uint32_t id)
{
    for (QScreen* s : screens())
        if (displayIDOfName(s->name().toStdString()) == id)
            return s;
    return nullptr;
}

// Largest property read: no display profile comes near it, and it bounds what a hostile
// property can make us allocate.
constexpr uint32_t kMaxProfileBytes = 16u << 20;

xcb_connection_t* x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t x11Root(xcb_connection_t* c)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    return it.rem ? it.data->root : 0;
}

// The number n of _ICC_PROFILE_n: the screen's place among the X monitors (RandR 1.5), else
// its place among Qt's screens.
int x11ScreenNumber(xcb_connection_t* c, QScreen* screen)
{
    xcb_window_t root = x11Root(c);
    xcb_randr_get_monitors_cookie_t ck = xcb_randr_get_monitors(c, root, 1);
    std::unique_ptr<xcb_randr_get_monitors_reply_t, decltype(&free)> reply(
        xcb_randr_get_monitors_reply(c, ck, nullptr), &free);
    if (reply) {
        QRect g = screen->geometry() ;
        qreal dpr = screen->devicePixelRatio();
        QRect px(g.topLeft() * dpr, g.size() * dpr);
        int n = 0;
        for (xcb_randr_monitor_info_iterator_t it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
             xcb_randr_monitor_info_next(&it), ++n) {
            if (it.data->x == px.x() && it.data->y == px.y() && it.data->width == px.width() &&
                it.data->height == px.height())
                return n;
        }
    }
    return int(screens().indexOf(screen));
}

QByteArray readRootProperty(xcb_connection_t* c, const QByteArray& name)
{
    xcb_intern_atom_cookie_t ack = xcb_intern_atom(c, 1, uint16_t(name.size()), name.constData());
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> atom(xcb_intern_atom_reply(c, ack, nullptr), &free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return {};
    xcb_get_property_cookie_t pck =
        xcb_get_property(c, 0, x11Root(c), atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxProfileBytes / 4);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> prop(xcb_get_property_reply(c, pck, nullptr), &free);
    if (!prop || prop->format != 8 || prop->bytes_after != 0)
        return {};
    int len = xcb_get_property_value_length(prop.get());
    if (len <= 0)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(prop.get())), len);
}

uint64_t fnv1a64(const QByteArray& b)
{
    uint64_t h = 1469598103934665603ull;
    for (char ch : b) {
        h ^= uint8_t(ch);
        h *= 1099511628211ull;
    }
    return h;
}

QString cacheFolder()
{
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    QString base = (xdg && xdg[0] == '/') ? QString::fromLocal8Bit(xdg) : QDir::homePath() + "/.cache";
    return base + "/veriglow";
}

// Writes the profile under a name made of its content, so a new calibration is a new file.
bool writeCachedProfile(const QByteArray& bytes, QString* path)
{
    QString folder = cacheFolder();
    if (!QDir().mkpath(folder))
        return false;
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QString name = QStringLiteral("display-%1-%2.icc")
                       .arg(fnv1a64(bytes), 16, 16, QLatin1Char('0'))
                       .arg(bytes.size());
    QString full = folder + "/" + name;
    QFile existing(full);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes) {
        *path = full;
        return true;
    }
    QSaveFile out(full);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return false;
    *path = full;
    return true;
}

bool colordProfile(QScreen* screen, QString* path)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return false;
    QDBusInterface manager(QStringLiteral("org.freedesktop.ColorManager"), QStringLiteral("/org/freedesktop/ColorManager"),
                           QStringLiteral("org.freedesktop.ColorManager"), bus);
    if (!manager.isValid())
        return false;
    manager.setTimeout(500);
    QDBusReply<QDBusObjectPath> device =
        manager.call(QStringLiteral("FindDeviceByProperty"), QStringLiteral("XRANDR_name"), screen->name());
    if (!device.isValid())
        return false;
    QDBusInterface dev(QStringLiteral("org.freedesktop.ColorManager"), device.value().path(),
                       QStringLiteral("org.freedesktop.ColorManager.Device"), bus);
    dev.setTimeout(500);
    QVariant profiles = dev.property("Profiles");
    QList<QDBusObjectPath> list = qvariant_cast<QList<QDBusObjectPath>>(profiles);
    if (list.isEmpty())
        return false;
    QDBusInterface prof(QStringLiteral("org.freedesktop.ColorManager"), list.first().path(),
                        QStringLiteral("org.freedesktop.ColorManager.Profile"), bus);
    prof.setTimeout(500);
    QString file = prof.property("Filename").toString();
    if (file.isEmpty() || !QFile::exists(file))
        return false;
    *path = file;
    return true;
}

} // namespace

uint32_t displayIDOfName(const std::string& name)
{
    uint32_t h = 2166136261u;
    for (char ch : name) {
        h ^= uint8_t(ch);
        h *= 16777619u;
    }
    return h ? h : 1;
}

bool getSystemDisplayList(std::vector<CMDeviceInfo>& list)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    for (QScreen* s : screens()) {
        CMDeviceInfo info;
        info.name = s->name().toStdString();
        info.deviceID = displayIDOfName(info.name);
        info.bounds = platform::toRect(s->geometry());
        list.push_back(info);
    }
    return true;
}

uint32_t getMainDisplayID()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return 0;
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? displayIDOfName(s->name().toStdString()) : 0;
}

uint32_t getDisplayIDByPoint(const platform::HIPoint& point, uint32_t max)
{
    uint32_t seen = 0;
    for (QScreen* s : screens()) {
        if (seen++ >= max)
            break;
        QRectF g = s->geometry();
        // Left and top inclusive, right and bottom exclusive.
        if (point.x >= g.left() && point.x < g.left() + g.width() && point.y >= g.top() &&
            point.y < g.top() + g.height())
            return displayIDOfName(s->name().toStdString());
    }
    return 0;
}

bool getDisplayBounds(uint32_t id, Rect* bounds)
{
    QScreen* s = screenOfID(id);
    if (!s || !bounds)
        return false;
    *bounds = platform::toRect(s->geometry());
    return true;
}

bool getDisplayProfileByDisplayID(FSRef* profile, uint32_t id, ProfileSource* source)
{
    QScreen* screen = screenOfID(id);
    if (!screen || !profile)
        return false;
    QString path;
    ProfileSource from = ProfileSource::None;
    if (xcb_connection_t* c = x11Connection()) {
        int n = x11ScreenNumber(c, screen);
        QByteArray name = n <= 0 ? QByteArray("_ICC_PROFILE") : QByteArray("_ICC_PROFILE_") + QByteArray::number(n);
        QByteArray bytes = readRootProperty(c, name);
        // A profile has at least its 128-byte header; anything shorter is not one.
        if (bytes.size() >= 128 && writeCachedProfile(bytes, &path))
            from = ProfileSource::X11Property;
    }
    if (from == ProfileSource::None && colordProfile(screen, &path))
        from = ProfileSource::Colord;
    if (from == ProfileSource::None) {
        QString folder = QString::fromStdString(platform::GetBundleResourcesPath()) + "/profiles/";
        if (QFile::exists(folder + "Veriglow sRGB.icc")) {
            path = folder + "Veriglow sRGB.icc";
            from = ProfileSource::Bundled;
        }
    }
    if (from == ProfileSource::None)
        return false;
    if (!nsp_MacCarbonFile::getFSRefByPosixPath(profile, path.toStdString()))
        return false;
    if (source)
        *source = from;
    return true;
}

} // namespace vemora::nsp_MacDisplayCalibrateUtility
