/* Korvane: an embeddable CNC machining simulation viewport.
 *
 * The public C interface. A host loads libKorvane.so, calls SIM_InitOpenGL
 * once, creates views inside its own windows with SIM_CreateView and drives
 * them through the SIM_ exports. Every export returns a 32-bit status unless
 * stated otherwise: 0 done; a null view gives -1 for most exports and 1 for
 * the ones marked so. Everything the host passes is copied during the call.
 *
 * Notifications reach the host as window messages: register a handler for a
 * window handle with SIM_SetMessageHandler and make that window the view's
 * callback window (SIM_SetCallbackWindow, or create the view with it as the
 * parent).
 */
#ifndef KORVANE_H
#define KORVANE_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#if defined(KORVANE_BUILDING_LIBRARY)
#define SIM_EXPORT __attribute__((visibility("default")))
#else
#define SIM_EXPORT
#endif

#ifdef __cplusplus
#define SIM_STATIC_ASSERT(condition, text) static_assert(condition, text)
extern "C" {
#else
#define SIM_STATIC_ASSERT(condition, text) _Static_assert(condition, text)
#endif

/* An X11 window id; 0 means none. */
typedef uintptr_t SIM_Window;

/* One simulation view (opaque). */
typedef struct Render Render;

/* ---- Window messages ------------------------------------------------ */

enum {
  SIM_MESSAGE_NOTIFY = 1258,     /* wparam: event code, lparam: value */
  SIM_MESSAGE_VIEW_CLOSED = 1026 /* posted after the user closed the view window */
};

/* Event codes of SIM_MESSAGE_NOTIFY. */
enum {
  SIM_EVENT_TOOLPATH_LOADED = 0,
  SIM_EVENT_MACHINE_LOADED = 1,
  SIM_EVENT_COLLISION_CHECK_DONE = 2,
  SIM_EVENT_COLLISION_CHECK_PROGRESS = 3,   /* percent */
  SIM_EVENT_COLLISION_PREPARE_PROGRESS = 4, /* percent */
  SIM_EVENT_CURRENT_LINE_CHANGED = 5,       /* NC line; only sent on change */
  SIM_EVENT_VIEWPORT_CLICKED = 6,
  SIM_EVENT_COMPARE_PROGRESS = 7,           /* percent */
  SIM_EVENT_MESH_CACHE_PROGRESS = 8,        /* percent */
  SIM_EVENT_EXPORT_PROGRESS = 9,            /* percent */
  SIM_EVENT_CURRENT_ENTITY_CHANGED = 11,    /* entity number; only sent on change */
  SIM_EVENT_WAVEFRONT_PROGRESS = 12,        /* percent */
  SIM_EVENT_PLACEMENT_APPLIED = 13,
  SIM_EVENT_SETUP_REQUESTED = 14,
  SIM_EVENT_ABOUT_REQUESTED = 15,
  SIM_EVENT_SAVE_PRESENTATION_REQUESTED = 17,
  SIM_EVENT_VIEW_CLOSING = 18,              /* sent synchronously */
  SIM_EVENT_KEY = 19                        /* see SIM_KEY_EVENT_* below */
};

/* The value of SIM_EVENT_KEY (sent for presses, repeats and releases alike):
 * the key code shifted left 32 bits, OR the modifier bits (1 Shift,
 * 2 Control, 4 Alt, 8 Super). Key codes follow GLFW's numbering, which for
 * letters and digits is their ASCII upper-case code. */
#define SIM_KEY_EVENT_KEY(value) ((int32_t)((int64_t)(value) >> 32))
#define SIM_KEY_EVENT_MODIFIERS(value) ((int32_t)((value) & 0xFF))

typedef void (*SIM_MessageHandler)(void* context, SIM_Window window, uint32_t message,
                                   uint64_t wparam, int64_t lparam);

/* Registers handler for messages to window (process-wide); a null handler
 * removes the entry. Posted messages arrive in order on one dispatcher thread;
 * sent messages run on the sending thread. Returns 0. */
SIM_EXPORT int32_t SIM_SetMessageHandler(SIM_Window window, SIM_MessageHandler handler, void* context);

/* ---- Process-wide set-up -------------------------------------------- */

/* Reference-counted window-system initialisation. The first call returns 1 on
 * success (0 on failure); later calls return the new reference count. */
SIM_EXPORT int32_t SIM_InitOpenGL(void);
/* Drops one reference and shuts the window system down with the last one;
 * returns the remaining count while it is above 0. Views still open keep
 * their windows: the shutdown then happens when the last of them is closed,
 * and no new view can be created in between. */
SIM_EXPORT int32_t SIM_TerminateOpenGL(void);

/* Creation hints, read when a view is created; a value >= 1 sets the hint. */
enum {
  SIM_HINT_OFFSCREEN_HOST = 0, /* draw hidden and copy each frame into a plain child window */
  SIM_HINT_DIRECTION_MODE = 1, /* rotary values of toolpath moves are tool directions */
  SIM_HINT_HEADLESS = 2,       /* invisible 1 x 1 window, no drawing */
  SIM_HINT_START_HIDDEN = 3    /* a view without parent starts hidden */
};
SIM_EXPORT int32_t SIM_Hint(uint32_t hint, int32_t value);

/* ---- View lifecycle -------------------------------------------------- */

/* Creates a view, parented into parent when it is not 0. With wait the call
 * returns after the first frame, or null when the window could not be
 * created; without wait it returns at once. */
SIM_EXPORT Render* SIM_CreateView(SIM_Window parent, bool wait);
/* Closes the view and frees it; 0, also for a null view. Called from a
 * notification handler that runs on the view's own thread (a sent event), the
 * view closes and frees itself as soon as that handler has returned. */
SIM_EXPORT int32_t SIM_CloseView(Render* view);
/* The view's own window. 1 for a null view or a view whose window could not be created. */
SIM_EXPORT int32_t SIM_GetWindowHandle(Render* view, SIM_Window* window);
/* Sets the window that receives notifications. With hostHandles the host is
 * the only handler; otherwise the view also runs its built-in handling.
 * A 0 window changes nothing. 1 for a null view. */
SIM_EXPORT int32_t SIM_SetCallbackWindow(Render* view, SIM_Window window, bool hostHandles);

/* Mouse binding: input 0 none, 1 left, 2 right, 3 middle button, 4 wheel;
 * state 0 pressed, 1 held, 2 released (wheel: 0 forward, 2 backward);
 * modifiers[0] Control, [1] Shift, [2] Alt (non-zero = required);
 * action 0..9, the navigation action to fire. */
typedef struct SIM_KeyBinding {
  uint32_t input;
  uint32_t state;
  uint8_t modifiers[3];
  uint32_t action;
} SIM_KeyBinding;
SIM_STATIC_ASSERT(sizeof(SIM_KeyBinding) == 16, "SIM_KeyBinding is 16 bytes");
SIM_STATIC_ASSERT(offsetof(SIM_KeyBinding, modifiers) == 8, "modifiers at 8");
SIM_STATIC_ASSERT(offsetof(SIM_KeyBinding, action) == 12, "action at 12");

/* -1 for a null view. Bindings with an invalid input or action, or with
 * neither a state nor a modifier, are ignored. */
SIM_EXPORT int32_t SIM_AddKeyBinding(Render* view, SIM_KeyBinding binding);
SIM_EXPORT int32_t SIM_ReleaseKeyBindings(Render* view);

#ifdef __cplusplus
}
#endif

#endif /* KORVANE_H */
