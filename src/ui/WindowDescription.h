#pragma once

#include "ui/Controls.h"

#include <QRgb>
#include <span>
#include <variant>

// The window as data: every control, timer and menu entry with its design
// values, what screen readers say of it and where the code keeps it.
// Positions and sizes are in twips (15 twips a pixel at 96 dpi).

enum class ControlKind { Label, TextBox, Button, PictureButton, Image };

// A colour as the designer chose it: a fixed #RRGGBB value, one of the
// toolkit's system colours, or nothing (the kind's default).
struct Colour
{
    enum Source { KindDefault, Rgb, ButtonFace, ButtonText, WindowBackground, WindowText };
    Source source = KindDefault;
    QRgb rgb = 0;
};

constexpr Colour rgb(QRgb value) { return {Colour::Rgb, value}; }
inline constexpr Colour kDefaultColour{};
inline constexpr Colour kButtonText{Colour::ButtonText, 0};
inline constexpr Colour kWindowBackground{Colour::WindowBackground, 0};
inline constexpr Colour kWindowText{Colour::WindowText, 0};

struct FontSpec
{
    const char *face = "MS Sans Serif";
    double points = 8.25;
    bool bold = false;
    bool italic = false;
};

inline constexpr FontSpec kDefaultFont{};

enum class Picture {
    None,
    WindowIcon,
    CursorFace,
    Stopwatch,
    NoEntry,
    FaceSmile,
    FaceNeutral,
    FaceGrin,
    IconPointer,
};

namespace ControlFlag {
enum : unsigned {
    AutoSize = 1U << 0,
    Border = 1U << 1,
    AlignRight = 1U << 2,
    AlignCentre = 1U << 3,
    Hidden = 1U << 4,
    Disabled = 1U << 5,
    Opaque = 1U << 6,       // labels are transparent unless this is set
    IconPointer = 1U << 7,  // the system "icon" mouse pointer over the control
};
}

// What a screen reader says of a control. Unnamed controls are read as the
// toolkit reads them; a value is read as "name: caption", signs in words.
// With no description of its own a control is described by its tooltip.
struct Speech
{
    enum Kind { Unnamed, Named, ReadsValue };
    Kind kind;
    const char *name;        // UTF-8
    const char *description; // UTF-8, nullptr: the tooltip
};

// The member of Controls that keeps an object the code uses, or none: the
// others stay in the window, found by their objectName.
template <typename... Objects> using KeptIn = std::variant<std::monostate, Objects *Controls::*...>;

// What the next-exercise button says between verdicts.
inline constexpr char kNextButtonDescription[] = "Passa al calcolo successivo";

struct ControlSpec
{
    const char *name;
    ControlKind kind;
    const char *caption; // UTF-8
    int left, top, width, height;
    FontSpec font;
    Colour fore;
    Colour back;
    unsigned flags;
    const char *toolTip; // UTF-8, nullptr for none
    Picture picture;
    int tabIndex;   // -1: cannot take the focus
    int maxLength;  // text boxes; 0: no limit
    Speech speech;
    KeptIn<Label, QLineEdit, PictureButton> keptIn; // the row's labels: in kTermSlots
};

struct TimerSpec
{
    const char *name;
    int intervalMs;
    bool enabled;
    KeptIn<QTimer> keptIn;
};

struct MenuSpec
{
    const char *name;
    const char *parent; // nullptr: on the menu bar
    const char *caption; // UTF-8
    KeptIn<QMenu, QAction> keptIn;
};

struct WindowSpec
{
    const char *caption;
    int clientWidthTwips;
    int clientHeightTwips;
    Colour fore;
};

// The objectName of the client area, the surface every control stands on.
inline constexpr char kClientAreaName[] = "clientArea";

constexpr int kTwipsPerPixel = 15;
constexpr int toPixels(int twips) { return twips / kTwipsPerPixel; }

const WindowSpec &windowSpec();
// Front first, in the order the controls are stacked.
std::span<const ControlSpec> controlSpecs();
std::span<const TimerSpec> timerSpecs();
// Parents before children.
std::span<const MenuSpec> menuSpecs();
