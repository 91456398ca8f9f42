#include "shields/hotkey/x11/X11KeyTranslation.h"

#include "shields/hotkey/CarbonModifier.h"

#include <X11/keysym.h>

#include <QHash>

std::optional<quint32> X11KeyTranslation::keysym(quint32 keyCode) {
    static const QHash<quint32, quint32> keysyms{
        // Letters.
        {0, XK_a},
        {11, XK_b},
        {8, XK_c},
        {2, XK_d},
        {14, XK_e},
        {3, XK_f},
        {5, XK_g},
        {4, XK_h},
        {34, XK_i},
        {38, XK_j},
        {40, XK_k},
        {37, XK_l},
        {46, XK_m},
        {45, XK_n},
        {31, XK_o},
        {35, XK_p},
        {12, XK_q},
        {15, XK_r},
        {1, XK_s},
        {17, XK_t},
        {32, XK_u},
        {9, XK_v},
        {13, XK_w},
        {7, XK_x},
        {16, XK_y},
        {6, XK_z},
        // Digits.
        {29, XK_0},
        {18, XK_1},
        {19, XK_2},
        {20, XK_3},
        {21, XK_4},
        {23, XK_5},
        {22, XK_6},
        {26, XK_7},
        {28, XK_8},
        {25, XK_9},
        // Punctuation.
        {24, XK_equal},
        {27, XK_minus},
        {30, XK_bracketright},
        {33, XK_bracketleft},
        {39, XK_apostrophe},
        {41, XK_semicolon},
        {42, XK_backslash},
        {43, XK_comma},
        {44, XK_slash},
        {47, XK_period},
        {50, XK_grave},
        // Editing and navigation.
        {36, XK_Return},
        {48, XK_Tab},
        {49, XK_space},
        {51, XK_BackSpace},
        {53, XK_Escape},
        {117, XK_Delete},
        {115, XK_Home},
        {119, XK_End},
        {116, XK_Page_Up},
        {121, XK_Page_Down},
        {123, XK_Left},
        {124, XK_Right},
        {125, XK_Down},
        {126, XK_Up},
        // Function keys.
        {122, XK_F1},
        {120, XK_F2},
        {99, XK_F3},
        {118, XK_F4},
        {96, XK_F5},
        {97, XK_F6},
        {98, XK_F7},
        {100, XK_F8},
        {101, XK_F9},
        {109, XK_F10},
        {103, XK_F11},
        {111, XK_F12},
        // Keypad.
        {82, XK_KP_0},
        {83, XK_KP_1},
        {84, XK_KP_2},
        {85, XK_KP_3},
        {86, XK_KP_4},
        {87, XK_KP_5},
        {88, XK_KP_6},
        {89, XK_KP_7},
        {91, XK_KP_8},
        {92, XK_KP_9},
        {65, XK_KP_Decimal},
        {67, XK_KP_Multiply},
        {69, XK_KP_Add},
        {75, XK_KP_Divide},
        {76, XK_KP_Enter},
        {78, XK_KP_Subtract},
        {81, XK_KP_Equal},
    };
    const auto it = keysyms.constFind(keyCode);
    if (it == keysyms.cend()) {
        return std::nullopt;
    }
    return *it;
}

quint16 X11KeyTranslation::modifierMask(quint32 carbonMask, const ModifierBits& bits) {
    quint16 mask = 0;
    if (carbonMask & CarbonModifier::kShift) {
        mask |= kShiftMask;
    }
    if (carbonMask & CarbonModifier::kControl) {
        mask |= kControlMask;
    }
    if (carbonMask & CarbonModifier::kOption) {
        mask |= bits.alt;
    }
    if (carbonMask & CarbonModifier::kCommand) {
        mask |= bits.super;
    }
    return mask;
}

QList<quint16> X11KeyTranslation::lockVariants(const ModifierBits& bits) {
    QList<quint16> variants{0, kLockMask};
    if (bits.numLock != 0 && bits.numLock != kLockMask) {
        variants << bits.numLock << quint16(kLockMask | bits.numLock);
    }
    return variants;
}
