// Window-system types, message numbers and virtual-key codes as the program
// knows them. The platform backends translate their own events into these,
// so every window procedure and effect message handler reads as written
// for the original window system.
#pragma once

#include <cstdint>

struct PlatWindow;   // the main window (opaque; owned by the platform layer)
struct PlatDC;       // the window's drawing target (opaque)

typedef PlatWindow *HWND;
typedef PlatDC *HDC;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;

// A position on the screen.
struct POINT {
    long x, y;
};

// Window messages.
constexpr unsigned WM_DESTROY     = 0x0002;
constexpr unsigned WM_PAINT       = 0x000F;
constexpr unsigned WM_CLOSE       = 0x0010;
constexpr unsigned WM_QUIT        = 0x0012;
constexpr unsigned WM_KEYDOWN     = 0x0100;
constexpr unsigned WM_COMMAND     = 0x0111;
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP   = 0x0202;

// Virtual-key codes (letters and digits are their upper-case ASCII codes).
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE  = 0x20;
constexpr WPARAM VK_PRIOR  = 0x21;
constexpr WPARAM VK_NEXT   = 0x22;
constexpr WPARAM VK_END    = 0x23;
constexpr WPARAM VK_HOME   = 0x24;
constexpr WPARAM VK_LEFT   = 0x25;
constexpr WPARAM VK_UP     = 0x26;
constexpr WPARAM VK_RIGHT  = 0x27;
constexpr WPARAM VK_DOWN   = 0x28;
constexpr WPARAM VK_INSERT = 0x2D;
constexpr WPARAM VK_DELETE = 0x2E;
constexpr WPARAM VK_NUMPAD0  = 0x60;   // keypad digits: 0x60 to 0x69
constexpr WPARAM VK_MULTIPLY = 0x6A;
constexpr WPARAM VK_ADD      = 0x6B;
constexpr WPARAM VK_SUBTRACT = 0x6D;
constexpr WPARAM VK_DECIMAL  = 0x6E;
constexpr WPARAM VK_DIVIDE   = 0x6F;
constexpr WPARAM VK_F1  = 0x70;
constexpr WPARAM VK_F2  = 0x71;
constexpr WPARAM VK_F3  = 0x72;
constexpr WPARAM VK_F4  = 0x73;
constexpr WPARAM VK_F5  = 0x74;
constexpr WPARAM VK_F6  = 0x75;
constexpr WPARAM VK_F7  = 0x76;
constexpr WPARAM VK_F8  = 0x77;
constexpr WPARAM VK_F9  = 0x78;
constexpr WPARAM VK_F10 = 0x79;
constexpr WPARAM VK_F11 = 0x7A;
constexpr WPARAM VK_F12 = 0x7B;

// Message box icon.
constexpr unsigned MB_ICONSTOP = 0x10;
