#pragma once

namespace lustrelab {

// Gives screen readers what Qt's own interfaces leave out here:
// - a combo box with an accessible name is called by that name (its label),
//   with the current choice as its value; on Linux Qt names every combo box by
//   its current choice, so "After capture" would be heard as "Open in a new tab";
// - the tab strip's row is a page tab list and each TabItem a page tab that is
//   selectable and says whether it is the selected one (plain widgets are
//   announced as fillers);
// - a plain QWidget whose "accessibleRole" property holds a QAccessible::Role
//   takes that role (groups of choices, the tab strip's row).
// Safe to call more than once: the interfaces are installed once per process.
void installAccessibleInterfaces();

// The property installAccessibleInterfaces reads on plain widgets.
inline constexpr const char* accessibleRoleProperty = "accessibleRole";

} // namespace lustrelab
