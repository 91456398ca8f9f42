#pragma once

#include <QString>
#include <QVariantMap>

// What a running instance and a later `velarion` process agree on: the session-bus name, object
// and interface of the scriptable interface, and the private local socket that carries the same
// requests where no session bus answers.
//
// The socket speaks one request line per connection ("show", "panic", "presentation on",
// "presentation off", "status"); the answer is "ok" or the status lines, or a line that starts
// with "error ". Both ends are the same user's processes.
namespace InstanceChannel {

inline constexpr char kBusName[] = "com.orvandel.Velarion";
inline constexpr char kObjectPath[] = "/com/orvandel/Velarion";
inline constexpr char kInterface[] = "com.orvandel.Velarion";

inline constexpr char kShow[] = "show";
inline constexpr char kPanic[] = "panic";
inline constexpr char kPresentationOn[] = "presentation on";
inline constexpr char kPresentationOff[] = "presentation off";
inline constexpr char kStatus[] = "status";
inline constexpr char kOk[] = "ok";

// The socket's path: one per user and X display, since each display has its own tray. Inside
// $XDG_RUNTIME_DIR, else inside a folder of the temporary directory that only this user may
// enter; empty when no such folder can be had (another account owns it, or it is open to others).
QString socketPath();

// The state properties in a fixed order, as "name: on|off" lines (the D-Bus property names with
// words separated by hyphens, lower case).
QString formatStatus(const QVariantMap& properties);

}  // namespace InstanceChannel
