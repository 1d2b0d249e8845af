#include "platform/SimpleWnd.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>
#include <X11/XKBlib.h>
#include <X11/Xutil.h>

#include <string>

#include "platform/GlfwLock.h"
#include "platform/X11Keys.h"
#include "platform/XErrorGuard.h"

namespace platform {
namespace {

Display* asDisplay(void* display) { return static_cast<Display*>(display); }

constexpr long kEventMask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | FocusChangeMask;

}  // namespace

std::unique_ptr<SimpleWnd> SimpleWnd::create(SIM_Window parent, int width, int height) {
  std::string displayName;
  {
    std::lock_guard glfw(glfwLock());
    Display* shared = glfwGetX11Display();
    if (!shared) return nullptr;
    displayName = DisplayString(shared);
    if (parent != 0) {
      const WindowSize client = hostWindowSize(parent);
      if (client.width <= 0 || client.height <= 0) return nullptr;
      width = client.width;
      height = client.height;
    }
    WindowSystemCall guarded;  // the guard is in place before this connection's first request
  }
  Display* display = XOpenDisplay(displayName.c_str());
  if (!display) return nullptr;
  watchDisplay(display);
  std::unique_ptr<SimpleWnd> wnd(new SimpleWnd());
  wnd->display_ = display;

  XTraffic traffic = xTraffic();
  const int screen = DefaultScreen(display);
  XVisualInfo info{};
  if (!XMatchVisualInfo(display, screen, 24, TrueColor, &info)) return nullptr;
  XSetWindowAttributes attributes{};
  attributes.colormap = XCreateColormap(display, RootWindow(display, screen), info.visual, AllocNone);
  attributes.background_pixel = 0;
  attributes.border_pixel = 0;
  attributes.event_mask = kEventMask;
  wnd->colormap_ = attributes.colormap;
  const Window container = parent != 0 ? static_cast<Window>(parent) : RootWindow(display, screen);
  wnd->window_ = XCreateWindow(display, container, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                               0, info.depth, InputOutput, info.visual,
                               CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
  watchWindow(wnd->window_);  // the host may destroy it with its own window
  wnd->visual_ = info.visual;
  wnd->depth_ = info.depth;
  wnd->width_ = width;
  wnd->height_ = height;
  wnd->gc_ = XCreateGC(display, wnd->window_, 0, nullptr);
  XkbSetDetectableAutoRepeat(display, True, nullptr);  // a held key repeats presses, not release-press pairs
  if (parent == 0) {
    XStoreName(display, wnd->window_, "TARVO Simulation");
    Atom deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, wnd->window_, &deleteAtom, 1);
    wnd->deleteAtom_ = deleteAtom;
  }
  XMapWindow(display, wnd->window_);
  // A parent that vanished meanwhile took the new window with it.
  Window root = 0;
  int x = 0, y = 0;
  unsigned w = 0, h = 0, border = 0, depth = 0;
  if (!XGetGeometry(display, wnd->window_, &root, &x, &y, &w, &h, &border, &depth)) return nullptr;
  return wnd;
}

SimpleWnd::~SimpleWnd() {
  Display* display = asDisplay(display_);
  if (!display) return;
  {
    XTraffic traffic = xTraffic();
    if (gc_) XFreeGC(display, static_cast<GC>(gc_));
    if (window_) XDestroyWindow(display, static_cast<Window>(window_));
    if (colormap_) XFreeColormap(display, colormap_);
    XSync(display, False);  // errors about a window the host destroyed arrive now
  }
  forgetWindow(window_);
  forgetDisplay(display);
  XCloseDisplay(display);
}

void SimpleWnd::reparent(SIM_Window parent) {
  if (parent == 0) return;
  WindowSize client;
  {
    std::lock_guard glfw(glfwLock());
    client = hostWindowSize(parent);
  }
  if (client.width <= 0 || client.height <= 0) return;
  Display* display = asDisplay(display_);
  XTraffic traffic = xTraffic();
  XReparentWindow(display, static_cast<Window>(window_), static_cast<Window>(parent), 0, 0);
  XResizeWindow(display, static_cast<Window>(window_), static_cast<unsigned>(client.width),
                static_cast<unsigned>(client.height));
  XMapWindow(display, static_cast<Window>(window_));
  XSync(display, False);
}

void SimpleWnd::present(const uint8_t* pixels, int width, int height) {
  if (width <= 0 || height <= 0 || windowLost(window_)) return;
  Display* display = asDisplay(display_);
  XTraffic traffic = xTraffic();
  // The image borrows the pixels; it must not free them.
  XImage* image = XCreateImage(display, static_cast<Visual*>(visual_), static_cast<unsigned>(depth_), ZPixmap, 0,
                               const_cast<char*>(reinterpret_cast<const char*>(pixels)),
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
  if (!image) return;
  XPutImage(display, static_cast<Window>(window_), static_cast<GC>(gc_), image, 0, 0, 0, 0,
            static_cast<unsigned>(width), static_cast<unsigned>(height));
  image->data = nullptr;
  XDestroyImage(image);
  XFlush(display);
}

void SimpleWnd::handleKey(EventSink& sink, void* keyEvent, bool pressed) {
  auto* event = static_cast<XKeyEvent*>(keyEvent);
  const int key = glfwKeyFromKeysym(XLookupKeysym(event, 0));
  const int mods = glfwModsFromState(event->state);
  if (!pressed) {
    keysDown_.erase(event->keycode);
    sink.key(key, GLFW_RELEASE, mods);
    return;
  }
  const bool repeat = !keysDown_.emplace(event->keycode, key).second;
  sink.key(key, repeat ? GLFW_REPEAT : GLFW_PRESS, mods);
  char text[16];
  KeySym typed = NoSymbol;
  XLookupString(event, text, sizeof text, &typed, nullptr);
  if (const uint32_t codepoint = codepointFromKeysym(typed); codepoint != 0 && !(event->state & ControlMask))
    sink.character(codepoint);
}

void SimpleWnd::pollEvents(EventSink& sink) {
  Display* display = asDisplay(display_);
  XTraffic traffic = xTraffic();
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    switch (event.type) {
      case ConfigureNotify:
        width_ = event.xconfigure.width;
        height_ = event.xconfigure.height;
        sink.resized(event.xconfigure.width, event.xconfigure.height);
        break;
      case Expose:
        if (event.xexpose.count == 0) sink.exposed();
        break;
      case KeyPress:
      case KeyRelease:
        handleKey(sink, &event.xkey, event.type == KeyPress);
        break;
      case ButtonPress:
      case ButtonRelease: {
        const bool pressed = event.type == ButtonPress;
        sink.cursor(event.xbutton.x, event.xbutton.y);
        if (event.xbutton.button == Button4 || event.xbutton.button == Button5) {
          if (pressed) sink.scroll(event.xbutton.button == Button4 ? 1.0 : -1.0);
          break;
        }
        // X numbers left, middle, right as 1, 2, 3.
        static constexpr int kButtons[] = {-1, 0, 2, 1};
        if (event.xbutton.button <= Button3) sink.button(kButtons[event.xbutton.button], pressed);
        // A click inside the view gives it the keyboard, as a child window expects.
        if (pressed) XSetInputFocus(display, static_cast<Window>(window_), RevertToParent, CurrentTime);
        break;
      }
      case FocusOut:
        // Keys held while the focus goes elsewhere are never released here.
        for (const auto& [code, key] : keysDown_) sink.key(key, GLFW_RELEASE, 0);
        keysDown_.clear();
        break;
      case MotionNotify:
        sink.cursor(event.xmotion.x, event.xmotion.y);
        break;
      case ClientMessage:
        if (deleteAtom_ != 0 && static_cast<unsigned long>(event.xclient.data.l[0]) == deleteAtom_)
          sink.closeRequested();
        break;
      default:
        break;
    }
  }
}

}  // namespace platform
