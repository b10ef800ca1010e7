#pragma once

// The names and descriptions stored in our character, one entry per interface language.

namespace mascot {

inline constexpr const char* kNameJa = "もちまる";
inline constexpr const char* kDescriptionJa = "頭に葉っぱをのせた、まるいおもちの妖精です。";
inline constexpr const char* kNameEn = "Mochimaru";
inline constexpr const char* kDescriptionEn =
    "A round little rice-cake sprite with a leaf on its head.";

}  // namespace mascot
