/* Korvane: an embeddable CNC machining simulation viewport.
 *
 * The public C interface. A host loads libKorvane.so, calls SIM_InitOpenGL
 * once, creates views inside its own windows with SIM_CreateView and drives
 * them through the SIM_ exports. Every export returns a 32-bit status unless
 * stated otherwise: 0 done; a null view gives -1 for most exports and 1 for
 * the ones marked so. Everything the host passes is copied during the call.
 * Nothing that fails inside the library crosses this interface: an export
 * that cannot do its work (no memory for a copy, say) leaves the view as it
 * was and returns its usual status, or the value stated for it.
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
#ifdef __cplusplus
typedef char16_t SIM_Char16;
#else
#include <uchar.h>
typedef char16_t SIM_Char16;
#endif

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

/* Statuses of refused input. An export that refuses what the host passed
 * changes nothing in the view and returns one of these; each export's
 * comment says which it can return. */
enum {
  SIM_STATUS_NOT_FINITE = -2,   /* a number is NaN or infinite */
  SIM_STATUS_OUT_OF_RANGE = -3, /* a value beyond what the view represents: coordinates and lengths
                                   larger than SIM_LARGEST_LENGTH_MM in size, negative sizes,
                                   counts of sides or points past their limits */
  SIM_STATUS_BAD_ARRAY = -4,    /* a count without its array, a count whose bytes or indices do not
                                   fit, or ranges and running totals out of order */
  SIM_STATUS_BAD_STOCK = -5     /* a box or cylinder stock without volume */
};
/* The largest coordinate or length any record may hold, in millimetres
 * (inches are converted first): the GPU works in single precision, which
 * at this size still resolves a tenth of a millimetre. */
#define SIM_LARGEST_LENGTH_MM 1.0e6

/* An X11 window id; 0 means none. */
typedef uintptr_t SIM_Window;

/* One simulation view (opaque). */
typedef struct Render Render;

/* The records exchanged with a view: toolpath, tools, stock, geometries. */
#include "KorvaneRecords.h"

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
  SIM_EVENT_COMPARE_PROGRESS = 7,           /* percent of the compare field's seeding: 0, 50, 100 */
  SIM_EVENT_MESH_CACHE_PROGRESS = 8,        /* percent */
  SIM_EVENT_EXPORT_PROGRESS = 9,            /* percent */
  SIM_EVENT_CURRENT_ENTITY_CHANGED = 11,    /* entity number; only sent on change */
  SIM_EVENT_WAVEFRONT_PROGRESS = 12,        /* percent of its wave front: 30, then 31 + 68 - 68 / (1 + 0.1 n)
                                               after n rounds, 100 at the end */
  SIM_EVENT_PLACEMENT_APPLIED = 13,
  SIM_EVENT_SETUP_REQUESTED = 14,
  SIM_EVENT_ABOUT_REQUESTED = 15,
  SIM_EVENT_SAVE_PRESENTATION_REQUESTED = 17,
  SIM_EVENT_VIEW_CLOSING = 18,              /* sent synchronously */
  SIM_EVENT_KEY = 19,                       /* see SIM_KEY_EVENT_* below */
  SIM_EVENT_STOCK_TOO_COARSE = 20           /* lparam: stock identifier; see SIM_GetStockCellSize */
};

/* The value of SIM_EVENT_KEY (sent for presses, repeats and releases alike,
 * except while a text field of the view's interface is being edited):
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
  SIM_HINT_DIRECTION_MODE = 1, /* rotary values of toolpath moves are tool directions (kept; read once
                                  machines are loaded) */
  SIM_HINT_HEADLESS = 2,       /* invisible 1 x 1 window, no drawing */
  SIM_HINT_START_HIDDEN = 3,   /* a view without parent starts hidden */
  SIM_HINT_TIMINGS = 4         /* addition: the view times its phases (SIM_GetPhaseTimes) */
};
SIM_EXPORT int32_t SIM_Hint(uint32_t hint, int32_t value);

/* ---- Interface texts ------------------------------------------------- */

/* The process-wide interface texts that views created afterwards start
 * from (a view keeps its own copy). SIM_Localize picks a built-in language
 * for the views created afterwards: 0 Danish, 1 German, 3 Spanish,
 * 4 Finnish, 5 French, 6 Italian, 7 Japanese, 8 Korean, 9 Simplified
 * Chinese, 10 Traditional Chinese; 2 and every other code English. It
 * returns 0. SIM_SetStrings copies the texts of slots 0-90 into the table
 * and cancels a language picked before; a null slot leaves its entry as it
 * is, a text is read up to its terminator or 4096 code units, whichever
 * comes first, and taken as it is (an unpaired surrogate draws as a gap).
 * -1 for a null record, else 0. SIM_GetStrings answers every slot's text:
 * slots 0-90 the table's, the others their English defaults; the pointers
 * stay valid until SIM_SetStrings sets their entry again. */
SIM_EXPORT int32_t SIM_Localize(int32_t language);
SIM_EXPORT int32_t SIM_SetStrings(const SIM_StringRecord* record);
SIM_EXPORT SIM_StringRecord SIM_GetStrings(void);

/* ---- Colour themes --------------------------------------------------- */

/* The process-wide light (0) and dark (1) themes (SIM_ColorTheme). A view
 * shows the one commands 23 and 24 chose and takes a changed theme at its
 * next frame. SIM_SetColorTheme with another theme number changes nothing;
 * it returns -1 for a null record, else 0. SIM_GetColorTheme answers the
 * theme's record, all zero for another number. */
SIM_EXPORT int32_t SIM_SetColorTheme(const SIM_ColorTheme* record, int32_t theme);
SIM_EXPORT SIM_ColorTheme SIM_GetColorTheme(int32_t theme);

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
 * neither a state nor a modifier, are ignored. The view evaluates the
 * bindings against the mouse every frame; the navigation the actions drive
 * arrives with the in-view mouse navigation. */
SIM_EXPORT int32_t SIM_AddKeyBinding(Render* view, SIM_KeyBinding binding);
SIM_EXPORT int32_t SIM_ReleaseKeyBindings(Render* view);

/* ---- Job data --------------------------------------------------------
 * Everything passed is copied during the call. Arrays and texts a getter
 * returns belong to the view and stay valid until the next call of the same
 * getter or until the view is closed. */

/* Hands over the toolpath (see SIM_ToolpathRecord) and replaces the previous
 * one; a null record loads an empty toolpath. The host hears
 * SIM_EVENT_TOOLPATH_LOADED when the view has taken it over. -1 for a null view. */
SIM_EXPORT int32_t SIM_SetToolpath(Render* view, const SIM_ToolpathRecord* record);
/* The NC program text shown beside the simulation: the status bar shows the
 * current line's code and the subprogram display the lines around it. Lines
 * are counted from 1, like the toolpath's NC line numbers (LF or CR LF
 * ends a line). SIM_SetNCFile replaces the main program's text (null: none)
 * and its per-line values (one u32 per line, copied only when both the
 * pointer and the count are non-zero; the view keeps them for the NC-code
 * list and reads nothing from them). SIM_SetSubProgramFiles replaces every
 * subprogram in the same way: entry k is the file id k of the toolpath's
 * subprogram line map; a null values pointer or lengths array, or a zero
 * length, gives an entry no values. -1 for a null view; SIM_STATUS_BAD_ARRAY
 * for a count without its texts array (a null text inside it is an empty
 * program). SIM_SetNCFileSelection selects lines of the NC-code list; when
 * valid is false both ends become -1. -1 for a null view, else 0. */
SIM_EXPORT int32_t SIM_SetNCFile(Render* view, const char* text, const uint32_t* values, uint32_t count);
SIM_EXPORT int32_t SIM_SetNCFileSelection(Render* view, bool valid, uint32_t first, int32_t second);
SIM_EXPORT int32_t SIM_SetSubProgramFiles(Render* view, const char* const* texts, const uint32_t* const* values,
                                          const uint32_t* lengths, uint32_t count);
/* Shows or hides one operation; an index past the operations changes
 * nothing. The view keeps the choice (a new toolpath snapshot) and cuts the
 * stock again; hiding the operation's lines arrives with the toolpath
 * drawing. -1 for a null view. */
SIM_EXPORT int32_t SIM_SetToolpathOperationVisibility(Render* view, uint32_t operation, bool visible);
/* What part of the toolpath is shown while playing (the "Animation shows"
 * modes); other values are ignored. The view keeps the mode; drawing the
 * toolpath by it arrives with the toolpath drawing. -1 for a null view. */
enum {
  SIM_TOOLPATH_MODE_WHOLE = 0,
  SIM_TOOLPATH_MODE_START_TO_TOOL = 1,
  SIM_TOOLPATH_MODE_REMAINING_DIMMED = 2,
  SIM_TOOLPATH_MODE_TOOL_TO_END = 3,
  SIM_TOOLPATH_MODE_CURRENT_Z_LEVEL = 4,
  SIM_TOOLPATH_MODE_CURRENT_Z_LEVEL_TO_TOOL = 5, /* the current level up to the tool */
  SIM_TOOLPATH_MODE_5 = SIM_TOOLPATH_MODE_CURRENT_Z_LEVEL_TO_TOOL,
  SIM_TOOLPATH_MODE_TAIL = 6,              /* the last 1,000 moves up to the tool */
  SIM_TOOLPATH_MODE_SINCE_LAST_RAPID = 7,
  SIM_TOOLPATH_MODE_SINCE_LAST_TOOL_CHANGE = 8,
  SIM_TOOLPATH_MODE_START_TO_TOOL_MARKED = 9, /* as 1, the current move marked */
  SIM_TOOLPATH_MODE_CURRENT_OPERATION = 10
};
SIM_EXPORT int32_t SIM_SetToolpathMode(Render* view, uint32_t mode);
/* The mode set last; 0 for a null view. */
SIM_EXPORT uint32_t SIM_GetToolpathMode(Render* view);
/* The toolpath display's switches (an addition; the commands write the same
 * switches). SIM_SetToolpathDisplay returns -1 for a null view or record and
 * SIM_STATUS_OUT_OF_RANGE for a colourBy above 2; the getter gives the
 * defaults without a view. */
SIM_EXPORT int32_t SIM_SetToolpathDisplay(Render* view, const SIM_ToolpathDisplay* display);
SIM_EXPORT SIM_ToolpathDisplay SIM_GetToolpathDisplay(Render* view);
/* The section plane (SIM_CuttingPlane). The setter returns -1 for a null
 * view or record and SIM_STATUS_OUT_OF_RANGE for a plane above 6 or a mode
 * above 2, keeping what was set. Without a view the getter answers plane 6,
 * mode 0, option A 1, the rest 0. */
SIM_EXPORT int32_t SIM_SetCuttingPlane(Render* view, const SIM_CuttingPlane* plane);
SIM_EXPORT SIM_CuttingPlane SIM_GetCuttingPlane(Render* view);
/* The stock compare (SIM_StockCompare). The setter returns -1 for a null
 * view or record, SIM_STATUS_NOT_FINITE for a limit that is not a number
 * and SIM_STATUS_OUT_OF_RANGE for a lower limit above the upper one,
 * keeping what was set; it ticks the ribbon's Compare button as the record
 * shows. The getter answers in the host units in force; without a view
 * {0, 1.0, 0.0}. */
/* How the stock shows and takes material (SIM_StockRemovalSettings). A
 * record equal to the one in force returns at once; otherwise the stocks
 * shown are drawn again, and cut again from the start when what a move
 * takes or the colour it leaves changed. The ribbon's "Color by operation"
 * and "Color by tool" are bytes 5 and 4 (never both: byte 5 wins). The
 * setter returns -1 for a null view or record and SIM_STATUS_OUT_OF_RANGE
 * for a byte 3 above 2 or a follow mode above 1; the getter answers the
 * view's state, the defaults without a view. */
SIM_EXPORT int32_t SIM_SetStockRemovalSettings(Render* view, const SIM_StockRemovalSettings* settings);
SIM_EXPORT SIM_StockRemovalSettings SIM_GetStockRemovalSettings(Render* view);
SIM_EXPORT int32_t SIM_SetStockCompare(Render* view, const SIM_StockCompare* compare);
SIM_EXPORT SIM_StockCompare SIM_GetStockCompare(Render* view);
/* The compare colours (SIM_StockCompareColors). The setter returns -1 for
 * a null view or record, SIM_STATUS_NOT_FINITE for a component that is not
 * a number and SIM_STATUS_OUT_OF_RANGE for one outside 0..1, keeping what
 * was set. The getter answers the view's colours, without a view the
 * defaults: red, amber, green, light blue, blue. */
SIM_EXPORT int32_t SIM_SetStockCompareColors(Render* view, const SIM_StockCompareColors* colours);
SIM_EXPORT SIM_StockCompareColors SIM_GetStockCompareColors(Render* view);
/* Collision detection (SIM_CollisionDetectionSettings, records header).
 * The setter returns -1 for a null view or record, SIM_STATUS_NOT_FINITE
 * or SIM_STATUS_OUT_OF_RANGE for a step that is not a positive number,
 * keeping what was set; it clears the results when the step moves by more
 * than 1e-7 mm or the mode changes. The getter answers the step in the host
 * units in force; without a view {0.2, 0, 2, 0}. The highlight settings are
 * stored as given (-1 for a null view); without a view all three are 1. */
SIM_EXPORT int32_t SIM_SetCollisionDetectionSettings(Render* view, const SIM_CollisionDetectionSettings* settings);
SIM_EXPORT SIM_CollisionDetectionSettings SIM_GetCollisionDetectionSettings(Render* view);
SIM_EXPORT int32_t SIM_SetCollisionHighlightSettings(Render* view, SIM_CollisionHighlightSettings settings);
SIM_EXPORT SIM_CollisionHighlightSettings SIM_GetCollisionHighlightSettings(Render* view);
/* Starts a full machine check on the view's own worker thread: 0 started,
 * -1 a full check is running, 1 for a null view. The host hears event 4
 * (preparing: 0, percent, 100), event 3 (percent every 100 ms, 100 at the
 * end) and event 2 when it is done. */
SIM_EXPORT int32_t SIM_RunCollisionDetection(Render* view);
/* Asks the running check to stop: 0 asked, -1 none runs, 1 for a null
 * view. What it found so far stays. */
SIM_EXPORT int32_t SIM_AbortCollisionDetection(Render* view);
/* The report of the last check (collision intervals, then travel-limit
 * violations), rebuilt now; the array stays the view's until the next
 * call. {NULL, 0} for a null view or an empty report. */
SIM_EXPORT SIM_CollisionReport SIM_GetCollisionReport(Render* view);
/* Move the playback, at the next frame, to the end of the last move of the
 * given NC line (or of the nearest earlier line that has moves) or of the
 * given entity (the start when no move carries it). -1 for a null view. */
SIM_EXPORT int32_t SIM_GotoLine(Render* view, uint32_t line);
SIM_EXPORT int32_t SIM_GotoEntity(Render* view, uint32_t entity);

/* ---- Remote control ----------------------------------------------------
 * SIM_Command runs one numbered command on a view: most do what an entry of
 * the view's ribbon does (toggle a display option, show a panel, change the
 * mouse mode). It changes state that the next frame reads and never waits
 * for the render thread. 1 for a null view; 0 otherwise, also for a code
 * above 72, which changes nothing. SIM_Question reads that state back:
 * false for a null view, code 51 and codes above 56.
 *
 * A headless view has no interface, no toolpath display settings for these
 * exports and no camera for them (the camera that SIM_RenderImage frames is
 * the view's own): commands on those change nothing and questions on them
 * answer their absent value (true for 9, 12 to 16; false for the rest).
 * The view's own bytes (3, 4, 21, 22, 26, 31, 33, 38, 42 to 46, 51, 55,
 * 68, 71, 72) exist with every view.
 *
 * What the open bytes are for (drawn as the interface arrives): 26 shows
 * the pivot marker; 38 shows the tool's
 * distance read-out, its companion value the distance; 51 locks the colour
 * entries (ribbon entries 39, 56 and 70 are disabled while it is set); 54,
 * 56 and 57 show the information panel's feed, spindle and coolant rows; 55
 * shows the stock's quality panel; 60 asks the interface to show the
 * playback bar's range; 62 asks it to lay itself out again; 68 asks the view
 * to fit the camera at the next frame. Question 1 is the machine panel's
 * compact form, 31 whether a stock model keeps its option byte set.
 * A disabled stock (36) keeps its state while the position moves on and is
 * cut to the position when enabled again (35). The placement tool (45) is
 * loaded with the workpiece placement, which places every stock after its
 * own placement (the identity at first); 48 moves the stocks to the tool's
 * placement, builds them again and cuts them to the position, and keeps
 * the placement they had. Commands 39, 40 and 59 and question 46 act once
 * the collision report and picking exist; until then they change nothing
 * and 46 answers false. */
enum {
  SIM_COMMAND_TOGGLE_MACHINE = 0,
  SIM_COMMAND_TOGGLE_TOOLPATH = 1,
  SIM_COMMAND_RESET_STOCK = 2,
  SIM_COMMAND_SHOW_STOCK_CUT = 3,
  SIM_COMMAND_TOGGLE_STOCK_CUT = 4,
  SIM_COMMAND_SHOW_STOCK = 5,
  SIM_COMMAND_HIDE_STOCK = 6,
  SIM_COMMAND_TOGGLE_TOOL = 7,
  SIM_COMMAND_ZOOM_IN = 8,
  SIM_COMMAND_ZOOM_OUT = 9,
  SIM_COMMAND_MOUSE_MODE_TWO = 10,
  SIM_COMMAND_MOUSE_MODE_ONE = 11,
  SIM_COMMAND_MOUSE_MODE_ZERO = 12,
  SIM_COMMAND_TOGGLE_RAPID_MOVES = 13,
  SIM_COMMAND_TOGGLE_CUTTING_MOVES = 14,
  SIM_COMMAND_TOGGLE_HOLDER = 15,
  SIM_COMMAND_REDRAW = 16,
  SIM_COMMAND_TOGGLE_POINTS = 17,
  SIM_COMMAND_TOGGLE_HIGHLIGHT_ELEMENTS = 18,
  SIM_COMMAND_TOGGLE_HIGHLIGHT_ARCS = 19,
  SIM_COMMAND_TOGGLE_LARGE_POINTS = 20,
  SIM_COMMAND_ACTIVE_MODE_ON = 21,
  SIM_COMMAND_ACTIVE_MODE_OFF = 22,
  SIM_COMMAND_LIGHT_THEME = 23,
  SIM_COMMAND_DARK_THEME = 24,
  SIM_COMMAND_TOGGLE_BOUNDING_BOX = 25,
  SIM_COMMAND_TOGGLE_OPTION26 = 26,
  SIM_COMMAND_TOGGLE_PLOT_CONTROL = 27,
  SIM_COMMAND_PANEL_MODE_ON = 28,
  SIM_COMMAND_PANEL_MODE_OFF = 29,
  SIM_COMMAND_TOGGLE_LOOP = 30,
  SIM_COMMAND_TOGGLE_TOOLPATH_ORIGIN = 31,
  SIM_COMMAND_TOGGLE_FOLLOW_TOOL = 32,
  SIM_COMMAND_TOGGLE_MEASURE = 33,
  SIM_COMMAND_ZOOM_WINDOW = 34,
  SIM_COMMAND_ENABLE_SOLIDS = 35,
  SIM_COMMAND_DISABLE_SOLIDS = 36,
  SIM_COMMAND_REFRESH_SOLIDS = 37,
  SIM_COMMAND_TOGGLE_OPTION38 = 38,
  SIM_COMMAND_NEXT_COLLISION = 39,
  SIM_COMMAND_COLLISION_REPORT_ACTION = 40,
  SIM_COMMAND_TOGGLE_TOOL_VECTORS = 41,
  SIM_COMMAND_NAVIGATION_MODE_ONE = 42,
  SIM_COMMAND_NAVIGATION_MODE_TWO = 43,
  SIM_COMMAND_NAVIGATION_MODE_OFF = 44,
  SIM_COMMAND_START_PLACEMENT = 45,
  SIM_COMMAND_STOP_PLACEMENT = 46,
  SIM_COMMAND_TOGGLE_AXIS_CONTROL = 47,
  SIM_COMMAND_COMMIT_STOCK = 48,
  SIM_COMMAND_TOGGLE_OPERATIONS_LIST = 49,
  SIM_COMMAND_TOGGLE_KEEP_HORIZON = 50,
  SIM_COMMAND_TOGGLE_OPTION51 = 51,
  SIM_COMMAND_TOGGLE_THICK_LINES = 52,
  SIM_COMMAND_TOGGLE_COLOR_LOOP = 53,
  SIM_COMMAND_TOGGLE_OPTION54 = 54,
  SIM_COMMAND_TOGGLE_OPTION55 = 55,
  SIM_COMMAND_TOGGLE_OPTION56 = 56,
  SIM_COMMAND_TOGGLE_OPTION57 = 57,
  SIM_COMMAND_TOGGLE_COLOR_BY_FEEDRATE = 58,
  SIM_COMMAND_JUMP_TO_CUT = 59,
  SIM_COMMAND_REQUEST_ACTION60 = 60,
  SIM_COMMAND_OPEN_CONTEXT_MENU = 61,
  SIM_COMMAND_REQUEST_RELAYOUT = 62,
  SIM_COMMAND_TOGGLE_MACHINE_PANEL = 63,
  SIM_COMMAND_SHOW_TOOLCHANGE_SEQUENCE = 64,
  SIM_COMMAND_TOGGLE_TOOLCHANGE_SEQUENCE = 65,
  SIM_COMMAND_TOGGLE_TOOLPATH_COLORS = 66,
  SIM_COMMAND_TOGGLE_STATISTICS = 67,
  SIM_COMMAND_SET_FLAG68 = 68,
  SIM_COMMAND_TOGGLE_NC_CODE = 69,
  SIM_COMMAND_TOGGLE_SPINDLE_ARROWS = 70,
  SIM_COMMAND_TOGGLE_ACTIVE_OFFSET = 71,
  SIM_COMMAND_TOGGLE_GRID = 72,
};
enum {
  SIM_QUESTION_MACHINE_PANEL_SHOWN = 0,
  SIM_QUESTION_MACHINE_PANEL_OPTION = 1,
  SIM_QUESTION_TOOLPATH_SHOWN = 2,
  SIM_QUESTION_STOCK_SHOWN = 3,
  SIM_QUESTION_STOCK_CUT_SHOWN = 4,
  SIM_QUESTION_HAS_STOCK_KIND_ZERO = 5,
  SIM_QUESTION_HAS_STOCK_KIND_ONE = 6,
  SIM_QUESTION_COLLISION_CHECK_RUNNING = 7,
  SIM_QUESTION_COLLISION_REPORT_READY = 8,
  SIM_QUESTION_TOOL_SHOWN = 9,
  SIM_QUESTION_MOUSE_MODE_TWO = 10,
  SIM_QUESTION_MOUSE_MODE_ONE = 11,
  SIM_QUESTION_MOUSE_MODE_ZERO = 12,
  SIM_QUESTION_RAPID_MOVES_SHOWN = 13,
  SIM_QUESTION_CUTTING_MOVES_SHOWN = 14,
  SIM_QUESTION_HOLDER_SHOWN = 15,
  SIM_QUESTION_POINTS_SHOWN = 16,
  SIM_QUESTION_HAS_COLLISION = 17,
  SIM_QUESTION_HIGHLIGHT_ELEMENTS = 18,
  SIM_QUESTION_HIGHLIGHT_ARCS = 19,
  SIM_QUESTION_LARGE_POINTS = 20,
  SIM_QUESTION_BOUNDING_BOX_SHOWN = 21,
  SIM_QUESTION_PLOT_CONTROL_SHOWN = 22,
  SIM_QUESTION_LOOP_ON = 23,
  SIM_QUESTION_VIEW_OPTION26 = 24,
  SIM_QUESTION_TOOLPATH_ORIGIN_SHOWN = 25,
  SIM_QUESTION_FOLLOW_TOOL = 26,
  SIM_QUESTION_MEASURE_MODE = 27,
  SIM_QUESTION_ZOOM_WINDOW_ACTIVE = 28,
  SIM_QUESTION_VIEW_OPTION38 = 29,
  SIM_QUESTION_TOOL_VECTORS_SHOWN = 30,
  SIM_QUESTION_SOLID_OPTION_SET = 31,
  SIM_QUESTION_PLACEMENT_ACTIVE = 32,
  SIM_QUESTION_AXIS_CONTROL_SHOWN = 33,
  SIM_QUESTION_OPERATIONS_LIST_SHOWN = 34,
  SIM_QUESTION_KEEP_HORIZON = 35,
  SIM_QUESTION_VIEW_OPTION51 = 36,
  SIM_QUESTION_THICK_LINES = 37,
  SIM_QUESTION_COLOR_LOOP = 38,
  SIM_QUESTION_UI_OPTION54 = 39,
  SIM_QUESTION_VIEW_OPTION55 = 40,
  SIM_QUESTION_STOCK_PENDING = 41,
  SIM_QUESTION_UI_OPTION56 = 42,
  SIM_QUESTION_UI_OPTION57 = 43,
  SIM_QUESTION_HAS_ENABLED_SOLID = 44,
  SIM_QUESTION_COLOR_BY_FEEDRATE = 45,
  SIM_QUESTION_CAN_JUMP_TO_CUT = 46,
  SIM_QUESTION_PERSPECTIVE = 47,
  SIM_QUESTION_TOOLCHANGE_SEQUENCE_SHOWN = 48,
  SIM_QUESTION_TOOLPATH_COLORS_SHOWN = 49,
  SIM_QUESTION_STATISTICS_SHOWN = 50,
  SIM_QUESTION_NC_CODE_SHOWN = 52,
  SIM_QUESTION_SPINDLE_ARROWS_VISIBLE = 53,
  SIM_QUESTION_SPINDLE_ARROWS = 54,
  SIM_QUESTION_ACTIVE_OFFSET_SHOWN = 55,
  SIM_QUESTION_GRID_SHOWN = 56,
};

SIM_EXPORT int32_t SIM_Command(Render* view, uint32_t code, uint64_t argument);
SIM_EXPORT bool SIM_Question(Render* view, uint32_t code);

/* ---- Playback --------------------------------------------------------
 * The playback position is a fraction of the toolpath's total time. Calls
 * hand a position to the view, which moves there at its next frame. */

/* How SIM_SetProgress reads its value. */
enum {
  SIM_PROGRESS_TIME_FRACTION = 0,   /* a fraction of the toolpath's total time */
  SIM_PROGRESS_LENGTH_FRACTION = 1, /* a fraction of its total length */
  SIM_PROGRESS_TIME = 2,            /* a time in the host's time unit (the feeds' minutes) */
  SIM_PROGRESS_LENGTH = 3           /* a length along the toolpath */
};
/* Moves the playback to value read in mode (SIM_PROGRESS_*); other modes
 * change nothing. The position is kept within 0 to 1. -1 for a null view. */
SIM_EXPORT int32_t SIM_SetProgress(Render* view, double value, int32_t mode);
/* Playback steps, worked out at the next frame from the position then;
 * other codes do nothing. 1 for a null view. */
enum {
  SIM_STEP_START = 0,
  SIM_STEP_END = 1,
  SIM_STEP_NEXT_ELEMENT = 2,
  SIM_STEP_NEXT_Z_LEVEL = 3,
  SIM_STEP_NEXT_CUTTING_PASS = 4,
  SIM_STEP_NEXT_TOOL = 5,
  SIM_STEP_NEXT_OPERATION = 6,
  SIM_STEP_PREVIOUS_ELEMENT = 7,
  SIM_STEP_PREVIOUS_Z_LEVEL = 8,
  SIM_STEP_PREVIOUS_CUTTING_PASS = 9,
  SIM_STEP_PREVIOUS_TOOL = 10,
  SIM_STEP_PREVIOUS_OPERATION = 11
};
SIM_EXPORT int32_t SIM_GotoCommand(Render* view, uint32_t code);
/* Moves the speed slider (0 to 1; 0.35 stands still, 0.58 plays in real
 * time, 1 plays as fast as the view allows, below 0.35 plays backwards) by
 * delta within its half: from 0.5 up delta speeds up, below 0.5 delta
 * slows backwards play down. -1 for a null view. */
SIM_EXPORT int32_t SIM_UpdateSpeed(Render* view, double delta);
/* Sets task's percentage and caption (UTF-8) for the view's progress bar;
 * a percentage above 99 ends the task. The bar (bottom right, in views with
 * a window) shows the least advanced task and hides when none is left.
 * -1 for a null view. */
SIM_EXPORT int32_t SIM_SetProgressBar(Render* view, uint32_t task, uint32_t percent, const char* text);

/* Additions of this library: playing without the in-view playback bar.
 * SIM_Play plays from the current position at the speed slider's rate and
 * stops at the end (the start, playing backwards); SIM_Pause stops.
 * SIM_IsPlaying: 1 while playing, 0 when stopped. SIM_GetProgress: the
 * position the view last moved to; SIM_GetSpeed: the speed slider's value.
 * -1 for a null view. */
SIM_EXPORT int32_t SIM_Play(Render* view);
SIM_EXPORT int32_t SIM_Pause(Render* view);
SIM_EXPORT int32_t SIM_IsPlaying(Render* view);

SIM_EXPORT double SIM_GetProgress(Render* view);
SIM_EXPORT double SIM_GetSpeed(Render* view);

/* What pauses playing (the ribbon's "Stop at" menu edits the same): eight
 * bytes of a u64, byte k for condition k (SIM_STOP_*), any non-zero byte
 * taken as 1. A tool change and the first move of an operation pause
 * playing exactly where the step to that move lands; an optional stop (a
 * move event of SIM_EVENT_CATEGORY_OPTIONAL_STOP) before its move runs. A
 * rapid move that removed
 * material, and a cut with the spindle stopped that did, pause playing at
 * the end of the move, found once the cut reports it. Holder into stock,
 * tool against machine models and travel limits are kept for the collision
 * checks. The setter returns -1 for a null view; the getter 0. */
enum {
  SIM_STOP_TOOL_CHANGE = 0,
  SIM_STOP_OPERATION_CHANGE = 1,
  SIM_STOP_RAPID_INTO_STOCK = 2,
  SIM_STOP_STOPPED_SPINDLE_CUT = 3,
  SIM_STOP_HOLDER_INTO_STOCK = 4,
  SIM_STOP_TOOL_AGAINST_MACHINE = 5,
  SIM_STOP_TRAVEL_LIMITS = 6,
  SIM_STOP_OPTIONAL_STOP = 7
};
SIM_EXPORT int32_t SIM_SetStopConditions(Render* view, uint64_t conditions);
SIM_EXPORT uint64_t SIM_GetStopConditions(Render* view);

/* Replaces the tool table: tools (with their parts and profiles) and
 * holders are copied, tool meshes and cut shapes built, and a toolpath
 * takes over the tools' orientations. Lengths in host units. -1 for a null
 * view. */
SIM_EXPORT int32_t SIM_SetToolTable(Render* view, const SIM_ToolTableRecord* table);
/* The tool table in the host's layout: tool records without parts, holders
 * shared by tools with equal holder data (a tool's holder index points into
 * them, -1 for none). The arrays stay valid until the next call. An empty
 * record for a null view. */
SIM_EXPORT SIM_ToolTableRecord SIM_GetToolTable(Render* view);
/* Measures every tool of the given table without changing the view's own:
 * one result per tool, valid until the next call; holder placements in the
 * table are updated with the machine's (none until machines are loaded).
 * {0, null} for a null view or table. */
SIM_EXPORT SIM_CompensationList SIM_ResolveToolTableCompensation(Render* view, SIM_ToolTableRecord* table);
/* Slot slots[i] holds tool tools[i] (an index into the tool table). The
 * view keeps the slot map; a machine's tool changer reads it once machines
 * are loaded. -1 for a null view. */
SIM_EXPORT int32_t SIM_MountMachineSlots(Render* view, uint32_t count, const uint32_t* slots, const uint32_t* tools);

/* Cuts the toolpath moves [range[0], range[1]) out of every stock at the
 * view's next frame, in full and whatever playback has cut before, each with
 * the tool its tool change selects. -1 for a null view or a null range. */
SIM_EXPORT int32_t SIM_CutStock(Render* view, const uint32_t* range);

/* Defines a stock, or replaces the stock with the same identifier (both
 * calls do the same). 1 for a null view. */
SIM_EXPORT int32_t SIM_CreateStock(Render* view, SIM_StockRecord record);
SIM_EXPORT int32_t SIM_UpdateStock(Render* view, SIM_StockRecord record);
/* The stock with that identifier, lengths in host units; for an unknown
 * identifier or a null view the default record (quality 0.5, colour 0.176). */
SIM_EXPORT SIM_StockRecord SIM_GetStock(Render* view, uint32_t identifier);
/* Every stock, in the order they were first defined. */
SIM_EXPORT SIM_StockList SIM_GetStockModels(Render* view);
/* Identifier of the stock defined or updated last; -1 when there is none. */
SIM_EXPORT int64_t SIM_GetCurrentStockModel(Render* view);
/* Addition of this library: the cell size of the stock's lattice in host
 * units, 0 while it is not built (or for an unknown identifier or a null
 * view). A lattice resolves nothing finer than a cell: the view cuts a
 * stock whose cells are coarser than a quarter of the radius of the
 * smallest tool the toolpath uses (the largest stocks, at low quality), but
 * sends SIM_EVENT_STOCK_TOO_COARSE once for that stock, toolpath and tool
 * table, so that the host can say so and offer a finer quality. Thin walls
 * and slivers of a coarse stock lose volume or vanish. */
SIM_EXPORT double SIM_GetStockCellSize(Render* view, uint32_t identifier);
/* Removes a stock; an unknown identifier changes nothing. -1 for a null view. */
SIM_EXPORT int32_t SIM_RemoveStock(Render* view, uint32_t identifier);

/* Copies the geometries into the view's list. With replace the list is
 * replaced; otherwise they are added, and one with a name already in the
 * list replaces that entry. 1 for a null view. */
SIM_EXPORT int32_t SIM_CreateGeometries(Render* view, SIM_GeometryList list, bool replace);
SIM_EXPORT SIM_GeometryList SIM_GetGeometries(Render* view);
/* The named geometry; the default record (role SIM_GEOMETRY_OTHER) when no
 * geometry has that name. */
SIM_EXPORT SIM_GeometryRecord SIM_GetGeometry(Render* view, const char* name);
/* Replaces the geometry with the record's name; 1 for a null view or when
 * no geometry has that name. */
SIM_EXPORT int32_t SIM_UpdateGeometry(Render* view, const SIM_GeometryRecord* record);
/* Removes the named geometry at the view's next frame. -1 for a null view. */
SIM_EXPORT int32_t SIM_RemoveGeometry(Render* view, const char* name);
/* Makes the named geometry the selected one; an unknown name changes
 * nothing. -1 for a null view. */
SIM_EXPORT int32_t SIM_SelectGeometry(Render* view, const char* name);

/* Key 0: the process-wide data folder (settings and the machine mesh
 * cache); a null or empty text goes back to the default,
 * ${XDG_DATA_HOME:-$HOME/.local/share}/Tarvo/. Set it before creating the
 * views that use it. Key 1: the path of the stand-alone viewer program for
 * presentation bundles. Other keys are ignored. 1 for a null view, else 0. */
enum { SIM_PARAMETER_DATA_FOLDER = 0, SIM_PARAMETER_VIEWER_PROGRAM = 1 };
SIM_EXPORT int32_t SIM_SetParameter(Render* view, int32_t key, const char* text);

/* ---- Machine ---------------------------------------------------------- */

/* Loads a machine definition (JSON text, UTF-8) in place of the view's
 * machine. With legacy 1 the text has the legacy layout and is converted
 * first. unit (0 millimetres, anything else inches) applies when the text
 * names no "Unit". The machine origin moves to the table centre. Returns 1
 * for a null view, else 0 whatever the text held: ask
 * SIM_GetMachineLoadStatus how the load went. A text that does not parse
 * leaves the view without a machine. */
SIM_EXPORT int32_t SIM_CreateMachine(Render* view, const char* definition, uint32_t legacy, uint32_t unit);

/* Addition: how the last SIM_CreateMachine went. */
enum {
  SIM_MACHINE_LOADED = 0,
  SIM_MACHINE_NONE = 1,           /* no definition loaded yet (also for a null view) */
  SIM_MACHINE_PARSE_ERROR = 2,    /* not JSON; the message gives line and column */
  SIM_MACHINE_NOT_AN_OBJECT = 3,  /* the document is not a JSON object */
  SIM_MACHINE_NO_LEGACY_ROOT = 4  /* legacy text without a "MachineDefinition" object */
};
typedef struct SIM_MachineLoadStatus {
  int32_t status;
  uint32_t skippedModels; /* models the last model load left without a mesh: a file missing or
                             unreadable, a record with a null array, a bad index or a number that
                             is not finite */
  const char* message; /* UTF-8; valid until the next call of this export for the view */
} SIM_MachineLoadStatus;
SIM_STATIC_ASSERT(sizeof(SIM_MachineLoadStatus) == 16, "SIM_MachineLoadStatus is 16 bytes");
SIM_EXPORT SIM_MachineLoadStatus SIM_GetMachineLoadStatus(Render* view);

/* Hands over the machine's model meshes (see SIM_MachineModelRecord); a
 * worker gives them to the models, builds their convex pieces through the
 * mesh cache (SIM_EVENT_MESH_CACHE_PROGRESS) and then sends
 * SIM_EVENT_MACHINE_LOADED. A record that cannot be used is skipped (counted
 * in SIM_GetMachineLoadStatus). 1 for a null view, else 0. */
SIM_EXPORT int32_t SIM_LoadMachineModels(Render* view, SIM_MachineModelList models);
/* The same with every model's "Path" read under folder: STL, or ".ToolData"
 * by its extension. 1 for a null view, else 0. */
SIM_EXPORT int32_t SIM_LoadMachineModelsPath(Render* view, const char* folder);

/* The machine origin: where the program zero lies in machine coordinates
 * with every axis at 0, in host units; SIM_CreateMachine puts it at the
 * table centre. The stock and toolpath stay where they are and the machine
 * is drawn around them. -1 for a null view; SIM_STATUS_NOT_FINITE or
 * SIM_STATUS_OUT_OF_RANGE refuse the point; SIM_STATUS_BAD_ARRAY a null
 * output pointer. */
SIM_EXPORT int32_t SIM_SetMachineOrigin(Render* view, float x, float y, float z);
SIM_EXPORT int32_t SIM_GetMachineOrigin(Render* view, float* x, float* y, float* z);
/* An origin that sets the stock made last on the table: the table centre
 * less the stock's bottom centre; (0, 0, -250 mm) without a stock. */
SIM_EXPORT int32_t SIM_SuggestMachineOrigin(Render* view, float* x, float* y, float* z);

/* ---- Settings --------------------------------------------------------- */

/* The host's length unit: 0 millimetres, anything else inches. Lengths in
 * the stock and geometry records are in this unit. -1 for a null view. */
SIM_EXPORT int32_t SIM_SetUnits(Render* view, uint32_t unit);
/* Decimals the interface shows lengths with (at most 9); until set, 3 in
 * millimetres and 4 in inches. -1 for a null view. */
SIM_EXPORT int32_t SIM_SetDecimals(Render* view, uint8_t digits);
/* The turn from the host's axes to the machine's: a 3 x 3 rotation, row by
 * row (identity until set). The scene is shown, and host camera records
 * read, through it. -1 for a null view or matrix, SIM_STATUS_NOT_FINITE for
 * a value that is not a number, SIM_STATUS_OUT_OF_RANGE for a matrix that is
 * not a rotation (orthonormal within 1e-6, determinant +1), keeping what was
 * set. */
SIM_EXPORT int32_t SIM_SetAxisTransformation(Render* view, const double rotation[9]);
/* The chord tolerance (host units) models and the cut path are made with;
 * 0.01 mm until set. With applyNow the toolpath is cut again at the new
 * precision; otherwise it applies from the next toolpath or tool table.
 * A precision that is not a positive length changes nothing. -1 for a null
 * view. */
SIM_EXPORT int32_t SIM_SetGeometryPrecision(Render* view, double precision, bool applyNow);
/* The precision in host units; 0.0 for a null view. */
SIM_EXPORT double SIM_GetGeometryPrecision(Render* view);

/* ---- Camera ----------------------------------------------------------- */

/* Standard views; the view moves there in a short transition at its next
 * frame, about the box of the stocks shown. Asked for before the view shows
 * anything or has any pose, the code is kept and applied once there is a
 * stock to see. Other codes change nothing. -1 for a null view. */
enum {
  SIM_VIEW_ISOMETRIC = 0,
  SIM_VIEW_TOP = 1,
  SIM_VIEW_BOTTOM = 2,
  SIM_VIEW_FRONT = 3,
  SIM_VIEW_BACK = 4,
  SIM_VIEW_LEFT = 5,
  SIM_VIEW_RIGHT = 6,
  SIM_VIEW_FIT = 7,              /* fit, keeping the direction */
  SIM_VIEW_FROM_TOOL = 8,        /* along the tool's axis; until the tool is drawn, as the front view */
  SIM_VIEW_ZOOM_TO_SELECTION = 9 /* closer, keeping the direction; about the stocks until picking selects */
};
SIM_EXPORT int32_t SIM_SetView(Render* view, int32_t code);
/* SIM_PROJECTION_PERSPECTIVE, anything else orthographic. -1 for a null view. */
enum { SIM_PROJECTION_ORTHOGRAPHIC = 0, SIM_PROJECTION_PERSPECTIVE = 1 };
SIM_EXPORT int32_t SIM_SetProjection(Render* view, int32_t projection);
/* Moves the view by a along the screen's vertical and by b against its
 * horizontal, in device units (2 = the window's height or width) carried
 * through the inverse projection. 0 and nothing happens for (0, 0); -1 for
 * a null view. */
SIM_EXPORT int32_t SIM_PanView(Render* view, double a, double b);
/* Turns the view by pitch and yaw degrees about its pivot (the scene's
 * centre until one is chosen). 0 and nothing happens for (0, 0); -1 for a
 * null view. */
SIM_EXPORT int32_t SIM_RotateView(Render* view, double pitch, double yaw);
/* Sets the pose from a host camera record (see SIM_CameraRecord). -1 for a
 * null view or record, and for a record that shows nothing (no size, a zero
 * or not finite vector, up along the normal); the pose stays. */
SIM_EXPORT int32_t SIM_SetCamera(Render* view, const SIM_CameraRecord* camera);

/* What the orientation aids in the top right corner show: the view cube
 * (a click on a face turns to that standard view, on an edge or a corner
 * to look at it) and below it the gnomon, the X, Y and Z axes as the
 * camera sees them. A non-zero byte shows. 0 taken; 1 for a null view;
 * -1 for a null record. All shown until the host says otherwise. */
typedef struct SIM_GnomonRecord {
  uint8_t axisShown[3]; /* X, Y, Z: the axis and its label */
  uint8_t gnomon;       /* the axes at all */
  uint8_t viewCube;
  uint8_t reserved[3];
} SIM_GnomonRecord;
SIM_STATIC_ASSERT(sizeof(SIM_GnomonRecord) == 8, "SIM_GnomonRecord is 8 bytes");
SIM_EXPORT int32_t SIM_UpdateGnomon(Render* view, const SIM_GnomonRecord* record);

/* ---- Files ------------------------------------------------------------ */

/* Reads an STL file (binary or ASCII, UTF-8 path) and reports its bounding
 * box; status 1 with an all-zero box when it holds no usable triangles. */
SIM_EXPORT SIM_StlAnalysis SIM_AnalyseSTL(const char* path);
/* Reads an ASCII DXF drawing (UTF-8 path) into straight segments
 * (SIM_DxfSegment): LINE, ARC, CIRCLE, LWPOLYLINE and 2D POLYLINE (bulges
 * are arcs), and the blocks INSERT places, in the insert's position, scale,
 * turn and array, blocks within blocks to 16 deep. Arcs become chords
 * within 0.01 drawing units of the arc, at least one per 45 degrees; Z is
 * dropped; other entities are left out; a drawing cut short gives what it
 * holds. A drawing of more than 2^26 segments is refused (1). count is set to 0 on
 * entry. When capacity (in segments) is at least the segments read plus
 * one, they are written with an all-zero segment after them, count is set
 * and the answer is 0; otherwise nothing is written and the answer is 2.
 * 1: the file cannot be read as a DXF drawing; -1: a null path or count. */
SIM_EXPORT int32_t SIM_ParseDxfFile(const char* path, SIM_DxfSegment* segments, int32_t capacity, uint32_t* count);

/* ---- Export ----------------------------------------------------------- */

/* Writes the surface of stock solid (its identifier) as binary STL in host
 * units to path (UTF-8), on an export thread of that solid. The host hears
 * SIM_EVENT_EXPORT_PROGRESS with 10, 50, 90 and 100; a path that cannot be
 * written, or a surface too large for the device's buffers, gets no file
 * (never a part of the surface) but still the 100. 0 when started; -1 for a null view,
 * an unknown solid, or while that solid's previous export runs. */
SIM_EXPORT int32_t SIM_ExportSolid(Render* view, int32_t solid, const char* path);

/* Writes the whole simulation to path (UTF-8) as a simulation file
 * (".TarvoSimData"): the toolpath, tool table, stocks and geometries with
 * the model files they name, the settings, saved display choices, playback
 * position, NC text and mouse bindings, read on the calling thread. The
 * file is written beside the target and renamed over it. 0, also when
 * writing failed; -1 for a null view. */
SIM_EXPORT int32_t SIM_ExportSimulation(Render* view, const char* path);

/* Addition of this library, for a viewer: replaces the view's simulation
 * with a simulation file's. The file is read and checked whole before the
 * view changes; its model files go to a folder of their own below
 * "TarvoSimData" in the temporary folder, removed with the view or at the
 * next load. 0 loaded; -1 for a null view or path; SIM_LOAD_* otherwise,
 * the view unchanged. */
enum {
  SIM_LOAD_UNREADABLE = 1,     /* missing, not a file, or unreadable */
  SIM_LOAD_BAD_CHECKSUM = 2,   /* not a simulation file, or a damaged one */
  SIM_LOAD_UNKNOWN_FORMAT = 3, /* a format number this library does not read */
  SIM_LOAD_MALFORMED = 4,      /* a section past its parent, counts that do not match the bytes, a repeated part */
  SIM_LOAD_REFUSED = 5,        /* a record the view refuses (as its setter would) */
  SIM_LOAD_NO_FOLDER = 6       /* its model files could not be written out */
};
SIM_EXPORT int32_t SIM_LoadSimulation(Render* view, const char* path);

/* Addition of this library: the presentation export without its dialogs,
 * for hosts that ask for the path themselves. With a viewer program set
 * (SIM_SetParameter key 1) that can be opened and a path ending in ".zip",
 * a ZIP bundle of the viewer ("TARVOSimulation.exe") and the simulation
 * file (named after the bundle); otherwise the simulation file at path.
 * 0 written; 1 when it could not be; -1 for a null view or path. */
SIM_EXPORT int32_t SIM_ExportPresentation(Render* view, const char* path);

/* Addition of this library: a picture of the view drawn for the host, the
 * stocks as the view's camera sees them in an image of width x height
 * (the camera framing it as it would a window of that size). rgba receives
 * width * height * 4 bytes, rows from the top down; where nothing was
 * drawn, the theme's background with its alpha (0 in the built-in
 * themes). Waits for the render thread (at most a minute).
 * 0 done; -1 for a null view or bad arguments; 1 when the view could not
 * draw it (closed, or called from the view's own thread). */
SIM_EXPORT int32_t SIM_RenderImage(Render* view, int32_t width, int32_t height, uint8_t* rgba);

/* Addition of this library: pointer input for the view as if given in its
 * window (SIM_InputEvent). 0 taken; -1 for a null view or event;
 * SIM_STATUS_NOT_FINITE for a position or wheel that is not finite;
 * SIM_STATUS_OUT_OF_RANGE for an unknown kind or button; 1 when the view
 * has no window (headless). */
SIM_EXPORT int32_t SIM_SendInput(Render* view, const SIM_InputEvent* event);

/* Addition of this library: the view's window as the user sees it, the
 * in-window interface included, drawn again at the window's size by the
 * render thread. width and height receive that size; when rgba is not null
 * and capacity (bytes) holds width * height * 4, it receives the picture,
 * rows from the top down, opaque. Waits for the render thread (at most a
 * minute). 0 done (with a null rgba: the size only); -1 for a null view,
 * width or height; 1 when the view could not draw it (no window, closed,
 * or called from the view's own thread); 2 when capacity is too small
 * (the size is still set). */
SIM_EXPORT int32_t SIM_RenderWindowImage(Render* view, int32_t* width, int32_t* height, uint8_t* rgba,
                                         int64_t capacity);

/* Addition of this library: where a view's time went, for views created
 * with SIM_HINT_TIMINGS. Per phase the seconds summed over its runs (a
 * phase of the render thread waits for the GPU at its end, so its GPU work
 * counts in it) and the most resident memory the process held during them
 * (bytes; 0 where the phase never ran or the system does not say); the
 * resident memory of the view as it was created, idle; and the most the
 * process held at any time since. The memory is the
 * process's: phases that run at the same time share their peaks, and a
 * phase run inside another counts in both (a picture whose surface had to
 * be extracted first). Timing a view costs it those waits for the GPU.
 * 0 done; -1 for a null view or record; 1 when the view is not timed. */
enum {
  SIM_PHASE_TOOLPATH_LOAD = 0, /* SIM_SetToolpath, and the moves made and sent to the GPU */
  SIM_PHASE_STOCK_BUILD = 1,   /* lattices built from stock definitions, again when rebuilt */
  SIM_PHASE_CUT = 2,           /* moves cut out of the lattices */
  SIM_PHASE_EXTRACTION = 3,    /* stock surfaces extracted from the lattices */
  SIM_PHASE_WELD = 4,          /* an exported solid's surface welded into one mesh */
  SIM_PHASE_STL_WRITE = 5,     /* STL files made and written */
  SIM_PHASE_PICTURE = 6,       /* SIM_RenderImage's drawing and read-back */
  SIM_PHASE_COUNT = 7
};
typedef struct SIM_PhaseTimes {
  double seconds[SIM_PHASE_COUNT];
  uint64_t peakResidentBytes[SIM_PHASE_COUNT];
  uint64_t bareResidentBytes;
  uint64_t wholePeakResidentBytes; /* the most since the view was made, in a phase or not */
} SIM_PhaseTimes;
SIM_EXPORT int32_t SIM_GetPhaseTimes(Render* view, SIM_PhaseTimes* times);

#ifdef __cplusplus
}
namespace SIM_API {
/* The question codes as C++ names; they also key the saved toggle map. */
enum Question : uint32_t {
  MachinePanelShown = 0,
  MachinePanelOption = 1,
  ToolpathShown = 2,
  StockShown = 3,
  StockCutShown = 4,
  HasStockKindZero = 5,
  HasStockKindOne = 6,
  CollisionCheckRunning = 7,
  CollisionReportReady = 8,
  ToolShown = 9,
  MouseModeTwo = 10,
  MouseModeOne = 11,
  MouseModeZero = 12,
  RapidMovesShown = 13,
  CuttingMovesShown = 14,
  HolderShown = 15,
  PointsShown = 16,
  HasCollision = 17,
  HighlightElements = 18,
  HighlightArcs = 19,
  LargePoints = 20,
  BoundingBoxShown = 21,
  PlotControlShown = 22,
  LoopOn = 23,
  ViewOption26 = 24,
  ToolpathOriginShown = 25,
  FollowTool = 26,
  MeasureMode = 27,
  ZoomWindowActive = 28,
  ViewOption38 = 29,
  ToolVectorsShown = 30,
  SolidOptionSet = 31,
  PlacementActive = 32,
  AxisControlShown = 33,
  OperationsListShown = 34,
  KeepHorizon = 35,
  ViewOption51 = 36,
  ThickLines = 37,
  ColorLoop = 38,
  UiOption54 = 39,
  ViewOption55 = 40,
  StockPending = 41,
  UiOption56 = 42,
  UiOption57 = 43,
  HasEnabledSolid = 44,
  ColorByFeedrate = 45,
  CanJumpToCut = 46,
  Perspective = 47,
  ToolchangeSequenceShown = 48,
  ToolpathColorsShown = 49,
  StatisticsShown = 50,
  NcCodeShown = 52,
  SpindleArrowsVisible = 53,
  SpindleArrows = 54,
  ActiveOffsetShown = 55,
  GridShown = 56,
};
}  // namespace SIM_API

#endif

#endif /* KORVANE_H */
