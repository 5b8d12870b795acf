// The notification icon's events, as they reach the memo strip: the mouse
// message, or the keyboard's event, arrives as the x of a mouse move, in
// twips. Portable: no Windows headers.
#pragma once

namespace tallynix {

// The mouse message a notification icon event carries in the window's mouse
// x coordinate (twips): round x and the twips per pixel to whole numbers,
// ties to even, and divide, truncating.
int iconMessageFromTwips(float xTwips, float twipsPerPixel);

// What a notification icon event asks for: the left press shows the strip,
// the right press opens the menu; Enter or Space on the icon bring the strip
// to the keyboard; the menu key or Shift+F10 opens the menu, and so does the
// shell's report of a right click that already did.
enum class IconAction { none, showWindow, trayMenu, showForTyping, contextMenu };
IconAction iconActionFor(int message);

} // namespace tallynix
