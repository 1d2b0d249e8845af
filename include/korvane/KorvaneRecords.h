/* Korvane: the records a host exchanges with a view.
 *
 * Included by Korvane.h; a host includes that header only. Every record is
 * little-endian with natural alignment: pointers and counts are 64 bits and
 * sit on 8-byte boundaries. Text fields are zero-terminated UTF-8.
 *
 * Ownership: every record or array the host passes is read during the call
 * and copied; the host may free it as soon as the call returns. Every record
 * or array a getter returns is owned by the view and stays valid until the
 * next call of the same getter or until the view is closed; the host never
 * frees it.
 *
 * Lengths in the stock and geometry records are in host units (millimetres,
 * or inches after SIM_SetUnits(view, 1)); the view keeps millimetres.
 */
#ifndef KORVANE_RECORDS_H
#define KORVANE_RECORDS_H

#ifndef KORVANE_H
#error "include Korvane.h instead"
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define SIM_ASSERT_SIZE(type, size) SIM_STATIC_ASSERT(sizeof(type) == (size), #type " size")
#define SIM_ASSERT_OFFSET(type, field, offset) \
  SIM_STATIC_ASSERT(offsetof(type, field) == (offset), #type "." #field " offset")

/* ==== Toolpath ========================================================== */

/* Move types. Types 2, 3 and 4 cut; type 1 is a rapid move. */
enum {
  SIM_MOVE_NONE = 0,   /* no motion */
  SIM_MOVE_RAPID = 1,
  SIM_MOVE_LINEAR = 2, /* feed move */
  SIM_MOVE_ARC_CW = 3,
  SIM_MOVE_ARC_CCW = 4
};

/* Bits of the per-move flag word. */
enum {
  SIM_MOVE_FLAG_TURNING = 1u << 0 /* a turning move: its largest |X| is the turned radius */
};

/* One move of the interpreted NC program. The start point is the previous
 * move's end.
 *
 * Arcs: a counter-clockwise arc (type 4) turns clockwise about its normal,
 * so an arc in the XY plane seen from +Z (G17) has the normal (0, 0, -1),
 * XZ (G18) (0, -1, 0) and YZ (G19) (-1, 0, 0), each plane seen from the
 * positive end of its third axis. Start and end may lie at
 * different heights along the normal (a helix); start equal to end is a full
 * circle. When the start and end radius differ by more than 0.01 the move
 * is measured and drawn as a straight move. */
typedef struct SIM_ToolpathMove {
  uint32_t type;    /* SIM_MOVE_* */
  uint32_t padding;
  double end[3];    /* end point X, Y, Z in program coordinates */
  double centre[3]; /* arc centre (arcs only) */
  double normal[3]; /* unit normal of the arc plane (arcs only), used as given */
  double axes[3];   /* rotary axes A, B, C in radians at the end of the move, or the
                       tool direction (i, j, k) in direction mode */
} SIM_ToolpathMove;
SIM_ASSERT_SIZE(SIM_ToolpathMove, 104);
SIM_ASSERT_OFFSET(SIM_ToolpathMove, end, 8);
SIM_ASSERT_OFFSET(SIM_ToolpathMove, centre, 32);
SIM_ASSERT_OFFSET(SIM_ToolpathMove, normal, 56);
SIM_ASSERT_OFFSET(SIM_ToolpathMove, axes, 80);

/* An operation: the moves from first up to, not including, end. */
typedef struct SIM_OperationRange {
  uint32_t first;
  uint32_t end;        /* the bound the operation-of-a-move lookup compares against */
  uint32_t identifier; /* the host's own number for the operation */
} SIM_OperationRange;
SIM_ASSERT_SIZE(SIM_OperationRange, 12);
SIM_ASSERT_OFFSET(SIM_OperationRange, end, 4);

/* A tool change: the tool named name is used from move on. The move itself
 * becomes a move without motion. */
typedef struct SIM_NamedMove {
  char name[40]; /* zero-terminated; compared byte for byte with tool identifiers */
  uint32_t move;
} SIM_NamedMove;
SIM_ASSERT_SIZE(SIM_NamedMove, 44);
SIM_ASSERT_OFFSET(SIM_NamedMove, move, 40);

/* The tool orientation from move on, until the next entry. */
typedef struct SIM_OrientationEntry {
  uint64_t move;
  double rotation[9]; /* 3 x 3, row by row */
} SIM_OrientationEntry;
SIM_ASSERT_SIZE(SIM_OrientationEntry, 80);
SIM_ASSERT_OFFSET(SIM_OrientationEntry, rotation, 8);

/* A tool offset in tool coordinates, in force from firstMove until the next
 * entry's first move. */
typedef struct SIM_CompensationChange {
  uint32_t firstMove;
  float offset[3];
} SIM_CompensationChange;
SIM_ASSERT_SIZE(SIM_CompensationChange, 16);
SIM_ASSERT_OFFSET(SIM_CompensationChange, offset, 4);

/* Global NC lines [firstLine, endLine) come from file fileId; localLines holds
 * endLine - firstLine local line numbers. */
typedef struct SIM_SubprogramLines {
  uint32_t fileId;
  uint32_t firstLine;
  uint32_t endLine;
  uint32_t padding;
  const uint32_t* localLines;
} SIM_SubprogramLines;
SIM_ASSERT_SIZE(SIM_SubprogramLines, 24);
SIM_ASSERT_OFFSET(SIM_SubprogramLines, localLines, 16);

/* The values in force hold for the moves before move; from move on, value
 * holds (kind 0: first value set, otherwise the second). */
typedef struct SIM_ValueChange {
  uint32_t move;
  uint8_t kind;
  uint8_t padding[3];
  double value;
} SIM_ValueChange;
SIM_ASSERT_SIZE(SIM_ValueChange, 16);
SIM_ASSERT_OFFSET(SIM_ValueChange, kind, 4);
SIM_ASSERT_OFFSET(SIM_ValueChange, value, 8);

/* Event categories (bits of SIM_MoveEvent.categories). */
enum {
  SIM_EVENT_CATEGORY_STOP = 1u << 0,         /* program stop */
  SIM_EVENT_CATEGORY_OPTIONAL_STOP = 1u << 1,
  SIM_EVENT_CATEGORY_COOLANT = 1u << 2,
  SIM_EVENT_CATEGORY_MESSAGE = 1u << 3       /* an operator message; the payload holds its text */
};

/* Something that happens at a move: a stop, a coolant switch, a message. */
typedef struct SIM_MoveEvent {
  uint32_t move;
  uint8_t categories;  /* SIM_EVENT_CATEGORY_* */
  uint8_t padding[3];
  const char* name;    /* may be null; events are also found by this name */
  uint8_t payload[64]; /* kept as given */
} SIM_MoveEvent;
SIM_ASSERT_SIZE(SIM_MoveEvent, 80);
SIM_ASSERT_OFFSET(SIM_MoveEvent, categories, 4);
SIM_ASSERT_OFFSET(SIM_MoveEvent, name, 8);
SIM_ASSERT_OFFSET(SIM_MoveEvent, payload, 16);

/* Records the view keeps as given for its information panels: the toolpath's
 * header block and up to four lists of text records. */
typedef struct SIM_ToolpathInfoRecord {
  uint8_t bytes[136];
} SIM_ToolpathInfoRecord;
SIM_ASSERT_SIZE(SIM_ToolpathInfoRecord, 136);

typedef struct SIM_ToolpathTextRecord {
  uint8_t bytes[260];
} SIM_ToolpathTextRecord;
SIM_ASSERT_SIZE(SIM_ToolpathTextRecord, 260);

/* The argument of SIM_SetToolpath. Per-move arrays hold moveCount elements;
 * an absent optional array is a null pointer and takes its default. */
typedef struct SIM_ToolpathRecord {
  uint64_t toolChangeCount;
  const SIM_NamedMove* toolChanges;
  uint64_t operationCount;
  const SIM_OperationRange* operations;
  uint64_t moveCount;
  const SIM_ToolpathMove* moves;
  const uint32_t* entityIds;       /* optional, 0 when absent */
  const uint32_t* lineNumbers;     /* optional, 0 when absent */
  const double* feeds;             /* optional, 1000.0 when absent */
  const double* cumulativeLengths; /* optional, computed when absent */
  const double* cumulativeTimes;   /* optional, computed when absent */
  const double* spindleSpeeds;     /* optional, 3000.0 when absent */
  const uint16_t* moveFlags;       /* optional, 0 when absent; SIM_MOVE_FLAG_* */
  uint64_t infoRecordCount;
  const SIM_ToolpathInfoRecord* infoRecords;
  uint64_t orientationCount;
  const SIM_OrientationEntry* orientations;
  uint64_t textRecordCount1;
  const SIM_ToolpathTextRecord* textRecords1;
  uint64_t textRecordCount2;
  const SIM_ToolpathTextRecord* textRecords2;
  uint64_t textRecordCount3;
  const SIM_ToolpathTextRecord* textRecords3;
  int32_t eventCount;
  uint32_t padding184;
  const SIM_MoveEvent* events;
  uint64_t valueCount;
  const uint32_t* values;          /* kept as given */
  uint64_t compensationCount;
  const SIM_CompensationChange* compensations;
  const double* extraAxes;         /* optional, three values per move */
  uint32_t subprogramCount;
  uint32_t padding244;
  const SIM_SubprogramLines* subprograms;
  uint64_t valueChangeCount;
  const SIM_ValueChange* valueChanges;
  uint64_t textRecordCount4;
  const SIM_ToolpathTextRecord* textRecords4;
} SIM_ToolpathRecord;
SIM_ASSERT_SIZE(SIM_ToolpathRecord, 288);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, toolChanges, 8);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, operationCount, 16);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, operations, 24);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, moveCount, 32);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, moves, 40);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, entityIds, 48);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, lineNumbers, 56);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, feeds, 64);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, cumulativeLengths, 72);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, cumulativeTimes, 80);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, spindleSpeeds, 88);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, moveFlags, 96);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, infoRecordCount, 104);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, infoRecords, 112);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, orientationCount, 120);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, orientations, 128);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, textRecordCount1, 136);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, textRecords1, 144);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, textRecordCount2, 152);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, textRecords2, 160);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, textRecordCount3, 168);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, textRecords3, 176);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, eventCount, 184);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, events, 192);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, valueCount, 200);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, values, 208);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, compensationCount, 216);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, compensations, 224);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, extraAxes, 232);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, subprogramCount, 240);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, subprograms, 248);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, valueChangeCount, 256);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, valueChanges, 264);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, textRecordCount4, 272);
SIM_ASSERT_OFFSET(SIM_ToolpathRecord, textRecords4, 280);

/* ==== Tools and holders ================================================= */

/* Segment types of a profile point: the segment that ends at the point. */
enum {
  SIM_SEGMENT_STRAIGHT = 0,
  SIM_SEGMENT_ARC_CCW = 1, /* counter-clockwise in the (x, y) profile plane */
  SIM_SEGMENT_ARC_CW = 2
};

typedef struct SIM_ProfilePoint {
  uint32_t segment; /* SIM_SEGMENT_* */
  float x;          /* radius */
  float y;          /* height along the tool axis */
  float centreX;    /* arc centre (arcs only) */
  float centreY;
} SIM_ProfilePoint;
SIM_ASSERT_SIZE(SIM_ProfilePoint, 20);
SIM_ASSERT_OFFSET(SIM_ProfilePoint, x, 4);
SIM_ASSERT_OFFSET(SIM_ProfilePoint, centreX, 12);

/* Part kinds: 0 the cutting part; 1 shoulder, 2 shaft, 3 holder part,
 * 4 a second shaft used when the tool has no part of kind 2; 5 the tool's
 * extra profile (an insert outline and the like), checked for collisions. */
enum {
  SIM_PART_CUTTING = 0,
  SIM_PART_SHOULDER = 1,
  SIM_PART_SHAFT = 2,
  SIM_PART_HOLDER = 3,
  SIM_PART_SHAFT_ALTERNATE = 4,
  SIM_PART_EXTRA_PROFILE = 5
};

/* Turning tools (SIM_ToolRecord.turning). The cutting part's points are the
 * insert outline in the lathe's working plane, from the insert's reference
 * point (the tip the toolpath leads): x along the lathe axis (toolpath Z),
 * y across it, away from the work (the tool axis); its profile kind and
 * placement are not read. The outline is closed (back to the first point if
 * the last differs) with 3 to 128 segments, encloses an area, and arcs
 * (segment types 1 and 2) have a radius above 0; any other outline cuts
 * nothing. A turning move's tool axis in the toolpath (SIM_ToolpathMove) is
 * the insert's y direction: +X for a tool on the +X side of the work; a
 * toolpath that leaves it at the spindle's +Z (no tool direction given)
 * turns with +X. The
 * work turns about the toolpath's Z axis through its origin; a turning move
 * moves in the (Z, X) plane and X is a radius. After every run of turning
 * moves, material that an empty layer across the axis separates at the +Z
 * end (the end away from the chuck) falls away: a groove to the axis parts
 * the piece off. */
enum {
  SIM_TURNING_NONE = 0,
  SIM_TURNING_TURN = 6,   /* turning and facing inserts */
  SIM_TURNING_GROOVE = 7, /* grooving and parting-off */
  SIM_TURNING_THREAD = 8  /* threading */
};

/* Profile kinds: 1 revolved about the tool axis; 0 and 2 extruded. */
enum {
  SIM_PROFILE_EXTRUDED = 0,
  SIM_PROFILE_REVOLVED = 1,
  SIM_PROFILE_EXTRUDED_SYMMETRIC = 2
};

/* One part of a tool, a two-dimensional profile starting at the tip on the
 * axis. All-zero placement values mean: the tool's own axis (0, 1, 0), no
 * offset, a full turn. */
typedef struct SIM_ToolPart {
  uint32_t kind;         /* SIM_PART_* */
  uint32_t profileKind;  /* SIM_PROFILE_* */
  double axis[3];        /* direction of the profile's axis in tool coordinates, where the
                            spindle axis is +y; all zero: +y */
  double origin[3];      /* where the profile's (0, 0) lies in tool coordinates */
  double depth;          /* extruded profiles: thickness of the extrusion */
  double sweep;          /* revolved profiles: revolution angle in radians, 0 = full */
  float tolerance;       /* chord tolerance for the part's mesh, 0 = the view's */
  uint32_t polygonSides; /* revolved profiles: 0 round; 3 or more: a tool that does not turn, with
                            that many flat sides at the profile's radius */
  uint64_t reserved80;
  const SIM_ProfilePoint* points;
  uint64_t pointCount;   /* a part with fewer than 2 points is ignored */
} SIM_ToolPart;
SIM_ASSERT_SIZE(SIM_ToolPart, 104);
SIM_ASSERT_OFFSET(SIM_ToolPart, profileKind, 4);
SIM_ASSERT_OFFSET(SIM_ToolPart, axis, 8);
SIM_ASSERT_OFFSET(SIM_ToolPart, depth, 56);
SIM_ASSERT_OFFSET(SIM_ToolPart, sweep, 64);
SIM_ASSERT_OFFSET(SIM_ToolPart, tolerance, 72);
SIM_ASSERT_OFFSET(SIM_ToolPart, points, 88);
SIM_ASSERT_OFFSET(SIM_ToolPart, pointCount, 96);

typedef struct SIM_ToolRecord {
  char name[40];          /* identifier, at most 36 bytes; tool changes select by it */
  uint32_t number;        /* reported back unchanged */
  uint32_t machineNumber; /* also looked up in the machine's number map */
  const SIM_ToolPart* parts;
  uint32_t partCount;
  char description[256];
  int32_t holder;         /* index into the holder records; at or above their count a
                             machine holder; out of range: no holder */
  uint8_t deriveMountPoint; /* 1: from the geometry; 0: mountPoint holds it */
  uint8_t padding321[3];
  float mountPoint[3];    /* in holder coordinates */
  uint32_t reserved336;   /* the view answers 2 */
  uint32_t reserved340;   /* the view answers 2 */
  uint32_t turning;       /* SIM_TURNING_*: a turning tool, whose cutting part is the insert outline */
  int32_t insertSide;     /* turning tools: 0 or 1 the outline as given; -1 mirrored across the
                             axial direction (a tool for the other hand) */
  uint8_t reserved352[4];
  uint32_t mountingSide;
  uint8_t reserved360[16];
  uint32_t mountingSide2;
  uint8_t ownColour;      /* 1: colour replaces the default */
  uint8_t padding381[3];
  float colour[3];        /* RGB, 0..1 */
  uint32_t reserved396;
} SIM_ToolRecord;
SIM_ASSERT_SIZE(SIM_ToolRecord, 400);
SIM_ASSERT_OFFSET(SIM_ToolRecord, number, 40);
SIM_ASSERT_OFFSET(SIM_ToolRecord, machineNumber, 44);
SIM_ASSERT_OFFSET(SIM_ToolRecord, parts, 48);
SIM_ASSERT_OFFSET(SIM_ToolRecord, partCount, 56);
SIM_ASSERT_OFFSET(SIM_ToolRecord, description, 60);
SIM_ASSERT_OFFSET(SIM_ToolRecord, holder, 316);
SIM_ASSERT_OFFSET(SIM_ToolRecord, deriveMountPoint, 320);
SIM_ASSERT_OFFSET(SIM_ToolRecord, mountPoint, 324);
SIM_ASSERT_OFFSET(SIM_ToolRecord, turning, 344);
SIM_ASSERT_OFFSET(SIM_ToolRecord, insertSide, 348);
SIM_ASSERT_OFFSET(SIM_ToolRecord, reserved336, 336);
SIM_ASSERT_OFFSET(SIM_ToolRecord, reserved340, 340);
SIM_ASSERT_OFFSET(SIM_ToolRecord, mountingSide, 356);
SIM_ASSERT_OFFSET(SIM_ToolRecord, mountingSide2, 376);
SIM_ASSERT_OFFSET(SIM_ToolRecord, ownColour, 380);
SIM_ASSERT_OFFSET(SIM_ToolRecord, colour, 384);

typedef struct SIM_HolderRecord {
  float origin[3];      /* placement of the model */
  float rotation[9];    /* 3 x 3, row by row */
  char modelPath[288];  /* ".ToolData" (exact case) or STL; also the holder's name */
  double scale;         /* model scale */
  uint8_t reserved344[16];
  uint32_t mounting;    /* mounting selector */
  uint32_t reserved364;
} SIM_HolderRecord;
SIM_ASSERT_SIZE(SIM_HolderRecord, 368);
SIM_ASSERT_OFFSET(SIM_HolderRecord, rotation, 12);
SIM_ASSERT_OFFSET(SIM_HolderRecord, modelPath, 48);
SIM_ASSERT_OFFSET(SIM_HolderRecord, scale, 336);
SIM_ASSERT_OFFSET(SIM_HolderRecord, mounting, 360);

/* The argument of SIM_SetToolTable and SIM_ResolveToolTableCompensation, the
 * result of SIM_GetToolTable. */
typedef struct SIM_ToolTableRecord {
  const SIM_ToolRecord* tools;
  uint64_t toolCount;
  SIM_HolderRecord* holders;
  int32_t holderCount;
  uint32_t padding;
} SIM_ToolTableRecord;
SIM_ASSERT_SIZE(SIM_ToolTableRecord, 32);
SIM_ASSERT_OFFSET(SIM_ToolTableRecord, toolCount, 8);
SIM_ASSERT_OFFSET(SIM_ToolTableRecord, holders, 16);
SIM_ASSERT_OFFSET(SIM_ToolTableRecord, holderCount, 24);

/* One result of SIM_ResolveToolTableCompensation per tool, in table order. */
enum {
  SIM_COMPENSATION_OK = 0,
  SIM_COMPENSATION_NO_CUTTING_PART = 1, /* length and radius are 0 */
  SIM_COMPENSATION_NO_HOLDER = 2        /* the tool was measured from its own mount point */
};
typedef struct SIM_CompensationResult {
  uint64_t identifier;  /* hash of the tool's name */
  uint32_t number;
  uint32_t machineNumber;
  int32_t holder;       /* holder index in force, -1 for none */
  uint32_t status;      /* SIM_COMPENSATION_* */
  double length;        /* gauge length: mount point to tip along the tool axis, host units */
  double radius;        /* outer radius of the cutting part, host units */
  double cornerRadius;  /* host units */
  double cuttingLength; /* height of the cutting part, host units */
  double tip[3];        /* tip relative to the mount point, holder coordinates, host units */
  double axis[3];       /* unit tool axis, holder coordinates */
  double reserved[2];
} SIM_CompensationResult;
SIM_ASSERT_SIZE(SIM_CompensationResult, 120);
SIM_ASSERT_OFFSET(SIM_CompensationResult, holder, 16);
SIM_ASSERT_OFFSET(SIM_CompensationResult, length, 24);
SIM_ASSERT_OFFSET(SIM_CompensationResult, tip, 56);
SIM_ASSERT_OFFSET(SIM_CompensationResult, axis, 80);

typedef struct SIM_CompensationList {
  uint64_t count;
  const SIM_CompensationResult* results;
} SIM_CompensationList;
SIM_ASSERT_SIZE(SIM_CompensationList, 16);

/* The toolpath display's switches (SIM_SetToolpathDisplay): each byte 0 or
 * 1 except colourBy. Defaults: rapid and cutting moves shown, the tool and
 * its holder shown, everything else off. */
typedef struct SIM_ToolpathDisplay {
  uint8_t showRapid;
  uint8_t showCutting;
  uint8_t points;            /* move ends as points */
  uint8_t largePoints;
  uint8_t highlightElements;
  uint8_t highlightArcs;     /* arcs in their own colour, else the cut colour */
  uint8_t toolVectors;       /* the tool axis at each move end */
  uint8_t thickLines;
  uint8_t colourByFeed;      /* colour by the feed rate instead of the move kind */
  uint8_t colourBy;          /* 0 move kind, 1 operation, 2 tool */
  uint8_t showTool;
  uint8_t showHolder;
  uint8_t reserved[4];
} SIM_ToolpathDisplay;
SIM_ASSERT_SIZE(SIM_ToolpathDisplay, 16);
SIM_ASSERT_OFFSET(SIM_ToolpathDisplay, colourBy, 9);

/* The section plane (SIM_SetCuttingPlane). plane: 0 "X-", 1 "X+", 2 "Y-",
 * 3 "Y+", 4 "Z-", 5 "Z+", 6 none. The plane runs through the centre of the
 * visible stocks' box (the scene's box without stocks), square to the
 * named program axis, and cuts away the named side: "X+" removes everything with x above the centre. The
 * stock, the tool and the machine are cut; the tool's section is outlined.
 * shown, mode and the two options are kept for the interface's section
 * panel (mode 2 aligns the plane's handle to it). */
enum {
  SIM_CUTTING_PLANE_X_MINUS = 0,
  SIM_CUTTING_PLANE_X_PLUS = 1,
  SIM_CUTTING_PLANE_Y_MINUS = 2,
  SIM_CUTTING_PLANE_Y_PLUS = 3,
  SIM_CUTTING_PLANE_Z_MINUS = 4,
  SIM_CUTTING_PLANE_Z_PLUS = 5,
  SIM_CUTTING_PLANE_NONE = 6
};
/* The stock compare (SIM_SetStockCompare): the stocks coloured by their
 * signed distance to the design model, the first geometry of role
 * SIM_GEOMETRY_WORKPIECE (negative inside it: material cut away that the
 * design keeps). lower and upper (host units) bound the range that counts
 * as on the design: its middle is the offset, half its width the
 * tolerance. Colours run from red far below the range through green within
 * it to blue far above. Byte 0 of flags shows the comparison; the additions
 * in the higher bits give five flat bands instead of the gradient and hide
 * the stock's surface below, within or above the range. */
enum {
  SIM_COMPARE_SHOWN = 1u << 0,
  SIM_COMPARE_STEPPED = 1u << 8,
  SIM_COMPARE_HIDE_BELOW = 1u << 9,
  SIM_COMPARE_HIDE_WITHIN = 1u << 10,
  SIM_COMPARE_HIDE_ABOVE = 1u << 11
};
typedef struct SIM_StockCompare {
  uint32_t flags; /* SIM_COMPARE_* */
  float lower;
  float upper;
} SIM_StockCompare;
SIM_ASSERT_SIZE(SIM_StockCompare, 12);
SIM_ASSERT_OFFSET(SIM_StockCompare, lower, 4);

/* The stock compare's five band colours (SIM_SetStockCompareColors, an
 * addition), RGB 0..1 each: far below the range (material cut from the
 * design), near below, within, near above, far above (material left). The
 * stepped look gives each its band; the gradient blends between them. */
typedef struct SIM_StockCompareColors {
  float colour[5][3];
} SIM_StockCompareColors;
SIM_ASSERT_SIZE(SIM_StockCompareColors, 60);

typedef struct SIM_CuttingPlane {
  uint32_t plane;
  uint8_t shown;
  uint8_t reserved0[3];
  uint32_t mode;      /* 0, 1 or 2 */
  uint8_t optionA;
  uint8_t optionB;
  uint16_t reserved1;
} SIM_CuttingPlane;
SIM_ASSERT_SIZE(SIM_CuttingPlane, 16);
SIM_ASSERT_OFFSET(SIM_CuttingPlane, mode, 8);
SIM_ASSERT_OFFSET(SIM_CuttingPlane, optionA, 12);

/* ==== Stock ============================================================= */

enum {
  SIM_STOCK_CYLINDER = 0, /* optionally hollow */
  SIM_STOCK_BOX = 1,
  SIM_STOCK_MESH = 2      /* a host geometry or an STL file */
};

enum {
  SIM_STOCK_PRECISION_QUALITY = 0, /* quality is a value in 0..1 */
  SIM_STOCK_PRECISION_LEVEL = 1,   /* as 0; the quality panel shows level */
  SIM_STOCK_PRECISION_TOLERANCE = 2 /* quality is a length, the target cell size */
};

/* A stock (the workpiece before cutting), addressed by its identifier.
 * The solid is defined in its own frame and placed by placement, a 3 x 4
 * matrix row by row (rotation | translation); an all-zero placement is the
 * identity. Lengths are in host units.
 *   box:      boxMin and boxMax, opposite corners in its own frame;
 *   cylinder: cylinderBase (centre of the first end face), cylinderAxis,
 *             cylinderLength along the axis (negative: the other way),
 *             outerDiameter and boreDiameter (0 or at least the outer
 *             diameter: solid);
 *   mesh:     the triangles of the geometry named meshGeometry as that
 *             geometry is placed (copied when the stock is defined), or
 *             else the STL file meshPath in host units.
 * quality sizes the lattice: 0..1 in precision modes 0 and 1, a cell length
 * in mode 2. The lattice is fixed when the stock is defined and filled at
 * the view's next frame. */
typedef struct SIM_StockRecord {
  uint32_t identifier;
  uint8_t kind;               /* SIM_STOCK_* */
  uint8_t limitToBox;         /* mesh stocks: material is limited to the mesh's own box */
  uint8_t reserved6;
  uint8_t reserved7;
  uint32_t version;           /* 4: this layout */
  uint32_t padding12;
  const char* meshGeometry;   /* mesh stocks: name of a geometry given with SIM_CreateGeometries */
  uint64_t reserved24;
  const char* meshPath;       /* mesh stocks without meshGeometry: an STL file */
  uint32_t cylinderAxis;      /* 0 X, 1 Y, 2 Z: the cylinder's axis in its own frame */
  uint32_t padding44;
  double boxMin[3];           /* box: minimum corner */
  double reserved72;
  float quality;              /* see precision */
  uint32_t reserved84;
  double boxMax[3];           /* box: maximum corner */
  double cylinderBase[3];     /* cylinder: centre of its first end face */
  double cylinderLength;      /* along the axis from the base */
  double outerDiameter;
  double boreDiameter;        /* 0: solid */
  double placement[12];
  uint8_t reserved256[180];
  uint8_t reserved436;
  uint8_t reserved437;
  uint8_t reserved438;
  uint8_t reserved439;
  float colour[3];            /* RGB, 0..1 */
  uint32_t precision;         /* SIM_STOCK_PRECISION_* */
  uint32_t level;             /* quality level shown in precision mode 1 */
  uint8_t visible;
  uint8_t refine;             /* 0 off, 1 on, 2 the view's own setting */
  uint8_t padding462[2];
} SIM_StockRecord;
SIM_ASSERT_SIZE(SIM_StockRecord, 464);
SIM_ASSERT_OFFSET(SIM_StockRecord, kind, 4);
SIM_ASSERT_OFFSET(SIM_StockRecord, limitToBox, 5);
SIM_ASSERT_OFFSET(SIM_StockRecord, version, 8);
SIM_ASSERT_OFFSET(SIM_StockRecord, meshGeometry, 16);
SIM_ASSERT_OFFSET(SIM_StockRecord, meshPath, 32);
SIM_ASSERT_OFFSET(SIM_StockRecord, cylinderAxis, 40);
SIM_ASSERT_OFFSET(SIM_StockRecord, boxMin, 48);
SIM_ASSERT_OFFSET(SIM_StockRecord, quality, 80);
SIM_ASSERT_OFFSET(SIM_StockRecord, boxMax, 88);
SIM_ASSERT_OFFSET(SIM_StockRecord, cylinderBase, 112);
SIM_ASSERT_OFFSET(SIM_StockRecord, cylinderLength, 136);
SIM_ASSERT_OFFSET(SIM_StockRecord, outerDiameter, 144);
SIM_ASSERT_OFFSET(SIM_StockRecord, boreDiameter, 152);
SIM_ASSERT_OFFSET(SIM_StockRecord, placement, 160);
SIM_ASSERT_OFFSET(SIM_StockRecord, reserved256, 256);
SIM_ASSERT_OFFSET(SIM_StockRecord, colour, 440);
SIM_ASSERT_OFFSET(SIM_StockRecord, precision, 452);
SIM_ASSERT_OFFSET(SIM_StockRecord, level, 456);
SIM_ASSERT_OFFSET(SIM_StockRecord, visible, 460);
SIM_ASSERT_OFFSET(SIM_StockRecord, refine, 461);

typedef struct SIM_StockList {
  const SIM_StockRecord* stocks;
  uint64_t count;
} SIM_StockList;
SIM_ASSERT_SIZE(SIM_StockList, 16);

/* How the stock shows and takes material (SIM_SetStockRemovalSettings). A
 * view starts with {{1, 1}, {0, 1}, 0, 0, {0, 0}, 1, 0, 0, {0, 0}}. */
typedef struct SIM_StockRemovalSettings {
  uint8_t stockShown;        /* 0: the stocks are hidden (the ribbon's Stock button) */
  uint8_t cutFacesMarked;    /* 0: cut faces in the stock's own colour (command 4) */
  uint8_t rapidsPass;        /* 1: rapid moves pass through the stock without cutting */
  uint8_t stoppedSpindleCut; /* a cut with the spindle stopped: 0 takes nothing,
                                1 takes material in the tool's colour, 2 in the
                                colour of material taken by rapid moves */
  uint8_t colourByTool;      /* cut faces in their tool's colour */
  uint8_t colourByOperation; /* cut faces in their operation's colour; with
                                neither set, in the stock's own colour (material
                                taken by rapid moves always shows its own) */
  uint8_t padding6[2];
  uint32_t followMode;       /* 1: the move under way is cut as the tool moves;
                                0: moves are cut once played in full */
  uint8_t smoothShading;     /* 1: cut faces shaded with vertex normals */
  uint8_t removeChips;       /* kept for chip removal */
  uint8_t padding14[2];
} SIM_StockRemovalSettings;
SIM_ASSERT_SIZE(SIM_StockRemovalSettings, 16);
SIM_ASSERT_OFFSET(SIM_StockRemovalSettings, colourByTool, 4);
SIM_ASSERT_OFFSET(SIM_StockRemovalSettings, followMode, 8);
SIM_ASSERT_OFFSET(SIM_StockRemovalSettings, smoothShading, 12);

/* ==== Geometries ======================================================== */

/* What a geometry is to the simulation (also its collision class). */
enum {
  SIM_GEOMETRY_WORKPIECE = 0, /* the design model the stock is compared with */
  SIM_GEOMETRY_FIXTURE = 1,
  SIM_GEOMETRY_OTHER = 6      /* shown only */
};

/* A named model (fixture, workpiece). Geometries are identified by their
 * name. The mesh is either given as vertices (three per triangle, x, y, z)
 * or read from modelPath (STL); it is placed by origin and rotation (an
 * all-zero rotation is the identity) and scaled by scale (0: 1). */
typedef struct SIM_GeometryRecord {
  uint64_t role;           /* SIM_GEOMETRY_* */
  const char* modelPath;
  double origin[3];        /* host units */
  float rotation[9];       /* row by row */
  float colour[3];         /* RGB 0..1; all zero: the view's colour for the role */
  float scale;
  uint32_t reserved92;
  const float* vertices;   /* three floats per vertex, host units */
  uint64_t vertexCount;    /* a multiple of 3 */
  uint32_t hidden;
  uint16_t selected;       /* set by SIM_SelectGeometry */
  char name[254];
  uint16_t reserved372;
  uint8_t reserved374[38];
  uint32_t reserved412[2];
  uint32_t reserved420;    /* the view's copies start with 10 */
} SIM_GeometryRecord;
SIM_ASSERT_SIZE(SIM_GeometryRecord, 424);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, modelPath, 8);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, origin, 16);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, rotation, 40);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, colour, 76);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, scale, 88);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, vertices, 96);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, vertexCount, 104);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, hidden, 112);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, selected, 116);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, name, 118);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, reserved372, 372);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, reserved412, 412);
SIM_ASSERT_OFFSET(SIM_GeometryRecord, reserved420, 420);

typedef struct SIM_GeometryList {
  const SIM_GeometryRecord* geometries;
  uint64_t count;
} SIM_GeometryList;
SIM_ASSERT_SIZE(SIM_GeometryList, 16);

/* ==== Camera ============================================================ */

/* A camera pose from the host (SIM_SetCamera), in host coordinates: the view
 * looks against viewNormal with up as its vertical; offset moves the view
 * across (right, up) from the workpiece origin; size is the visible width
 * and height. The view keeps the visible extent (width / aspect + height) / 2
 * across the window's shorter side and stands that far back. */
typedef struct SIM_CameraRecord {
  double reserved[3]; /* elements 0-2: ignored */
  double up[3];
  double viewNormal[3];
  double offset[2];
  double size[2];
} SIM_CameraRecord;
SIM_ASSERT_SIZE(SIM_CameraRecord, 104);
SIM_ASSERT_OFFSET(SIM_CameraRecord, up, 24);
SIM_ASSERT_OFFSET(SIM_CameraRecord, viewNormal, 48);
SIM_ASSERT_OFFSET(SIM_CameraRecord, offset, 72);
SIM_ASSERT_OFFSET(SIM_CameraRecord, size, 88);

/* ==== Machine models ==================================================== */

/* One machine model mesh for SIM_LoadMachineModels. It is given to every
 * model entry of the machine definition whose "Path" equals path exactly.
 * Vertices are x, y, z in the unit the entry names (millimetres unless it
 * says otherwise), in machine coordinates with every axis at 0. Without
 * indices every three vertices form a triangle. */
typedef struct SIM_MachineModelRecord {
  const char* path;      /* UTF-8 */
  const float* vertices; /* 3 x vertexCount */
  uint64_t vertexCount;
  const uint32_t* indices; /* 3 per triangle; may be null */
  uint64_t indexCount;
} SIM_MachineModelRecord;
SIM_ASSERT_SIZE(SIM_MachineModelRecord, 40);
SIM_ASSERT_OFFSET(SIM_MachineModelRecord, vertexCount, 16);
SIM_ASSERT_OFFSET(SIM_MachineModelRecord, indexCount, 32);

typedef struct SIM_MachineModelList {
  const SIM_MachineModelRecord* models;
  uint64_t count;
} SIM_MachineModelList;
SIM_ASSERT_SIZE(SIM_MachineModelList, 16);

/* ==== Collision detection =============================================== */

/* The machine check's settings (SIM_SetCollisionDetectionSettings). The
 * words are named by what the view does with them:
 *   stepSize       sampling step along the toolpath, host units (> 0)
 *   options        stored and answered as given; its low byte set checks
 *                  only the samples on rapid moves
 *   mode           stored and answered as given; bit 0 keeps every hit of
 *                  a pair (each collision interval is reported), else a
 *                  pair is done with at its first hit
 *   machineSwitch  its low byte is the machine's switch: a change makes
 *                  the machine build its collision set again
 * Without a view: 0.2, 0, 2, 0. */
typedef struct SIM_CollisionDetectionSettings {
  float stepSize;
  uint32_t options;
  uint32_t mode;
  uint32_t machineSwitch;
} SIM_CollisionDetectionSettings;
SIM_ASSERT_SIZE(SIM_CollisionDetectionSettings, 16);

/* Which collided parts are tinted: [0] machine parts, [1] the tool and its
 * holder, [2] the workpiece and fixtures; each 0 or not. Without a view all
 * three are 1. */
typedef struct SIM_CollisionHighlightSettings {
  uint8_t tint[3];
} SIM_CollisionHighlightSettings;
SIM_ASSERT_SIZE(SIM_CollisionHighlightSettings, 3);

/* Report kinds: what the first of the two objects collided with, by the
 * classes of the pair (workpiece 0, fixture 1, machine part 2, tool 3,
 * revolver tools 5, unresolved 7); 4 is a travel-limit violation. */
enum {
  SIM_COLLISION_WORKPIECE = 0,
  SIM_COLLISION_FIXTURE = 1,
  SIM_COLLISION_MACHINE = 2,
  SIM_COLLISION_TOOL = 3,
  SIM_COLLISION_TRAVEL_LIMIT = 4,
  SIM_COLLISION_REVOLVER_TOOLS = 5,
  SIM_COLLISION_RESERVED_6 = 6,
  SIM_COLLISION_UNRESOLVED = 7
};

/* One entry of the collision report: a collision interval of a pair of
 * objects (machine check) or a travel-limit violation. Positions are
 * toolpath times (the time fraction times the total time). Names are
 * UTF-8, at most 255 bytes, never cut inside a character, zero-terminated.
 * A travel-limit entry has the axis letter as its first name and the same
 * position, line and entity at both ends. */
typedef struct SIM_CollisionReportEntry {
  uint32_t kind; /* SIM_COLLISION_* */
  uint32_t reserved4;
  double startPosition;
  uint32_t startLine;
  uint32_t startEntity;
  double endPosition;
  uint32_t endLine;
  uint32_t endEntity;
  char firstName[256];
  char secondName[256];
} SIM_CollisionReportEntry;
SIM_ASSERT_SIZE(SIM_CollisionReportEntry, 552);
SIM_ASSERT_OFFSET(SIM_CollisionReportEntry, startPosition, 8);
SIM_ASSERT_OFFSET(SIM_CollisionReportEntry, startLine, 16);
SIM_ASSERT_OFFSET(SIM_CollisionReportEntry, endPosition, 24);
SIM_ASSERT_OFFSET(SIM_CollisionReportEntry, endEntity, 36);
SIM_ASSERT_OFFSET(SIM_CollisionReportEntry, firstName, 40);
SIM_ASSERT_OFFSET(SIM_CollisionReportEntry, secondName, 296);

/* The report as SIM_GetCollisionReport answers it: owned by the view, valid
 * until the next call. */
typedef struct SIM_CollisionReport {
  const SIM_CollisionReportEntry* entries;
  uint64_t count;
} SIM_CollisionReport;
SIM_ASSERT_SIZE(SIM_CollisionReport, 16);

/* ==== Interface texts ================================================== */

/* The interface's texts as the host sees them: 176 zero-terminated UTF-16
 * texts in host slot order. Slots 0-42 are the view's table entries 0-42,
 * slots 43-60 entries 49-66, slots 61-90 entries 68-97; slots 91-175 have
 * texts of their own that SIM_GetStrings answers and SIM_SetStrings
 * ignores. */
#define SIM_STRING_SLOTS 176
typedef struct SIM_StringRecord {
  const SIM_Char16* text[SIM_STRING_SLOTS];
} SIM_StringRecord;
SIM_ASSERT_SIZE(SIM_StringRecord, 1408);

/* A colour theme (SIM_SetColorTheme, SIM_GetColorTheme): 46 floats, each
 * component 0..1 (others are clamped). The background's alpha is the
 * opacity of the background in pictures (SIM_RenderImage); the window
 * always clears opaque. */
typedef struct SIM_ColorTheme {
  float background[4]; /* RGBA */
  float text[3];
  float panel[3];      /* bars, menus and panels */
  float sliderTrack[3];
  float sliderFill[3];
  float sliderDot[3];
  float disabled[3];   /* a disabled slider's parts */
  float selection[3];  /* a rectangle dragged over the scene */
  float axisX[3];      /* the gnomon's axes */
  float axisY[3];
  float axisZ[3];
  float cutMoves[3];   /* the toolpath's feed moves */
  float arcMoves[3];
  float rapidMoves[3];
  float machine[3];    /* machine models without a colour of their own */
} SIM_ColorTheme;
SIM_ASSERT_SIZE(SIM_ColorTheme, 184);
SIM_ASSERT_OFFSET(SIM_ColorTheme, text, 16);
SIM_ASSERT_OFFSET(SIM_ColorTheme, sliderTrack, 40);
SIM_ASSERT_OFFSET(SIM_ColorTheme, machine, 172);

/* ==== Host-driven input (addition of this library) ===================== */

/* Pointer and keyboard input the host hands to a view as if the user had
 * given it in the view's window: for hosts that forward input from a
 * surface of their own, remote control and tests. It is merged with the
 * window's own input and read on the next frame, so a press and a release
 * sent together still count as one click. Keys use the numbering of the
 * key event (SIM_EVENT_KEY) and are heard back as that event; the modifier
 * keys held (sent down and not yet up) apply to the keys that follow. */
enum {
  SIM_INPUT_MOVE = 0,        /* the cursor to (x, y) */
  SIM_INPUT_BUTTON_DOWN = 1, /* button goes down where the cursor is */
  SIM_INPUT_BUTTON_UP = 2,
  SIM_INPUT_WHEEL = 3,       /* wheel steps, > 0 away from the user */
  SIM_INPUT_CHARACTER = 4,   /* button: a Unicode code point typed (not a control, not a surrogate) */
  SIM_INPUT_KEY_DOWN = 5,    /* button: a key code, 32 to 348 */
  SIM_INPUT_KEY_UP = 6
};
typedef struct SIM_InputEvent {
  uint32_t kind;
  int32_t button; /* 0 left, 1 right, 2 middle; the character or key code */
  double x, y;    /* window pixels from the top-left corner */
  double wheel;
} SIM_InputEvent;
SIM_ASSERT_SIZE(SIM_InputEvent, 32);

/* ==== DXF drawings ====================================================== */

/* A straight segment of a drawing, in drawing units (SIM_ParseDxfFile). */
typedef struct SIM_DxfSegment {
  float start[2]; /* x, y */
  float end[2];
} SIM_DxfSegment;
SIM_ASSERT_SIZE(SIM_DxfSegment, 16);

/* ==== STL analysis ====================================================== */

typedef struct SIM_StlAnalysis {
  float min[3];
  float max[3];
  uint32_t status; /* 0 valid; 1 no usable triangles (then the box is all 0) */
} SIM_StlAnalysis;
SIM_ASSERT_SIZE(SIM_StlAnalysis, 28);
SIM_ASSERT_OFFSET(SIM_StlAnalysis, status, 24);

#ifdef __cplusplus
}
#endif

#endif /* KORVANE_RECORDS_H */
