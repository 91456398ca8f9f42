#include "shields/hotkey/HotkeyManager.h"

#include "core/UserDefaults.h"
#include "shields/hotkey/CarbonModifier.h"
#include "shields/hotkey/HotkeyGrabber.h"
#include "shields/hotkey/HotkeyLog.h"

#include <QHashFunctions>
#include <QStringList>

#include <limits>
#include <optional>

namespace {

std::optional<quint32> storedUInt32(const UserDefaults& defaults, const char* key) {
    const std::optional<qint64> value = defaults.storedInt(QString::fromLatin1(key));
    if (!value || *value < 0 || *value > qint64(std::numeric_limits<quint32>::max())) {
        return std::nullopt;
    }
    return quint32(*value);
}

// The special keys by the names their keycaps carry on a PC keyboard.
const QHash<quint32, QString>& keyNames() {
    static const QHash<quint32, QString> names{
        {49, QStringLiteral("Space")},     {36, QStringLiteral("Enter")},
        {48, QStringLiteral("Tab")},       {53, QStringLiteral("Esc")},
        {51, QStringLiteral("Backspace")}, {117, QStringLiteral("Delete")},
        {123, QStringLiteral("←")},        {124, QStringLiteral("→")},
        {126, QStringLiteral("↑")},        {125, QStringLiteral("↓")},
        {115, QStringLiteral("Home")},     {119, QStringLiteral("End")},
        {116, QStringLiteral("Page Up")},  {121, QStringLiteral("Page Down")},
        {122, QStringLiteral("F1")},       {120, QStringLiteral("F2")},
        {99, QStringLiteral("F3")},        {118, QStringLiteral("F4")},
        {96, QStringLiteral("F5")},        {97, QStringLiteral("F6")},
        {98, QStringLiteral("F7")},        {100, QStringLiteral("F8")},
        {101, QStringLiteral("F9")},       {109, QStringLiteral("F10")},
        {103, QStringLiteral("F11")},      {111, QStringLiteral("F12")},
    };
    return names;
}

// Earlier versions stored these keys under their Mac keycap symbols. The stored label is kept as
// it is; only what is shown uses the name.
const QHash<QString, QString>& earlierLabelNames() {
    static const QHash<QString, QString> names{
        {QStringLiteral("↩"), QStringLiteral("Enter")},
        {QStringLiteral("⇥"), QStringLiteral("Tab")},
        {QStringLiteral("⎋"), QStringLiteral("Esc")},
        {QStringLiteral("⌫"), QStringLiteral("Backspace")},
        {QStringLiteral("⌦"), QStringLiteral("Delete")},
        {QStringLiteral("↖"), QStringLiteral("Home")},
        {QStringLiteral("↘"), QStringLiteral("End")},
        {QStringLiteral("⇞"), QStringLiteral("Page Up")},
        {QStringLiteral("⇟"), QStringLiteral("Page Down")},
    };
    return names;
}

}  // namespace

size_t qHash(const HotkeyManager::Combo& combo, size_t seed) noexcept {
    return qHashMulti(seed, combo.keyCode, combo.modifiers);
}

HotkeyManager::HotkeyManager(UserDefaults& defaults, std::unique_ptr<HotkeyGrabber> grabber,
                             QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_grabber(std::move(grabber)) {
    restoreStoredCombination();
    installHandler();
    registerHotKey();
}

HotkeyManager::~HotkeyManager() {
    m_grabber->ungrab();
    m_grabber->setPressedHandler({});
}

void HotkeyManager::restoreStoredCombination() {
    if (!m_defaults.contains(QString::fromLatin1(kKeyCodeKey))) {
        return;
    }
    const std::optional<quint32> keyCode = storedUInt32(m_defaults, kKeyCodeKey);
    // A missing mask would read as "no modifiers", a bare key that every application would lose
    // to the grab; like an out-of-range value, it is not a combination the user recorded.
    const std::optional<quint32> modifiers = storedUInt32(m_defaults, kModifiersKey);
    if (!keyCode || !modifiers) {
        qCWarning(lcHotkey) << "The stored panic hot key is not valid; using the default";
        return;
    }
    m_keyCode = *keyCode;
    m_modifiers = *modifiers;
    m_keyLabel = m_defaults.storedString(QString::fromLatin1(kKeyLabelKey))
                     .value_or(QString::fromLatin1(kDefaultKeyLabel));
}

void HotkeyManager::installHandler() {
    // The grabber is owned by this manager and released in its destructor, so `this` outlives
    // every call of the handler.
    m_grabber->setPressedHandler([this] { handlePressed(); });
}

void HotkeyManager::handlePressed() {
    const Action action = m_onPanic;
    if (!action) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [action] { action(); }, Qt::QueuedConnection);
}

void HotkeyManager::registerHotKey() {
    setLastRegistrationOK(m_grabber->grab(m_keyCode, m_modifiers));
}

void HotkeyManager::setOnPanic(Action action) {
    m_onPanic = std::move(action);
    Q_EMIT onPanicChanged();
}

bool HotkeyManager::update(quint32 keyCode, quint32 modifiers, const QString& label) {
    setCombination(keyCode, modifiers, label);
    m_defaults.setValue(QString::fromLatin1(kKeyCodeKey), qint64(keyCode));
    m_defaults.setValue(QString::fromLatin1(kModifiersKey), qint64(modifiers));
    m_defaults.setValue(QString::fromLatin1(kKeyLabelKey), label);
    registerHotKey();
    return m_lastRegistrationOK;
}

void HotkeyManager::suspendGrab() {
    if (m_grabSuspensions++ == 0) {
        m_grabber->ungrab();
    }
}

void HotkeyManager::resumeGrab() {
    if (m_grabSuspensions == 0) {
        return;
    }
    if (--m_grabSuspensions == 0) {
        registerHotKey();
    }
}

void HotkeyManager::setCombination(quint32 keyCode, quint32 modifiers, const QString& label) {
    if (m_keyCode != keyCode) {
        m_keyCode = keyCode;
        Q_EMIT keyCodeChanged();
    }
    if (m_modifiers != modifiers) {
        m_modifiers = modifiers;
        Q_EMIT modifiersChanged();
    }
    if (m_keyLabel != label) {
        m_keyLabel = label;
        Q_EMIT keyLabelChanged();
    }
}

void HotkeyManager::setLastRegistrationOK(bool ok) {
    if (m_lastRegistrationOK != ok) {
        m_lastRegistrationOK = ok;
        Q_EMIT lastRegistrationOKChanged();
    }
}

QString HotkeyManager::displayString() const {
    return displayString(m_modifiers, m_keyLabel);
}

QString HotkeyManager::displayString(quint32 modifiers, const QString& keyLabel) {
    QStringList parts;
    if (modifiers & CarbonModifier::kControl) {
        parts << QStringLiteral("Ctrl");
    }
    if (modifiers & CarbonModifier::kOption) {
        parts << QStringLiteral("Alt");
    }
    if (modifiers & CarbonModifier::kShift) {
        parts << QStringLiteral("Shift");
    }
    if (modifiers & CarbonModifier::kCommand) {
        parts << QStringLiteral("Super");
    }
    parts << earlierLabelNames().value(keyLabel, keyLabel);
    return parts.join(QLatin1Char('+'));
}

QString HotkeyManager::keyLabel(quint32 keyCode, const QString& characters) {
    const auto name = keyNames().constFind(keyCode);
    if (name != keyNames().cend()) {
        return *name;
    }
    if (!characters.isEmpty()) {
        return characters.toUpper();
    }
    return QStringLiteral("Key ") + QString::number(keyCode);
}

quint32 HotkeyManager::carbonModifiers(Qt::KeyboardModifiers flags) {
    quint32 mask = 0;
    if (flags & Qt::ControlModifier) {
        mask |= CarbonModifier::kControl;
    }
    if (flags & Qt::AltModifier) {
        mask |= CarbonModifier::kOption;
    }
    if (flags & Qt::ShiftModifier) {
        mask |= CarbonModifier::kShift;
    }
    if (flags & Qt::MetaModifier) {
        mask |= CarbonModifier::kCommand;
    }
    return mask;
}

const QSet<HotkeyManager::Combo>& HotkeyManager::systemShortcuts() {
    // In the stored encoding: virtual key codes and Carbon masks.
    enum KeyCode : quint32 {
        kA = 0,
        kD = 2,
        kT = 17,
        kL = 37,
        kTab = 48,
        kSpace = 49,
        kF2 = 120,
        kF4 = 118,
        kDelete = 117,
        kLeft = 123,
        kRight = 124,
        kDown = 125,
        kUp = 126,
    };
    constexpr quint32 kAlt = CarbonModifier::kOption;
    constexpr quint32 kSuper = CarbonModifier::kCommand;
    constexpr quint32 kCtrlAlt = CarbonModifier::kControl | CarbonModifier::kOption;
    // Taken by GNOME, KDE Plasma, Cinnamon, MATE or XFCE in their default set-up: window and
    // workspace switching, the window menu, the run dialog, closing windows, logging out, locking,
    // the terminal, the application grid, the input-source switch and showing the desktop.
    static const QSet<Combo> shortcuts{
        {kTab, kAlt},        {kTab, kAlt | CarbonModifier::kShift},
        {kTab, kSuper},      {kF4, kAlt},
        {kF2, kAlt},         {kSpace, kAlt},
        {kDelete, kCtrlAlt}, {kT, kCtrlAlt},
        {kL, kCtrlAlt},      {kL, kSuper},
        {kSpace, kSuper},    {kD, kSuper},
        {kA, kSuper},        {kLeft, kCtrlAlt},
        {kRight, kCtrlAlt},  {kUp, kCtrlAlt},
        {kDown, kCtrlAlt},
    };
    return shortcuts;
}
