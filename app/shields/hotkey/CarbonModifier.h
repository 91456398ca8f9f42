#pragma once

#include <QtGlobal>

// The Carbon modifier bits in which the hot key's modifiers are stored.
namespace CarbonModifier {

inline constexpr quint32 kCommand = 0x100;
inline constexpr quint32 kShift = 0x200;
inline constexpr quint32 kOption = 0x800;
inline constexpr quint32 kControl = 0x1000;

}  // namespace CarbonModifier
