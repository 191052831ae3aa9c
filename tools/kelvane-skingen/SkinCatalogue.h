#pragma once

// Every bitmap resource the program loads by id, with its size and what is
// drawn into it. Changing the skin means changing this table (or the art
// functions it names) and rebuilding; the build writes <id>.png for each row.
//
// Sizes the program relies on (fixed by the windows that load them):
//   150 compact outline 404x200      147 expanded outline 404x562
//   146 compact face    404x198      143 expanded face    404x562
//   195, 248, 249, 250 sub-screen backgrounds 324x105 (stretched onto the panel)
//   191-194 alarm indicator 30x15 (the panel places it at 30x15)
//   Display Setting buttons, image / mask (the mask is the button's size):
//     219/218 "View Error Log" 113x25, mask 217 107x19
//     222/221 list buttons     70x25,  mask 220 64x19
//     216/215 OK               81x25,  mask 214 78x19
//     240/239 Cancel           80x25,  mask 238 77x19
//   223 tab strip: three 15x15 images side by side (45x15), white = transparent
//
// Sizes chosen here, so that every control fits its place on the face
// (positions are the main window's layout, width x height):
//   close 2 / minimise 1014 / help 1015 at x 338 / 304 / 321, y 15:   15x15
//   Monitor / Display / Dravik Manager setting at x 49 / 153 / 257, y 152:
//                                                                     100x22
//   expand 1006 at (178,180), collapse 1007 at (178,545):              48x14
//   web-site link 1013 at (168,3):                                     68x18
//   area buttons "Back" at x 178, "Detail" at x 201, y 181/301/421:    22x12
//     (they sit in the 13-pixel rails between the 105-pixel panels)
//   Monitor Setting buttons 226/228, mask 227:                        104x22
//   logo 224: 160x48     scales 229 (fan) and 230 (temperature): 160x20
//   application icon 128: 64x64

#include <array>

namespace skinart {

// What kind of picture a row holds.
enum class Art {
    Outline,       // window outline: black inside, white outside
    Face,          // main window background
    RoundButton,   // the small round title buttons
    KeyButton,     // the three wide setting keys (caption drawn at run time)
    TabButton,     // expand / collapse tabs
    LinkBadge,     // the web-site link badge
    AreaButton,    // the sub-screen view switches
    Indicator,     // alarm indicator of a numeric sub-screen slot
    NumericPanel,  // background of the numeric sub-screens
    GraphPanel,    // background of a graph sub-screen
    DialogButton,  // the setting dialogs' buttons (caption drawn at run time)
    TabStrip,      // Display Setting tab images
    Logo,
    Scale,         // the scale strips under the Monitor Setting sliders
    AppIcon,
};

// Which state of a control the picture shows. A mask is white outside and
// black inside; DisabledMask is a mask whose inside is the disabled look,
// because the program uses the same bitmap for both.
enum class Look { Normal, Hover, Pressed, Disabled, Mask, DisabledMask, Plain };

// The symbol drawn into a picture (also selects the variant of a panel, face
// or scale).
enum class Glyph {
    None,
    Close, Minimise, Help,
    Expand, Collapse,
    Globe,
    Digits, Chart,
    Volt, Fan, Temp,
    Compact, Expanded,
};

struct SkinBitmap {
    int id;
    int width;
    int height;
    Art art;
    Look look;
    Glyph glyph;
    // The drawn shape when it is smaller than the image (the Display Setting
    // buttons are clipped to their mask's size at the top-left corner).
    int shapeWidth = 0;
    int shapeHeight = 0;
};

inline constexpr int kFaceWidth = 404;
inline constexpr int kCompactFaceHeight = 198;
inline constexpr int kCompactOutlineHeight = 200;
inline constexpr int kExpandedHeight = 562;

inline constexpr std::array<SkinBitmap, 67> kSkinBitmaps{{
    // Window outlines and faces.
    {150, 404, 200, Art::Outline, Look::Mask, Glyph::Compact},
    {147, 404, 562, Art::Outline, Look::Mask, Glyph::Expanded},
    {146, 404, 198, Art::Face, Look::Plain, Glyph::Compact},
    {143, 404, 562, Art::Face, Look::Plain, Glyph::Expanded},

    // Close (2): normal, pressed, hover, disabled + mask.
    {184, 15, 15, Art::RoundButton, Look::Normal, Glyph::Close},
    {183, 15, 15, Art::RoundButton, Look::Pressed, Glyph::Close},
    {182, 15, 15, Art::RoundButton, Look::Hover, Glyph::Close},
    {181, 15, 15, Art::RoundButton, Look::DisabledMask, Glyph::Close},
    // Minimise (1014); its disabled + mask 177 is shared with help, so it
    // carries no symbol.
    {180, 15, 15, Art::RoundButton, Look::Normal, Glyph::Minimise},
    {179, 15, 15, Art::RoundButton, Look::Pressed, Glyph::Minimise},
    {178, 15, 15, Art::RoundButton, Look::Hover, Glyph::Minimise},
    {177, 15, 15, Art::RoundButton, Look::DisabledMask, Glyph::None},
    // Help (1015).
    {243, 15, 15, Art::RoundButton, Look::Normal, Glyph::Help},
    {241, 15, 15, Art::RoundButton, Look::Pressed, Glyph::Help},
    {242, 15, 15, Art::RoundButton, Look::Hover, Glyph::Help},

    // Setting keys (1000, 1001, 1002).
    {171, 100, 22, Art::KeyButton, Look::Normal, Glyph::None},
    {169, 100, 22, Art::KeyButton, Look::Pressed, Glyph::None},
    {168, 100, 22, Art::KeyButton, Look::Hover, Glyph::None},
    {133, 100, 22, Art::KeyButton, Look::DisabledMask, Glyph::None},

    // Expand (1006) and collapse (1007).
    {160, 48, 14, Art::TabButton, Look::Normal, Glyph::Expand},
    {158, 48, 14, Art::TabButton, Look::Pressed, Glyph::Expand},
    {159, 48, 14, Art::TabButton, Look::Hover, Glyph::Expand},
    {157, 48, 14, Art::TabButton, Look::DisabledMask, Glyph::Expand},
    {176, 48, 14, Art::TabButton, Look::Normal, Glyph::Collapse},
    {175, 48, 14, Art::TabButton, Look::Pressed, Glyph::Collapse},
    {174, 48, 14, Art::TabButton, Look::Hover, Glyph::Collapse},
    {173, 48, 14, Art::TabButton, Look::DisabledMask, Glyph::Collapse},

    // Web-site link (1013).
    {189, 68, 18, Art::LinkBadge, Look::Normal, Glyph::Globe},
    {188, 68, 18, Art::LinkBadge, Look::Pressed, Glyph::Globe},
    {187, 68, 18, Art::LinkBadge, Look::Hover, Glyph::Globe},
    {186, 68, 18, Art::LinkBadge, Look::DisabledMask, Glyph::Globe},

    // Sub-screen view switches: numeric ("Back") and graph ("Detail"). The
    // pressed picture doubles as the disabled one, i.e. "this view is shown".
    {201, 22, 12, Art::AreaButton, Look::Normal, Glyph::Digits},
    {200, 22, 12, Art::AreaButton, Look::Pressed, Glyph::Digits},
    {199, 22, 12, Art::AreaButton, Look::Hover, Glyph::Digits},
    {198, 22, 12, Art::AreaButton, Look::Mask, Glyph::Digits},
    {205, 22, 12, Art::AreaButton, Look::Normal, Glyph::Chart},
    {204, 22, 12, Art::AreaButton, Look::Pressed, Glyph::Chart},
    {203, 22, 12, Art::AreaButton, Look::Hover, Glyph::Chart},
    {202, 22, 12, Art::AreaButton, Look::Mask, Glyph::Chart},

    // Alarm indicator: 194 in range, 193 alarm, 192 item off, 191 mask.
    {194, 30, 15, Art::Indicator, Look::Normal, Glyph::None},
    {193, 30, 15, Art::Indicator, Look::Pressed, Glyph::None},
    {192, 30, 15, Art::Indicator, Look::Disabled, Glyph::None},
    {191, 30, 15, Art::Indicator, Look::Mask, Glyph::None},

    // Sub-screen backgrounds.
    {195, 324, 105, Art::NumericPanel, Look::Plain, Glyph::None},
    {248, 324, 105, Art::GraphPanel, Look::Plain, Glyph::Volt},
    {249, 324, 105, Art::GraphPanel, Look::Plain, Glyph::Temp},
    {250, 324, 105, Art::GraphPanel, Look::Plain, Glyph::Fan},

    // Monitor Setting: Default Setting, Apply, Cancel.
    {226, 104, 22, Art::DialogButton, Look::Normal, Glyph::None},
    {228, 104, 22, Art::DialogButton, Look::Pressed, Glyph::None},
    {227, 104, 22, Art::DialogButton, Look::Mask, Glyph::None},

    // Display Setting: View Error Log, the list buttons, OK, Cancel.
    {219, 113, 25, Art::DialogButton, Look::Normal, Glyph::None, 107, 19},
    {218, 113, 25, Art::DialogButton, Look::Pressed, Glyph::None, 107, 19},
    {217, 107, 19, Art::DialogButton, Look::Mask, Glyph::None},
    {222, 70, 25, Art::DialogButton, Look::Normal, Glyph::None, 64, 19},
    {221, 70, 25, Art::DialogButton, Look::Pressed, Glyph::None, 64, 19},
    {220, 64, 19, Art::DialogButton, Look::Mask, Glyph::None},
    {216, 81, 25, Art::DialogButton, Look::Normal, Glyph::None, 78, 19},
    {215, 81, 25, Art::DialogButton, Look::Pressed, Glyph::None, 78, 19},
    {214, 78, 19, Art::DialogButton, Look::Mask, Glyph::None},
    {240, 80, 25, Art::DialogButton, Look::Normal, Glyph::None, 77, 19},
    {239, 80, 25, Art::DialogButton, Look::Pressed, Glyph::None, 77, 19},
    {238, 77, 19, Art::DialogButton, Look::Mask, Glyph::None},

    // Tab images, logo, slider scales, application icon.
    {223, 45, 15, Art::TabStrip, Look::Plain, Glyph::None},
    {224, 160, 48, Art::Logo, Look::Plain, Glyph::None},
    {229, 160, 20, Art::Scale, Look::Plain, Glyph::Fan},
    {230, 160, 20, Art::Scale, Look::Plain, Glyph::Temp},
    {128, 64, 64, Art::AppIcon, Look::Plain, Glyph::None},
}};

// Where the main window's buttons sit on the face (client pixels). The art
// uses it to blend each button's edge into the face behind it; the render
// check and the gallery use it to compose the window.
struct FacePlacement {
    int controlId;
    int x;
    int y;
    int normal, pressed, hover, disabled, mask;
    bool expandedOnly;  // only visible in the expanded form
    bool compactOnly;   // hidden in the expanded form
};

inline constexpr std::array<FacePlacement, 15> kFaceButtons{{
    {2, 338, 15, 184, 183, 182, 181, 181, false, false},
    {1014, 304, 15, 180, 179, 178, 177, 177, false, false},
    {1015, 321, 15, 243, 241, 242, 177, 177, false, false},
    {1002, 49, 152, 171, 169, 168, 133, 133, false, false},
    {1001, 153, 152, 171, 169, 168, 133, 133, false, false},
    {1000, 257, 152, 171, 169, 168, 171, 133, false, false},
    {1006, 178, 180, 160, 158, 159, 157, 157, false, true},
    {1007, 178, 545, 176, 175, 174, 173, 173, true, false},
    {1013, 168, 3, 189, 188, 187, 186, 186, false, false},
    {1045, 178, 301, 201, 200, 199, 200, 198, true, false},
    {1046, 201, 301, 205, 204, 203, 204, 202, true, false},
    {1043, 178, 181, 201, 200, 199, 200, 198, true, false},
    {1044, 201, 181, 205, 204, 203, 204, 202, true, false},
    {1041, 178, 421, 201, 200, 199, 200, 198, true, false},
    {1042, 201, 421, 205, 204, 203, 204, 202, true, false},
}};

// The value displays and labels drawn over the face (x, y, width, height);
// the face puts recessed wells behind them.
struct FaceRect {
    int controlId;
    int x, y, width, height;
};

inline constexpr std::array<FaceRect, 9> kFaceTexts{{
    {1004, 170, 70, 65, 35},  // fan value
    {1005, 305, 76, 50, 23},  // temperature value
    {1003, 42, 76, 58, 23},   // voltage value
    {1048, 180, 107, 44, 12}, // "RPM"
    {1047, 62, 101, 24, 12},  // "V"
    {1049, 320, 101, 24, 12}, // "C" / "F"
    {1008, 50, 60, 50, 16},   // voltage name
    {1009, 178, 53, 50, 16},  // fan name
    {1012, 307, 60, 50, 16},  // temperature name
}};

// The sub-screen panels in the expanded form: x 40, 324 x 105 at these y.
inline constexpr int kPanelX = 40;
inline constexpr int kPanelWidth = 324;
inline constexpr int kPanelHeight = 105;
inline constexpr std::array<int, 3> kPanelY{195, 314, 434};

}  // namespace skinart
