#pragma once

#include <cstdint>

// What the camera daemon shows to the system and its clients.
namespace CameraIdentity {

inline constexpr char kSubsystem[] = "com.orvandel.Velarion.CameraExtension";
inline constexpr char kCategory[] = "Device";

inline constexpr char kManufacturer[] = "Velarion";
inline constexpr char kDeviceName[] = "Velarion Camera";
inline constexpr char kDeviceUUID[] = "A3B4C5D6-E7F8-1234-5678-9ABCDEF01234";
inline constexpr char kDeviceModel[] = "Velarion Virtual Camera";
inline constexpr std::uint32_t kTransportVirtual = 0x76697274;  // 'virt'
inline constexpr char kStreamName[] = "Velarion.Video";
inline constexpr char kStreamUUID[] = "B4C5D6E7-F8A9-1234-5678-9ABCDEF01234";

// The PipeWire node clients open.
inline constexpr char kNodeName[] = "velarion-camera";

// The daemon's version, compared by the installer to decide on a replacement.
inline constexpr char kVersion[] = VELARION_CAMERA_VERSION;
// With the version, tells the installer whether a running daemon is this very build.
inline constexpr char kBuild[] = VELARION_CAMERA_BUILD;

}  // namespace CameraIdentity
