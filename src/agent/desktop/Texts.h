#pragma once

// User-visible texts of the character window, exactly as the user sees them.

namespace desktop::texts {

// The tray icon's context-menu item that hides the character.
inline constexpr char16_t kHideMenuItem[] = u"隠す";

}  // namespace desktop::texts
