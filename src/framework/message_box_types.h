#pragma once

// Message-box styles and answers, with the platform's values for them.
// Plain constants: code that knows no widgets asks for boxes through an interface. Where the
// system headers already define the styles (as macros with these values) those serve.
#if !defined(MB_OK)
inline constexpr unsigned MB_OK = 0x0000;
inline constexpr unsigned MB_OKCANCEL = 0x0001;
inline constexpr unsigned MB_DEFBUTTON1 = 0x0000;
#endif
inline constexpr unsigned MB_BUTTONS_MASK = 0x000F;

inline constexpr int IDOK_ANSWER = 1;
inline constexpr int IDCANCEL_ANSWER = 2;
