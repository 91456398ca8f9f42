#include "shields/hotkey/QtKeyTranslation.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace {

struct KeyEntry {
    quint32 keyCode;
    int qtKey;
    const char* characters;
};

// The main block: letters, digits, punctuation, editing, navigation and function keys.
constexpr std::array kMainKeys{
    KeyEntry{0, Qt::Key_A, "a"},
    KeyEntry{1, Qt::Key_S, "s"},
    KeyEntry{2, Qt::Key_D, "d"},
    KeyEntry{3, Qt::Key_F, "f"},
    KeyEntry{4, Qt::Key_H, "h"},
    KeyEntry{5, Qt::Key_G, "g"},
    KeyEntry{6, Qt::Key_Z, "z"},
    KeyEntry{7, Qt::Key_X, "x"},
    KeyEntry{8, Qt::Key_C, "c"},
    KeyEntry{9, Qt::Key_V, "v"},
    KeyEntry{11, Qt::Key_B, "b"},
    KeyEntry{12, Qt::Key_Q, "q"},
    KeyEntry{13, Qt::Key_W, "w"},
    KeyEntry{14, Qt::Key_E, "e"},
    KeyEntry{15, Qt::Key_R, "r"},
    KeyEntry{16, Qt::Key_Y, "y"},
    KeyEntry{17, Qt::Key_T, "t"},
    KeyEntry{18, Qt::Key_1, "1"},
    KeyEntry{19, Qt::Key_2, "2"},
    KeyEntry{20, Qt::Key_3, "3"},
    KeyEntry{21, Qt::Key_4, "4"},
    KeyEntry{22, Qt::Key_6, "6"},
    KeyEntry{23, Qt::Key_5, "5"},
    KeyEntry{24, Qt::Key_Equal, "="},
    KeyEntry{25, Qt::Key_9, "9"},
    KeyEntry{26, Qt::Key_7, "7"},
    KeyEntry{27, Qt::Key_Minus, "-"},
    KeyEntry{28, Qt::Key_8, "8"},
    KeyEntry{29, Qt::Key_0, "0"},
    KeyEntry{30, Qt::Key_BracketRight, "]"},
    KeyEntry{31, Qt::Key_O, "o"},
    KeyEntry{32, Qt::Key_U, "u"},
    KeyEntry{33, Qt::Key_BracketLeft, "["},
    KeyEntry{34, Qt::Key_I, "i"},
    KeyEntry{35, Qt::Key_P, "p"},
    KeyEntry{36, Qt::Key_Return, "\r"},
    KeyEntry{37, Qt::Key_L, "l"},
    KeyEntry{38, Qt::Key_J, "j"},
    KeyEntry{39, Qt::Key_Apostrophe, "'"},
    KeyEntry{40, Qt::Key_K, "k"},
    KeyEntry{41, Qt::Key_Semicolon, ";"},
    KeyEntry{42, Qt::Key_Backslash, "\\"},
    KeyEntry{43, Qt::Key_Comma, ","},
    KeyEntry{44, Qt::Key_Slash, "/"},
    KeyEntry{45, Qt::Key_N, "n"},
    KeyEntry{46, Qt::Key_M, "m"},
    KeyEntry{47, Qt::Key_Period, "."},
    KeyEntry{48, Qt::Key_Tab, "\t"},
    KeyEntry{49, Qt::Key_Space, " "},
    KeyEntry{50, Qt::Key_QuoteLeft, "`"},
    KeyEntry{51, Qt::Key_Backspace, "\x7f"},
    KeyEntry{53, Qt::Key_Escape, "\x1b"},
    KeyEntry{96, Qt::Key_F5, ""},
    KeyEntry{97, Qt::Key_F6, ""},
    KeyEntry{98, Qt::Key_F7, ""},
    KeyEntry{99, Qt::Key_F3, ""},
    KeyEntry{100, Qt::Key_F8, ""},
    KeyEntry{101, Qt::Key_F9, ""},
    KeyEntry{103, Qt::Key_F11, ""},
    KeyEntry{109, Qt::Key_F10, ""},
    KeyEntry{111, Qt::Key_F12, ""},
    KeyEntry{115, Qt::Key_Home, ""},
    KeyEntry{116, Qt::Key_PageUp, ""},
    KeyEntry{117, Qt::Key_Delete, ""},
    KeyEntry{118, Qt::Key_F4, ""},
    KeyEntry{119, Qt::Key_End, ""},
    KeyEntry{120, Qt::Key_F2, ""},
    KeyEntry{121, Qt::Key_PageDown, ""},
    KeyEntry{122, Qt::Key_F1, ""},
    KeyEntry{123, Qt::Key_Left, ""},
    KeyEntry{124, Qt::Key_Right, ""},
    KeyEntry{125, Qt::Key_Down, ""},
    KeyEntry{126, Qt::Key_Up, ""},
};

// Keys reported with Qt::KeypadModifier (Num Lock on for the digits).
constexpr std::array kKeypadKeys{
    KeyEntry{65, Qt::Key_Period, "."},   KeyEntry{67, Qt::Key_Asterisk, "*"},
    KeyEntry{69, Qt::Key_Plus, "+"},     KeyEntry{75, Qt::Key_Slash, "/"},
    KeyEntry{76, Qt::Key_Enter, "\x03"}, KeyEntry{78, Qt::Key_Minus, "-"},
    KeyEntry{81, Qt::Key_Equal, "="},    KeyEntry{82, Qt::Key_0, "0"},
    KeyEntry{83, Qt::Key_1, "1"},        KeyEntry{84, Qt::Key_2, "2"},
    KeyEntry{85, Qt::Key_3, "3"},        KeyEntry{86, Qt::Key_4, "4"},
    KeyEntry{87, Qt::Key_5, "5"},        KeyEntry{88, Qt::Key_6, "6"},
    KeyEntry{89, Qt::Key_7, "7"},        KeyEntry{91, Qt::Key_8, "8"},
    KeyEntry{92, Qt::Key_9, "9"},
};

struct Alias {
    int qtKey;
    quint32 keyCode;
};

// What shift turns the main keys into on a US layout, and the other names Qt gives some keys.
constexpr std::array kAliases{
    Alias{Qt::Key_Exclam, 18},     Alias{Qt::Key_At, 19},         Alias{Qt::Key_NumberSign, 20},
    Alias{Qt::Key_Dollar, 21},     Alias{Qt::Key_Percent, 23},    Alias{Qt::Key_AsciiCircum, 22},
    Alias{Qt::Key_Ampersand, 26},  Alias{Qt::Key_Asterisk, 28},   Alias{Qt::Key_ParenLeft, 25},
    Alias{Qt::Key_ParenRight, 29}, Alias{Qt::Key_Underscore, 27}, Alias{Qt::Key_Plus, 24},
    Alias{Qt::Key_BraceLeft, 33},  Alias{Qt::Key_BraceRight, 30}, Alias{Qt::Key_Bar, 42},
    Alias{Qt::Key_Colon, 41},      Alias{Qt::Key_QuoteDbl, 39},   Alias{Qt::Key_Less, 43},
    Alias{Qt::Key_Greater, 47},    Alias{Qt::Key_Question, 44},   Alias{Qt::Key_AsciiTilde, 50},
    Alias{Qt::Key_Backtab, 48},    Alias{Qt::Key_Enter, 76},
};

template <typename Table>
std::optional<quint32> findKey(const Table& table, int qtKey) {
    const auto it = std::find_if(table.begin(), table.end(),
                                 [qtKey](const auto& entry) { return entry.qtKey == qtKey; });
    if (it == table.end()) {
        return std::nullopt;
    }
    return it->keyCode;
}

}  // namespace

std::optional<quint32> QtKeyTranslation::virtualKeyCode(int qtKey,
                                                        Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (auto keyCode = findKey(kKeypadKeys, qtKey)) {
            return keyCode;
        }
    }
    if (auto keyCode = findKey(kMainKeys, qtKey)) {
        return keyCode;
    }
    return findKey(kAliases, qtKey);
}

QString QtKeyTranslation::charactersIgnoringModifiers(quint32 keyCode) {
    static const QHash<quint32, QString> characters = [] {
        QHash<quint32, QString> table;
        for (const auto& entry : kMainKeys) {
            table.insert(entry.keyCode, QString::fromLatin1(entry.characters));
        }
        for (const auto& entry : kKeypadKeys) {
            table.insert(entry.keyCode, QString::fromLatin1(entry.characters));
        }
        return table;
    }();
    const QString text = characters.value(keyCode);
    // Control characters are what a key types, not something to show.
    if (text.size() == 1 && !text.front().isPrint()) {
        return {};
    }
    return text;
}

QList<quint32> QtKeyTranslation::producibleKeyCodes() {
    QList<quint32> codes;
    for (const auto& entry : kMainKeys) {
        codes << entry.keyCode;
    }
    for (const auto& entry : kKeypadKeys) {
        codes << entry.keyCode;
    }
    return codes;
}
