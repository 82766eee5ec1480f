// Numeric identifiers of the host API: node types, messages, description keys,
// value types and flags. Stored in scene files by number; never change a value.
#pragma once

#include "hostapi/types.h"

// ---- Node types -----------------------------------------------------------
constexpr Int32 Onull = 5140;
constexpr Int32 Opolygon = 5100;
constexpr Int32 Ocube = 5159;
constexpr Int32 Osphere = 5160;
constexpr Int32 Oplane = 5168;
constexpr Int32 Ofield_spherical = 440000243;
constexpr Int32 Ofield_linear = 440000266;
constexpr Int32 Ofield_box = 440000267;
constexpr Int32 Tphong = 5612;
constexpr Int32 Tpolygonselection = 5673;
constexpr Int32 Tuvw = 5671;
constexpr Int32 Tpoint = 5600;   // point count tag of polygon objects
constexpr Int32 Tpolygon = 5604; // polygon count tag of polygon objects
constexpr Int32 Mmaterial = 5703;
constexpr Int32 Xnoise = 1011116;
constexpr Int32 Xlayer = 1011123;
constexpr Int32 Rbase = 110304;       // render settings node
constexpr Int32 CTbase = 5350;        // animation track node
constexpr Int32 Tbasedocument = 110059;
constexpr Int32 FLfield = 440000251;  // field layer that links an object
constexpr Int32 FLfolder = 440000252; // field layer folder

// ---- Plug-in types and info flags -----------------------------------------
constexpr Int32 PLUGINTYPE_SHADER = 1;
constexpr Int32 PLUGINTYPE_OBJECT = 5;

constexpr Int32 OBJECT_GENERATOR = 0x4;
constexpr Int32 OBJECT_INPUT = 0x8;
constexpr Int32 OBJECT_USECACHECOLOR = 0x100;
constexpr Int32 OBJECT_POLYGONOBJECT = 0x1000;
constexpr Int32 OBJECT_CALL_ADDEXECUTION = 0x8000;

// ---- Messages ---------------------------------------------------------------
constexpr Int32 MSG_UPDATE = 5;
constexpr Int32 MSG_CHANGE = 7;
constexpr Int32 MSG_DESCRIPTION_COMMAND = 18;
constexpr Int32 MSG_MENUPREPARE = 22;

// ---- Value types held by GeData ---------------------------------------------
constexpr Int32 DA_NIL = 0;
constexpr Int32 DA_VOID = 14; // a raw pointer
constexpr Int32 DA_LONG = 15;
constexpr Int32 DA_REAL = 19;
constexpr Int32 DA_VECTOR = 23;
constexpr Int32 DA_MATRIX = 25;
constexpr Int32 DA_STRING = 130;
constexpr Int32 DA_ALIASLINK = 133;
constexpr Int32 DA_CONTAINER = 200;

// ---- Description element types ------------------------------------------------
constexpr Int32 DTYPE_NONE = 0;
constexpr Int32 DTYPE_GROUP = 1;
constexpr Int32 DTYPE_STATICTEXT = 12;
constexpr Int32 DTYPE_LONG = 15;
constexpr Int32 DTYPE_REAL = 19;
constexpr Int32 DTYPE_VECTOR = 23;
constexpr Int32 DTYPE_STRING = 130;
constexpr Int32 DTYPE_BASELISTLINK = 133;
constexpr Int32 DTYPE_BUTTON = 400006000;
constexpr Int32 DTYPE_BOOL = 400006001;
constexpr Int32 CUSTOMDATATYPE_GRADIENT = 1000481;
constexpr Int32 CUSTOMDATATYPE_FIELDLIST = 440000246;

// ---- Description settings keys ------------------------------------------------
constexpr Int32 DESC_NAME = 1;
constexpr Int32 DESC_SHORT_NAME = 2;
constexpr Int32 DESC_MIN = 5;
constexpr Int32 DESC_MAX = 6;
constexpr Int32 DESC_STEP = 9;
constexpr Int32 DESC_ANIMATE = 10;
constexpr Int32 DESC_UNIT = 12;
constexpr Int32 DESC_PARENTGROUP = 13;
constexpr Int32 DESC_CYCLE = 14;
constexpr Int32 DESC_HIDE = 15;
constexpr Int32 DESC_DEFAULT = 16;
constexpr Int32 DESC_ACCEPT = 17;
constexpr Int32 DESC_CUSTOMGUI = 21;
constexpr Int32 DESC_COLUMNS = 22;
constexpr Int32 DESC_REMOVEABLE = 24;
constexpr Int32 DESC_MINSLIDER = 27;
constexpr Int32 DESC_MAXSLIDER = 28;
constexpr Int32 DESC_SCALEH = 30;
constexpr Int32 DESC_UNIT_PERCENT = 1718641524; // 'fpct'
constexpr Int32 DESC_UNIT_METER = 1718445428;   // 'fmet'
constexpr Int32 DESC_UNIT_DEGREE = 1717856114;  // 'fdgr'
constexpr Int32 CUSTOMGUI_REALSLIDER = 1000489;
constexpr Int32 STATICTEXT_SPACER = 2403;

// ---- Modeling commands and their settings -------------------------------------
constexpr Int32 MCOMMAND_SUBDIVIDE = 242;
constexpr Int32 MCOMMAND_CURRENTSTATETOOBJECT = 245;
constexpr Int32 MCOMMAND_JOIN = 246;
constexpr Int32 MDATA_SUBDIVIDE_HYPER = 2098;
constexpr Int32 MDATA_SUBDIVIDE_ANGLE = 2099;
constexpr Int32 MDATA_SUBDIVIDE_SUB = 2101;
constexpr Int32 MDATA_SUBDIVIDE_MODE = 2103;
constexpr Int32 MDATA_JOIN_MERGE_SELTAGS = 2167;

// ---- Phong tag settings ---------------------------------------------------------
constexpr Int32 PHONGTAG_PHONG_ANGLELIMIT = 1000;
constexpr Int32 PHONGTAG_PHONG_ANGLE = 1001;

// ---- Materials, channels and render settings ----------------------------------
constexpr Int32 CHANNEL_COLOR = 0;
constexpr Int32 CHANNEL_BUMP = 6;
constexpr Int32 CHANNEL_DISPLACEMENT = 11;
constexpr Int32 MATERIAL_USE_COLOR = 2000;
constexpr Int32 MATERIAL_USE_BUMP = 2007;
constexpr Int32 MATERIAL_USE_DISPLACEMENT = 2012;
constexpr Int32 MATERIAL_COLOR_SHADER = 8000;
constexpr Int32 MATERIAL_BUMP_SHADER = 8006;
constexpr Int32 MATERIAL_DISPLACEMENT_SHADER = 8009;
constexpr Int32 RDATA_RENDERENGINE = 5300;
constexpr Int32 RDATA_RENDERENGINE_STANDARD = 0;
constexpr Int32 RDATA_RENDERENGINE_PHYSICAL = 1023342;

// ---- Host noise shader settings -------------------------------------------------
constexpr Int32 SLA_NOISE_NOISE = 1001;
constexpr Int32 SLA_NOISE_GLOBAL_SCALE = 1002;
constexpr Int32 SLA_NOISE_OCTAVES = 1007;
constexpr Int32 SLA_NOISE_COLOR1 = 1009;
constexpr Int32 SLA_NOISE_COLOR2 = 1010;
constexpr Int32 SLA_NOISE_LOW_CLIP = 1013;
constexpr Int32 SLA_NOISE_HIGH_CLIP = 1014;
constexpr Int32 SLA_NOISE_SPACE = 1022;
constexpr Int32 SLA_NOISE_SEED = 1024;
constexpr Int32 SLA_NOISE_SPACE_UV = 2101;
constexpr Int32 SLA_NOISE_TYPE_BASE = 2000; // setting 1001 holds 2000 + noise type

// ---- Layer shader ---------------------------------------------------------------
constexpr Int32 TypeFolder = 1;
constexpr Int32 TypeShader = 2;
constexpr Int32 TypeEffect = 3;
constexpr Int32 LAYER_S_PARAM_SHADER_LINK = 2002;

// ---- Gradient -------------------------------------------------------------------
constexpr Int32 GRADIENT_MODE = 1002;
enum class GRADIENT_INTERPOLATION_TYPE : Int32
{
  NONE = 0,
  LINEAR = 1,
  SMOOTHKNOT = 2,
  EXP_UP = 3,
  EXP_DOWN = 4,
  CUBICKNOT = 5,
  BLEND = 6,
};

// ---- Fields ---------------------------------------------------------------------
constexpr Int32 FIELDLAYER_CHANNELFLAG_VALUE = 2;
constexpr Int32 FIELDLAYER_CHANNELFLAG_COLOR = 4;
constexpr Int32 FIELDLAYER_CHANNELFLAG_DIRECTION = 8;
constexpr Int32 FIELDLAYER_CHANNELFLAG_ROTATION = 16;
constexpr Int32 FIELDSAMPLE_FLAG_VALUE = 1;
constexpr Int32 FIELDSAMPLE_FLAG_COLOR = 2;
constexpr Int32 FIELDSAMPLE_FLAG_ALL = 3;

// ---- Selection changer modes ----------------------------------------------------
constexpr Int32 SELECTIONMODE_POINTS = 0;
constexpr Int32 SELECTIONMODE_POLYGONS = 2;

// ---- Flag sets --------------------------------------------------------------------
enum class DESCFLAGS_DESC : Int32 { NONE = 0, RESOLVEMULTIPLEDATA = 1, LOADED = 2 };
constexpr DESCFLAGS_DESC operator|(DESCFLAGS_DESC a, DESCFLAGS_DESC b)
{
  return DESCFLAGS_DESC(Int32(a) | Int32(b));
}
constexpr DESCFLAGS_DESC& operator|=(DESCFLAGS_DESC& a, DESCFLAGS_DESC b) { return a = a | b; }
constexpr bool HasFlag(DESCFLAGS_DESC set, DESCFLAGS_DESC f) { return (Int32(set) & Int32(f)) != 0; }

enum class DESCFLAGS_GET : Int32 { NONE = 0 };
enum class DESCFLAGS_SET : Int32 { NONE = 0, USERINTERACTION = 2 };
enum class DESCFLAGS_ENABLE : Int32 { NONE = 0 };
enum class HIERARCHYCLONEFLAGS : Int32 { NONE = 0, ASIS = 1, ASPOLY = 2 };
enum class MODELINGCOMMANDMODE : Int32 { ALL = 0, POINTSELECTION = 1, POLYGONSELECTION = 2 };
enum class MODELINGCOMMANDFLAGS : Int32 { NONE = 0, CREATEUNDO = 1 };
enum class COPYFLAGS : Int32 { NONE = 0, NO_HIERARCHY = 4, NO_BITS = 8 };
enum class TARGETAUDIENCE : Int32 { DEBUG = 2, DEVELOPERS = 4, USERS = 8, ALL = 14 };
enum class WRITEMETA : Int32 { NONE = 0, DEFAULT = 1 };
enum class OUTPUT : Int32 { NORMAL = 0, DIAGNOSTIC = 1 };
enum class INITRENDERRESULT : Int32 { OK = 0, OUTOFMEMORY = -100, ASSETMISSING = -101, UNKNOWNERROR = -102 };
enum class SHADERINFO : Int32 { NONE = 0, BUMP_SUPPORT = 16 };
constexpr Int32 DIRTYFLAGS_DATA = 1;
constexpr Int32 DIRTYFLAGS_MATRIX = 2;
constexpr Int32 DIRTYFLAGS_CHILDREN = 4;
constexpr Int32 DIRTYFLAGS_CACHE = 8;
constexpr Int32 DIRTYFLAGS_SELECT = 16;
constexpr Int32 DIRTYFLAGS_ALL = -1;
constexpr Int32 EVENT_NONE = 0;
constexpr Int32 GEMB_OK = 0;
constexpr Int32 GEMB_ICONEXCLAMATION = 48;
