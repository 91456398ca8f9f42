#pragma once

#include <QString>

// The client side of InstanceChannel: hands one request to the running instance, through the
// session bus when the instance owns its name there, else through the private local socket.
// Blocks the calling thread until the answer arrives (a few seconds at most); needs a
// QCoreApplication.
namespace RemoteInstance {

struct Reply {
    enum class Outcome { noInstance, failed, ok };
    // Zero value: nobody was asked.
    Outcome outcome = Outcome::noInstance;
    // The status lines for "status"; the reason for `failed`.
    QString text;
};

// `request` is one of InstanceChannel's request lines.
Reply send(const QString& request);

}  // namespace RemoteInstance
