// The Windows API for the platform layer's Windows forms. windows.h turns
// names such as CopyFile and DeleteFile into macros for their A/W forms;
// our functions of those names must keep them.
#pragma once

#include <windows.h>
// These need windows.h first.
#include <shellapi.h>
#include <tlhelp32.h>

#undef CopyFile
#undef CreateDirectory
#undef CreateFile
#undef CreateProcess
#undef DeleteFile
#undef MoveFile
#undef SetCurrentDirectory
