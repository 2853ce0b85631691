// The one way Windows files include windows.h: the system headers, then the
// A/W macros undone whose names the service interfaces use for their own
// operations, so every unit sees the same class members.
#pragma once

// Winsock 2 goes first: windows.h would otherwise bring in the old winsock.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <oleauto.h>

#undef SetConsoleTitle
#undef GetMessage
#undef DispatchMessage
#undef OemToChar
#undef CharToOem
