#pragma once

// What the user is asked to do when the camera cannot start because no PipeWire daemon listens
// for the session. It is also an English key of the translation table, which takes it from here,
// so the installer's message and its translations cannot drift apart.
inline constexpr char16_t kPipeWireNotRunningInstruction[] =
    u"PipeWire is not running for your session. Start it, then try again:\n"
    u"systemctl --user start pipewire wireplumber";
