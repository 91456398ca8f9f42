#pragma once

class PlanShield;

// Test hook for the real application: with VELARION_TEST_SHIELDS_ON_AT_START=1 in its
// environment, it switches the given shields on right after start, as a user would from the
// popover. Together with DesktopEnvironment's VELARION_TEST_TOOLS_DIR this lets a test check the
// restore on termination against stand-in tools. Does nothing otherwise.
namespace ShieldTestHook {

inline constexpr char kShieldsOnAtStartVariable[] = "VELARION_TEST_SHIELDS_ON_AT_START";

void switchOnAtStartIfAsked(PlanShield& first, PlanShield& second);

}  // namespace ShieldTestHook
