#pragma once

// The command ids every dialog shares: OK, Cancel, and the id of labels that need none. The
// system headers of one platform define IDOK and IDCANCEL as macros with these same values; where
// they are already defined those serve.
#if !defined(IDOK)
inline constexpr int IDOK = 1;
#endif
#if !defined(IDCANCEL)
inline constexpr int IDCANCEL = 2;
#endif
inline constexpr int IDC_STATIC = -1;
