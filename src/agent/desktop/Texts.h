#pragma once

// Every text of the character window that the user sees.

namespace desktop::texts {

// The tray icon's context-menu item that hides the character.
inline constexpr char kHideMenuItem[] = "隠す";

}  // namespace desktop::texts
