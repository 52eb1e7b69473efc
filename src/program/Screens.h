#pragma once

// The program's three screens by name. Each is one object for the whole run, made where the
// program (or a test) is put together and registered with the navigation under its name;
// screens reach each other only through the navigation and these names.
namespace program {

enum class ScreenName { Menu, Game, Settings };

inline constexpr ScreenName メニュー = ScreenName::Menu;
inline constexpr ScreenName ゲーム = ScreenName::Game;
inline constexpr ScreenName 設定 = ScreenName::Settings;

} // namespace program
