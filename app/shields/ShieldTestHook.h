#pragma once

class PlanShield;

// For the end-to-end tests of the real application: when the test hook asks for it, switches the
// given shields on right after start, as a user would from the popover, so that a test can check
// the restore on termination against stand-in tools. Does nothing in a shipped program.
namespace ShieldTestHook {

void switchOnAtStartIfAsked(PlanShield& first, PlanShield& second);

}  // namespace ShieldTestHook
