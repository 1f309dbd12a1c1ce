#pragma once
// The platform layer: the user-interface, drawing and display services the toolkit stands on.
// This header knows nothing of Qt or X11; the implementation (Qt 6 Widgets, xcb) is the only
// place that does. Names and results follow the services the toolkit was written against:
// handled / not-handled events of (class, kind), command ids, windows and controls loaded by
// name, QuickDraw-style rectangles (top, left, bottom, right) in y-down coordinates.
#include "foundation/carbon_file.h"
#include "foundation/unistring.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vemora::platform {

using OSStatus = int32_t;
using FourCharCode = uint32_t;
using UniString = BasicUniString<unsigned short>;

constexpr OSStatus noErr = 0;
constexpr OSStatus paramErr = -50;
constexpr OSStatus eventNotHandledErr = -9874;
constexpr OSStatus errUnknownControl = -30584;

constexpr FourCharCode fourCC(const char (&s)[5])
{
    return (FourCharCode(uint8_t(s[0])) << 24) | (FourCharCode(uint8_t(s[1])) << 16) |
           (FourCharCode(uint8_t(s[2])) << 8) | FourCharCode(uint8_t(s[3]));
}

// Event classes and kinds.
constexpr FourCharCode kEventClassCommand = fourCC("cmds");
constexpr FourCharCode kEventClassApplication = fourCC("appl");
constexpr FourCharCode kEventClassWindow = fourCC("wind");
constexpr FourCharCode kEventClassMouse = fourCC("mous");
constexpr FourCharCode kEventClassKeyboard = fourCC("keyb");
constexpr FourCharCode kEventClassMenu = fourCC("menu");
constexpr FourCharCode kEventClassControl = fourCC("cntl");
constexpr uint32_t kEventCommandProcess = 1;
constexpr uint32_t kEventAppQuit = 3;
constexpr uint32_t kEventWindowDrawContent = 2;
constexpr uint32_t kEventWindowActivated = 5;
constexpr uint32_t kEventWindowDeactivated = 6;
constexpr uint32_t kEventWindowBoundsChanged = 27;
constexpr uint32_t kEventWindowDragCompleted = 31;
constexpr uint32_t kEventWindowClose = 72;
constexpr uint32_t kEventWindowToolbarSwitchMode = 150;
constexpr uint32_t kEventMouseDown = 1;
constexpr uint32_t kEventMouseUp = 2;
constexpr uint32_t kEventMouseMoved = 5;
constexpr uint32_t kEventMouseDragged = 6;
constexpr uint32_t kEventRawKeyDown = 1;
constexpr uint32_t kEventRawKeyUp = 3;
constexpr uint32_t kEventRawKeyModifiersChanged = 4;
constexpr uint32_t kEventMenuEndTracking = 2;
constexpr uint32_t kEventControlDraw = 4;

// Bounds-change attributes of 'wind' 27.
constexpr uint32_t kWindowBoundsChangeSizeChanged = 1u << 2;
constexpr uint32_t kWindowBoundsChangeOriginChanged = 1u << 3;

// Modifier bits: Ctrl is the command key, Alt the option key, Meta (Super) the control key.
constexpr uint32_t cmdKey = 0x0100;
constexpr uint32_t shiftKey = 0x0200;
constexpr uint32_t optionKey = 0x0800;
constexpr uint32_t controlKey = 0x1000;

struct EventTypeSpec {
    FourCharCode eventClass;
    uint32_t eventKind;
};

struct Rect {
    int16_t top = 0, left = 0, bottom = 0, right = 0;
    bool operator==(const Rect& o) const
    {
        return top == o.top && left == o.left && bottom == o.bottom && right == o.right;
    }
    bool operator!=(const Rect& o) const { return !(*this == o); }
};

struct CGRect {
    double x = 0, y = 0, width = 0, height = 0;
};

struct HIPoint {
    double x = 0, y = 0;
};

class PlatformWindow;
class PlatformControl;
class PlatformMenu;
class PlatformImage;
class PlatformContext;
class PlatformNib;
class PlatformAlert;
class PlatformTimer;
using WindowRef = PlatformWindow*;
using ControlRef = PlatformControl*;
using MenuRef = PlatformMenu*;
using CGImageRef = PlatformImage*;
using CGContextRef = PlatformContext*;
using NibRef = PlatformNib*;
using DialogRef = PlatformAlert*;
using EventLoopTimerRef = PlatformTimer*;
using EventHandlerCallRef = void*;

// One event with the parameters the system reads of it.
struct Event {
    FourCharCode eventClass = 0;
    uint32_t kind = 0;
    HIPoint mouseLocation;      // global
    uint32_t modifiers = 0;
    uint32_t mouseButton = 0;   // 1 primary, 2 secondary, 3 middle
    FourCharCode command = 0;   // 'cmds' 1
    ControlRef control = nullptr;
    uint32_t attributes = 0;    // 'wind' 27
    uint32_t keyCode = 0;       // platform key code
    char character = 0;         // 'keyb': the character typed, when it is ASCII
    WindowRef window = nullptr; // the window the event was sent to
};
using EventRef = Event*;

using EventHandler = std::function<OSStatus(EventHandlerCallRef, EventRef)>;

bool IsEventClass(const Event& e, FourCharCode cls, uint32_t kind);

// ---------------------------------------------------------------- application and event loop
// Creates the application object once (argc and argv are kept for the open-files notification)
// and installs the open dialog into the file layer.
bool InitPlatformApplication(int& argc, char** argv);
bool IsPlatformApplicationReady();
// Destroys the application object the layer made (its windows and menus with it).
void ShutdownPlatformApplication();
void RunApplicationEventLoop();
void QuitApplicationEventLoop();
// The handler sees the listed events of the application target; replaces an earlier one.
OSStatus InstallApplicationEventHandler(EventHandler handler, const std::vector<EventTypeSpec>& types);
void RemoveApplicationEventHandler();
// Commands go to the active window first, then to the application, then to the standard
// handling (which knows 'quit'); answers the first status that is not eventNotHandledErr.
OSStatus ProcessCommand(FourCharCode command, WindowRef target = nullptr, ControlRef control = nullptr);
// The quit sequence: 'appl' 3 to the application; when nobody handled it the loop ends.
void RequestQuit();
// Files named on the command line (delivered once the loop runs) and files dropped on any
// window of the application.
using OpenDocumentHandler = std::function<void(const std::vector<FSRef>&)>;
void SetOpenDocumentHandler(OpenDocumentHandler handler);
// Delivers the command-line files now (normally done by the loop).
void DeliverCommandLineFiles();

// ---------------------------------------------------------------- windows
constexpr uint32_t kDocumentWindowClass = 6;
constexpr uint32_t kFloatingWindowClass = 5;
constexpr uint32_t kMovableModalWindowClass = 4;
constexpr uint32_t kPlainWindowClass = 13;

OSStatus CreateNewWindow(uint32_t windowClass, uint32_t attributes, const Rect& contentBounds, WindowRef* out);
void DisposeWindow(WindowRef w);
void ShowWindow(WindowRef w);
void HideWindow(WindowRef w);
bool IsWindowVisible(WindowRef w);
bool IsWindowActive(WindowRef w);
void SelectWindow(WindowRef w); // bring to front and activate
OSStatus GetWindowBounds(WindowRef w, Rect* contentGlobal);
OSStatus SetWindowBounds(WindowRef w, const Rect& contentGlobal);
OSStatus SetWindowTitle(WindowRef w, const UniString& title);
UniString GetWindowTitle(WindowRef w);
OSStatus InstallWindowEventHandler(WindowRef w, EventHandler handler, const std::vector<EventTypeSpec>& types);
OSStatus AddEventTypesToHandler(WindowRef w, const std::vector<EventTypeSpec>& types);
void RemoveWindowEventHandler(WindowRef w);
// Sends an event to the window's handler (for events the layer itself makes and for tests).
OSStatus SendEventToWindow(WindowRef w, Event& e);
WindowRef GetActiveWindow();
// Fills the whole backing store with the theme window background (brush codes are kept).
OSStatus SetThemeWindowBackground(WindowRef w, int16_t brush, bool update);
// The window's user data (the toolkit's Window object).
void SetWindowUserData(WindowRef w, void* data);
void* GetWindowUserData(WindowRef w);

// ---------------------------------------------------------------- drawing
CGContextRef QDBeginCGContext(WindowRef w);
void QDEndCGContext(WindowRef w, CGContextRef* ctx); // flushes and marks the touched area
void CGContextSynchronize(CGContextRef ctx);
void CGContextSetShouldAntialias(CGContextRef ctx, bool on);
void CGContextSetRGBFillColor(CGContextRef ctx, double r, double g, double b, double a);
void CGContextSetRGBStrokeColor(CGContextRef ctx, double r, double g, double b, double a);
void CGContextFillRect(CGContextRef ctx, const CGRect& r);
void CGContextMoveToPoint(CGContextRef ctx, double x, double y);
void CGContextAddLineToPoint(CGContextRef ctx, double x, double y);
void CGContextStrokePath(CGContextRef ctx);
void CGContextDrawImage(CGContextRef ctx, const CGRect& r, CGImageRef image);
// QuickDraw pen drawing in the window's port (one-pixel pen).
struct RGBColor {
    uint16_t red = 0, green = 0, blue = 0;
};
void RGBForeColor(WindowRef w, const RGBColor& c);
void MoveTo(WindowRef w, int16_t h, int16_t v);
void LineTo(WindowRef w, int16_t h, int16_t v);
void PaintRect(WindowRef w, const Rect& r);
// Moves the pixels of r by (dh, dv); nothing outside r changes.
void ScrollRect(WindowRef w, const Rect& r, int16_t dh, int16_t dv);
// The theme pen of a brush code: PaintRect then paints with it.
void SetThemePen(WindowRef w, int16_t brush, int16_t depth, bool isColorDevice);

// Images over caller memory, not copied: alpha info 5 (RGBx, fourth byte ignored; write
// 0xFF there) and 1 (RGBA, premultiplied alpha last).
constexpr uint32_t kCGImageAlphaPremultipliedLast = 1;
constexpr uint32_t kCGImageAlphaNoneSkipLast = 5;
CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel, size_t rowBytes,
                         uint32_t alphaInfo, const unsigned char* data);
void CGImageRelease(CGImageRef image);
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);

// Theme drawing with the desktop's style. Fonts: 0 system, 1 small system, 3 small emphasized,
// 4 views, 5 application. Draw states: 1 active, 0 inactive. Justification: 0 left, 1 centre,
// -1 right. The text colour is the context's fill colour.
constexpr uint32_t kThemeStateActive = 1;
constexpr uint32_t kThemeStateInactive = 0;
OSStatus DrawThemeTextBox(const UniString& text, uint16_t font, uint32_t state, bool wrap, const Rect& r,
                          int16_t justification, CGContextRef ctx);
OSStatus DrawThemePlacard(const Rect& r, uint32_t state, CGContextRef ctx);

// ---------------------------------------------------------------- controls
using ControlActionProc = std::function<void(ControlRef, int16_t part)>;
constexpr int16_t kControlUpButtonPart = 20;
constexpr int16_t kControlDownButtonPart = 21;
constexpr int16_t kControlPageUpPart = 22;
constexpr int16_t kControlPageDownPart = 23;
constexpr int16_t kControlIndicatorPart = 129;

// The child of the window whose object name is "<signature>_<id>", e.g. "PRST_21".
ControlRef GetControlByID(WindowRef w, FourCharCode signature, int32_t id);
OSStatus CreateScrollBarControl(WindowRef w, const Rect& bounds, int32_t value, int32_t min, int32_t max,
                                int32_t viewSize, bool liveTracking, ControlActionProc action, ControlRef* out);
// Disposing of a control that went with its window does nothing.
void DisposeControl(ControlRef c);
bool IsValidControlHandle(ControlRef c);
WindowRef GetControlOwner(ControlRef c);
void SetControlBounds(ControlRef c, const Rect& windowRect);
void GetControlBounds(ControlRef c, Rect* windowRect);
OSStatus GetBestControlRect(ControlRef c, Rect* best);
void SetControl32BitValue(ControlRef c, int32_t v);
void SetControl32BitMinimum(ControlRef c, int32_t v);
void SetControl32BitMaximum(ControlRef c, int32_t v);
int32_t GetControl32BitValue(ControlRef c);
int32_t GetControl32BitMinimum(ControlRef c);
int32_t GetControl32BitMaximum(ControlRef c);
void SetControlViewSize(ControlRef c, int32_t size);
int32_t GetControlViewSize(ControlRef c);
void EnableControl(ControlRef c);
void DisableControl(ControlRef c);
bool IsControlEnabled(ControlRef c);
void ShowControl(ControlRef c);
void HideControl(ControlRef c);
bool IsControlVisible(ControlRef c);
void ActivateControl(ControlRef c);
void DeactivateControl(ControlRef c);
bool IsControlActive(ControlRef c);
void Draw1Control(ControlRef c);
OSStatus SetControlTitle(ControlRef c, const UniString& title);
OSStatus CopyControlTitle(ControlRef c, UniString* title);
// Static and edit texts (the 'cfst' data of part 5).
OSStatus SetControlText(ControlRef c, const UniString& text);
OSStatus GetControlText(ControlRef c, UniString* text);
void SetControlReference(ControlRef c, void* ref);
void* GetControlReference(ControlRef c);
void SetControlAction(ControlRef c, ControlActionProc action);
// The menu of a pop-up button (QComboBox) or bevel button (QToolButton with a menu).
MenuRef GetControlMenu(ControlRef c);
OSStatus SetKeyboardFocus(WindowRef w, ControlRef c);
FourCharCode GetControlCommandID(ControlRef c);

// ---------------------------------------------------------------- menus
// Menus 1 to 4 of the shared menu bar; items count from 1, separators included.
MenuRef GetMenuHandle(int16_t menuID);
void EnableAllMenuItems(MenuRef m);
void DisableAllMenuItems(MenuRef m);
void EnableMenuItem(MenuRef m, uint16_t item);
void DisableMenuItem(MenuRef m, uint16_t item);
bool IsMenuItemEnabled(MenuRef m, uint16_t item);
OSStatus SetMenuTitle(MenuRef m, const UniString& title);
UniString GetMenuTitle(MenuRef m);
OSStatus SetMenuItemText(MenuRef m, uint16_t item, const UniString& text);
UniString GetMenuItemText(MenuRef m, uint16_t item);
FourCharCode GetMenuItemCommandID(MenuRef m, uint16_t item);
uint16_t CountMenuItems(MenuRef m);
OSStatus DeleteMenuItems(MenuRef m, uint16_t first, uint16_t count);
// "-" appends a separator.
OSStatus AppendMenuItemText(MenuRef m, const UniString& text, FourCharCode command = 0);

// ---------------------------------------------------------------- interface files
// The interface folder holds one Qt Designer file per window ("<name>.ui") and the menu bar.
OSStatus CreateNibReference(const std::string& folder, NibRef* out);
void DisposeNibReference(NibRef nib);
// The menu bar's QMainWindow becomes the home window that stays open while the program runs.
OSStatus SetMenuBarFromNib(NibRef nib, const UniString& name);
OSStatus CreateWindowFromNib(NibRef nib, const UniString& name, WindowRef* out);
WindowRef GetHomeWindow();

// ---------------------------------------------------------------- alerts and timers
constexpr int16_t kAlertStopAlert = 0;
constexpr int16_t kAlertNoteAlert = 1;
constexpr int16_t kAlertCautionAlert = 2;
constexpr int16_t kAlertPlainAlert = 3;
struct AlertStdCFStringAlertParamRec {
    uint32_t version = 1;
    bool movable = true;
    bool helpButton = false;
    UniString defaultText, cancelText, otherText; // empty: no such button (default: "OK")
    bool hasCancel = false, hasOther = false;
    int16_t defaultButton = 1; // 1, 2 or 3
    int16_t cancelButton = 0;
    uint16_t position = 0;
};
OSStatus CreateStandardAlert(int16_t alertType, const UniString& message, const UniString* explanation,
                             const AlertStdCFStringAlertParamRec& params, DialogRef* out);
// Runs the alert modally and disposes of it; itemHit is 1, 2 or 3 (in button order).
OSStatus RunStandardAlert(DialogRef alert, int16_t* itemHit);

using EventLoopTimerProc = std::function<void(EventLoopTimerRef)>;
// Fires once after delaySeconds; a positive interval repeats it.
OSStatus InstallEventLoopTimer(double delaySeconds, double intervalSeconds, EventLoopTimerProc proc,
                               EventLoopTimerRef* out);
OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer);

// ---------------------------------------------------------------- cursors
constexpr int32_t kThemeArrowCursor = 0;
constexpr int32_t kThemeCrossCursor = 5;
constexpr int32_t kThemeClosedHandCursor = 8;
constexpr int32_t kThemeOpenHandCursor = 9;
void InitCursor();
OSStatus SetThemeCursor(int32_t themeCursor);
// A cursor from 32-bit pixels (a filler byte, then R, G, B) and an optional mask of the same
// layout (black shows the pixel, white is transparent); hot spot in (v, h) order.
struct PixMapDesc {
    const unsigned char* pixels = nullptr;
    int width = 0, height = 0, rowBytes = 0;
};
OSStatus QDRegisterNamedPixMapCursor(const PixMapDesc& image, const PixMapDesc* mask, int16_t hotV, int16_t hotH,
                                     const std::string& name);
OSStatus QDSetNamedPixMapCursor(const std::string& name);
OSStatus QDUnregisterNamedPixMapCursur(const std::string& name);
// What the pointer shows now: a theme cursor number, or -1 and the registered name.
struct CursorState {
    int32_t theme = 0;
    std::string name;
};
CursorState GetCurrentCursorState();

// ---------------------------------------------------------------- bundle
// bin/<program> and share/veriglow beside it, found from the executable's own path.
std::string GetBundleResourcesPath();
std::string GetBundleSupportPath();

} // namespace vemora::platform
