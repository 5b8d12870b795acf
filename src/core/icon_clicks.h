// The notification icon's mouse messages, as they reach the memo strip: the
// message number arrives as the x of a mouse move, in twips. Portable: no
// Windows headers.
#pragma once

namespace tallynix {

// The mouse message a notification icon event carries in the window's mouse
// x coordinate (twips): round x and the twips per pixel to whole numbers,
// ties to even, and divide, truncating.
int iconMessageFromTwips(float xTwips, float twipsPerPixel);

// What a notification icon mouse message asks for.
enum class IconAction { none, showWindow, trayMenu };
IconAction iconActionFor(int mouseMessage);

} // namespace tallynix
