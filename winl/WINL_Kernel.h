// Kernel objects of the window layer: events, socket events, threads and
// launched processes behind HANDLEs, waits on them, loadable modules, GUIDs
// and the shell's "open this" service.
//
// Every kernel handle is checked against the set of live objects before it
// is used, so a closed or made-up handle is refused (FALSE, WAIT_FAILED)
// instead of being read. Objects are counted: CloseHandle drops one
// reference and the last one frees the object. All of this is thread-safe.
#pragma once

#include "winl/WINL_Window.h"

#include <cstddef>

// ---- waits ----
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// Type tags at the start of every kernel object.
constexpr uint32_t WINL_KOBJ_THREAD = 0x1000002;
constexpr uint32_t WINL_KOBJ_EVENT = 0x1000003;
constexpr uint32_t WINL_KOBJ_FILE = 0x1000004;
constexpr uint32_t WINL_KOBJ_SOCKET_EVENT = 0x1000006;
constexpr uint32_t WINL_KOBJ_PROCESS = 0x1000007;

// ---- events ----

// An event on a mutex and a condition: a manual-reset event stays signalled
// and releases every waiter; an auto-reset one releases one waiter and
// clears itself. The attributes are ignored.
HANDLE CreateEvent(void* attributes, BOOL manualReset, BOOL initiallySignalled);
// An event over a connected local socket pair, signalled while a byte waits
// on its read side, so it can be waited on together with other descriptors.
// Auto reset unless manualReset. Null when the pair cannot be made.
HANDLE CreateEventAsSocket(void* attributes, BOOL manualReset, BOOL initiallySignalled);
// TRUE for events and socket events, FALSE for anything else.
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// 0 when the object is signalled (a thread or process: finished), 258 when ms
// milliseconds pass first (INFINITE waits for ever), WAIT_FAILED for a handle
// that is not a live kernel object. A successful wait clears an auto-reset
// event.
DWORD WaitForSingleObject(HANDLE handle, DWORD ms);
// Waits until one of the socket events is signalled: 0 + its index in the
// array (an auto-reset one is cleared), 258 after ms, WAIT_FAILED when an
// entry is not a socket event. Any descriptor number works.
DWORD WaitForAnySocketObject(int count, const HANDLE* handles, DWORD ms);

// Drops one reference; the last frees the object (a thread is joined, or
// detached when it is still running its own end). FALSE for a handle that
// is not a live kernel object.
BOOL CloseHandle(HANDLE handle);

// ---- threads ----

typedef DWORD (*LPTHREAD_START_ROUTINE)(void* parameter);

// Runs proc(parameter) on a new thread. The handle holds one reference for
// the caller; the thread keeps the object alive until it ends. *threadId (when
// given) receives the thread's id as GetCurrentThreadId gives it there. The
// attributes, stack size and flags are ignored. Null when no thread starts.
HANDLE CreateThread(void* attributes, size_t stackSize, LPTHREAD_START_ROUTINE proc, void* parameter, DWORD flags,
                    DWORD* threadId);
DWORD GetCurrentThreadId();
// Sets the scheduling priority to priority + 31, limited to what the
// thread's policy allows. FALSE for a finished thread or another handle.
BOOL SetThreadPriority(HANDLE thread, int priority);
// The value proc returned; FALSE while the thread runs.
BOOL GetExitCodeThread(HANDLE thread, DWORD* code);

// ---- processes ----

// Starts the program at path with argv[0] = path and the count arguments
// after it, without a shell. Null when it cannot start. Waiting on the handle
// waits for the program to end; every child is reaped, closed or not.
HANDLE WINL_CreateProcess(const char* path, int count, const char* const* arguments);
// Makes a launched program's window the front one. A program just started
// may not have shown it yet: up to 20 looks, 50 ms apart. FALSE when none
// showed, the program has ended, or the handle is not a process.
BOOL WINL_BringProcessToFront(HANDLE process);

// ---- files ----

// A file opened with a stdio mode ("rb", "r+b", "wb", ...); closed by the
// last CloseHandle. Null when it cannot be opened.
HANDLE WINL_OpenFile(const char* path, const char* mode);

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
// Positions the file at the absolute offset (DWORD)low from its start and
// returns it. Only FILE_BEGIN is offered: a non-zero high part (when high is
// given), another method or a failing seek give INVALID_SET_FILE_POINTER and
// leave the position as it was.
DWORD SetFilePointer(HANDLE file, LONG low, LONG* high, DWORD method);
// The current position; INVALID_SET_FILE_POINTER when it is unknown or does
// not fit in 32 bits.
DWORD WINL_GetFilePointer(HANDLE file);
// The size (the end found by seeking there; the position is kept): the low
// 32 bits, the high ones into *high when given. INVALID_SET_FILE_POINTER for
// a handle that is not a file.
DWORD GetFileSize(HANDLE file, DWORD* high);
// Write or read count bytes at the position, which moves past them; *done
// (when given) receives how many went through, 0 on failure. FALSE when not
// all of a write went through, a read error, or a handle that is not a
// file; a read that meets the end is TRUE with the shorter count. The
// overlapped argument is ignored.
BOOL WriteFile(HANDLE file, const void* bytes, DWORD count, DWORD* done, void* overlapped);
BOOL ReadFile(HANDLE file, void* bytes, DWORD count, DWORD* done, void* overlapped);

// ---- modules ----

struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef void (*FARPROC)();

// The optional entries of a module, called with reason 1 when it is loaded
// and 0 when it is freed; a zero answer at load refuses the module.
typedef BOOL (*WINL_ModuleEntry)(HMODULE module, DWORD reason, void* reserved);

// Loads the shared library at path, resolving every symbol now; its symbols
// are global when asked for. The same library loaded again is the same module
// with one more reference, and its entries are not called again. Null for a
// null, empty or unloadable path, a folder, or a module that refuses.
HMODULE LoadLibraryGlobals(const char* path, bool globalSymbols);
HMODULE LoadLibrary(const char* path);
// Null for an unknown module or name.
FARPROC GetProcAddress(HMODULE module, const char* name);
// Drops one reference; the last calls the entries with reason 0 and unloads
// the library. FALSE for a handle that is not a loaded module.
BOOL FreeLibrary(HMODULE module);
// The path of the running program (null module) or of a loaded module, cut
// to size - 1 bytes and terminated; its length, 0 for an unknown module.
DWORD GetModuleFileName(HMODULE module, char* buffer, DWORD size);
// The folder a module finds its resources in, ending in '/': for the
// program (null module) the application's resources folder, for a loaded
// module the "resources" folder beside its file, else the folder of the
// file. Null for an unknown module or when the program has none. The text
// lives as long as the process.
const char* WINL_GetBundle(HMODULE module);

// ---- small services ----

// 16 random bytes shaped as a version-4 GUID.
struct GUID
{
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
void WINL_GenerateGUID(GUID* guid);

// Opens a web address, a document or a folder with the desktop's opener
// ("xdg-open"), passing the target as one argument, never through a shell:
// "http://" and "https://" addresses and plain files as they are;
// "explorer.exe" with parameters "/select,\"path\"" asks the desktop's file
// manager to show the path selected in its folder, and opens the folder
// when no file manager answers; other parameters are opened themselves; "notepad" and
// "notepad.exe" open the file named by the parameters in the desktop's text
// editor (its application for plain text), whatever the file's type. A
// file ending in ".app" is opened as a document too: Linux has no
// application bundles to launch. The verb, folder and show code are ignored.
// 33 when the opener started, 2 when there was nothing to open or it could
// not start.
INT_PTR ShellExecute(HWND hwnd, const char* verb, const char* file, const char* parameters, const char* folder,
                     int show);
