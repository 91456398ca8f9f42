#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>

class HotkeyGrabber;
class UserDefaults;

// The global panic hot key: restores the stored combination (Ctrl+Alt+Super+H when nothing is
// stored), keeps it grabbed from creation to destruction and runs `onPanic` when it is pressed.
//
// Lives on the GUI thread. `onPanic` always runs later from the event loop, never inside the key
// handler, and only if an action is set at the moment of the press. Properties notify only when
// their value changes.
class HotkeyManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(quint32 keyCode READ keyCode NOTIFY keyCodeChanged)
    Q_PROPERTY(quint32 modifiers READ modifiers NOTIFY modifiersChanged)
    Q_PROPERTY(QString keyLabel READ keyLabel NOTIFY keyLabelChanged)
    Q_PROPERTY(bool lastRegistrationOK READ lastRegistrationOK NOTIFY lastRegistrationOKChanged)

public:
    using Action = std::function<void()>;

    struct Combo {
        quint32 keyCode = 0;
        quint32 modifiers = 0;

        friend bool operator==(const Combo&, const Combo&) = default;
    };

    static constexpr quint32 kDefaultKeyCode = 4;
    static constexpr quint32 kDefaultModifiers = 0x1900;
    static constexpr char kDefaultKeyLabel[] = "H";

    static constexpr char kKeyCodeKey[] = "panicKeyCode";
    static constexpr char kModifiersKey[] = "panicModifiers";
    static constexpr char kKeyLabelKey[] = "panicKeyLabel";

    // Reads the stored combination and grabs it at once.
    HotkeyManager(UserDefaults& defaults, std::unique_ptr<HotkeyGrabber> grabber,
                  QObject* parent = nullptr);
    // Releases the grab first, then the key handler.
    ~HotkeyManager() override;

    const Action& onPanic() const { return m_onPanic; }
    void setOnPanic(Action action);

    quint32 keyCode() const { return m_keyCode; }
    quint32 modifiers() const { return m_modifiers; }
    QString keyLabel() const { return m_keyLabel; }
    bool lastRegistrationOK() const { return m_lastRegistrationOK; }
    Combo combo() const { return {m_keyCode, m_modifiers}; }

    // Stores the combination (even one that then fails to register), grabs it in place of the
    // old one and returns lastRegistrationOK().
    bool update(quint32 keyCode, quint32 modifiers, const QString& label);

    // While the settings record a new combination the current one must reach the application
    // as an ordinary key press instead of firing the panic action: the grab is released until
    // every suspension has been resumed, then taken again (lastRegistrationOK reflects that new
    // attempt). update() during a suspension stores and grabs as usual.
    void suspendGrab();
    void resumeGrab();
    bool isGrabSuspended() const { return m_grabSuspensions > 0; }

    // The combination as shown everywhere, in the settings line and in the recorder's capsule:
    // "Ctrl+Alt+Super+H".
    QString displayString() const;
    // The set modifiers of a Carbon mask as Ctrl, Alt, Shift and Super, in that order, then the
    // key label, joined by "+". A label stored by an earlier version as a Mac keycap symbol ("⌦")
    // is shown by the key's name ("Delete").
    static QString displayString(quint32 modifiers, const QString& keyLabel);
    // The fixed name of a special key ("Delete", "Page Up", "F5"), else the upper-cased
    // characters the key types without modifiers, else "Key " and the code.
    static QString keyLabel(quint32 keyCode, const QString& characters);
    // Control, Alt, Shift and Meta (Super) as a Carbon mask; other flags are ignored.
    static quint32 carbonModifiers(Qt::KeyboardModifiers flags);
    // Combinations that Linux desktops commonly keep for themselves; the settings warn about them.
    static const QSet<Combo>& systemShortcuts();

Q_SIGNALS:
    void onPanicChanged();
    void keyCodeChanged();
    void modifiersChanged();
    void keyLabelChanged();
    void lastRegistrationOKChanged();

private:
    void restoreStoredCombination();
    void installHandler();
    void registerHotKey();
    void setCombination(quint32 keyCode, quint32 modifiers, const QString& label);
    void setLastRegistrationOK(bool ok);
    void handlePressed();

    UserDefaults& m_defaults;
    std::unique_ptr<HotkeyGrabber> m_grabber;
    Action m_onPanic;
    quint32 m_keyCode = kDefaultKeyCode;
    quint32 m_modifiers = kDefaultModifiers;
    QString m_keyLabel = QString::fromLatin1(kDefaultKeyLabel);
    bool m_lastRegistrationOK = true;
    int m_grabSuspensions = 0;
};

size_t qHash(const HotkeyManager::Combo& combo, size_t seed = 0) noexcept;
