#pragma once

#include <cstdint>
#include <string>

// What the application and the camera daemon agree on. Both deliverables compile this in; a
// change here is a change of the wire contract between two separately started processes.
namespace FrameHandoff {

// The name of the notify channel whose state carries the newest surface identifier.
inline constexpr char kNotifyName[] =
    "group.QX47TRMB8Z.com.orvandel.Velarion.CameraExtension.surfaceID";

inline constexpr int kFrameWidth = 1920;
inline constexpr int kFrameHeight = 1080;

// 'BGRA': four bytes a pixel, blue, green, red, alpha in memory order.
inline constexpr std::uint32_t kPixelFormatBGRA = 0x42475241;
inline constexpr int kBytesPerPixel = 4;

// The stream's frame duration, 1/30 s.
inline constexpr int kFrameDurationNumerator = 1;
inline constexpr int kFramesPerSecond = 30;

inline constexpr int kRingSize = 3;

// The state value meaning that nothing has been published.
inline constexpr std::uint32_t kNoSurface = 0;

// Prefix of every shared-memory name of the hand-off (the names add the user id after it): derived
// from the session's runtime folder (XDG_RUNTIME_DIR), which the application and the daemon it
// starts share. Two sessions with different runtime folders, such as a test's private session
// beside the user's own, never meet; "velarion" alone without a runtime folder.
std::string shmNamespace();

}  // namespace FrameHandoff
