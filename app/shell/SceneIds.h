#pragma once

// Identifiers of the auxiliary windows that views open through the WindowRegistry.
namespace SceneId {

inline constexpr char kSettings[] = "settings";
inline constexpr char kHelp[] = "help";
inline constexpr char kUpdate[] = "update";
inline constexpr char kCameraSetup[] = "camera-setup";
inline constexpr char kBroadcast[] = "broadcast";

}  // namespace SceneId
