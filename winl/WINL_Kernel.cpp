#include "winl/WINL_Kernel.h"

#include "platform/PLAT_Resources.h"
#include "core/SpawnClean.h"
#include "platform/gtk/PLAT_Bus.h"
#include "platform/gtk/PLAT_GtkOpen.h"
#include "platform/gtk/PLAT_XProcess.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>


// ---- sections ----
// the object set · events · socket events · threads · processes · files ·
// waits and closing · modules · small services

namespace
{
using Clock = std::chrono::steady_clock;

struct KObj
{
  explicit KObj(uint32_t t) : tag(t) {}
  virtual ~KObj() = default;
  const uint32_t tag;
  std::atomic<int> refs{1};
};

// ---- the object set ----

// Every live kernel object, so that a handle is looked up before anything
// behind it is read.
std::mutex gObjectsLock;
std::unordered_set<const KObj*>& Objects()
{
  static auto* set = new std::unordered_set<const KObj*>;
  return *set;
}

HANDLE Register(KObj* o)
{
  std::lock_guard<std::mutex> lock(gObjectsLock);
  Objects().insert(o);
  return o;
}

// The object with a reference taken for the caller's use, or null.
KObj* Acquire(HANDLE h)
{
  std::lock_guard<std::mutex> lock(gObjectsLock);
  auto* o = static_cast<KObj*>(h);
  if (!h || !Objects().count(o)) return nullptr;
  o->refs.fetch_add(1);
  return o;
}

void Release(KObj* o);

struct Held
{
  explicit Held(HANDLE h) : obj(Acquire(h)) {}
  ~Held()
  {
    if (obj) Release(obj);
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  KObj* obj;
};

// ---- events ----

struct Event : KObj
{
  Event(bool manual, bool on) : KObj(WINL_KOBJ_EVENT), manualReset(manual), signalled(on) {}
  std::mutex lock;
  std::condition_variable cond;
  const bool manualReset;
  bool signalled;
};

DWORD WaitEvent(Event* e, DWORD ms)
{
  std::unique_lock<std::mutex> lock(e->lock);
  // The predicate form loops over spurious wake-ups; the deadline is on the
  // steady clock, so setting the wall clock does not stretch the wait.
  auto ready = [e] { return e->signalled; };
  if (ms == INFINITE)
    e->cond.wait(lock, ready);
  else if (!e->cond.wait_until(lock, Clock::now() + std::chrono::milliseconds(ms), ready))
    return WAIT_TIMEOUT;
  if (!e->manualReset) e->signalled = false;
  return WAIT_OBJECT_0;
}

// ---- socket events ----

struct SocketEvent : KObj
{
  SocketEvent() : KObj(WINL_KOBJ_SOCKET_EVENT) {}
  ~SocketEvent() override
  {
    if (readFd >= 0) close(readFd);
    if (writeFd >= 0) close(writeFd);
  }
  int readFd = -1;
  int writeFd = -1;
  bool autoReset = true;
};

bool Readable(int fd)
{
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

// Reads what waits, at most 128 bytes; the number read.
int Drain(SocketEvent* e)
{
  char buffer[128];
  const ssize_t n = read(e->readFd, buffer, sizeof buffer);
  return n > 0 ? static_cast<int>(n) : 0;
}

int PollTimeout(Clock::time_point deadline, bool forever)
{
  if (forever) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(std::min<long long>(left, 1 << 30)) : 0;
}

// poll, not select: select's fixed set cannot hold descriptors from 1024 on.
DWORD WaitSockets(const std::vector<SocketEvent*>& events, DWORD ms)
{
  const bool forever = ms == INFINITE;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : ms);
  std::vector<pollfd> fds(events.size());
  for (;;)
  {
    for (size_t i = 0; i < events.size(); ++i) fds[i] = {events[i]->readFd, POLLIN, 0};
    const int n = poll(fds.data(), fds.size(), PollTimeout(deadline, forever));
    if (n < 0 && errno != EINTR) return WAIT_FAILED;
    for (size_t i = 0; n > 0 && i < events.size(); ++i)
    {
      if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
      // Another waiter may have taken the byte of an auto-reset event
      // first: then this one is not signalled and the wait goes on.
      if (events[i]->autoReset && Drain(events[i]) == 0) continue;
      return WAIT_OBJECT_0 + static_cast<DWORD>(i);
    }
    if (!forever && Clock::now() >= deadline) return WAIT_TIMEOUT;
  }
}

// ---- threads ----

struct Thread : KObj
{
  Thread() : KObj(WINL_KOBJ_THREAD) {}
  LPTHREAD_START_ROUTINE proc = nullptr;
  void* parameter = nullptr;
  pthread_t thread{};
  std::mutex lock;
  std::condition_variable ended;
  bool finished = false;
  bool joined = false;  // joined or detached: never both, never twice
  DWORD result = 0;
  DWORD id = 0;
};

DWORD ThreadIdOf(pthread_t t)
{
  DWORD id = 0;
  std::memcpy(&id, &t, std::min(sizeof id, sizeof t));
  return id;
}

void* ThreadMain(void* arg)
{
  auto* t = static_cast<Thread*>(arg);
  const DWORD result = t->proc(t->parameter);
  {
    std::lock_guard<std::mutex> lock(t->lock);
    t->result = result;
    t->finished = true;
  }
  t->ended.notify_all();
  Release(t);
  return nullptr;
}

// Joins the thread unless that was done; the record's lock makes sure only
// one caller ever does.
bool JoinOnce(Thread* t)
{
  std::lock_guard<std::mutex> lock(t->lock);
  if (t->joined) return true;
  t->joined = true;
  return pthread_join(t->thread, nullptr) == 0;
}

DWORD WaitThread(Thread* t, DWORD ms)
{
  {
    std::unique_lock<std::mutex> lock(t->lock);
    auto done = [t] { return t->finished; };
    if (ms == INFINITE)
      t->ended.wait(lock, done);
    else if (!t->ended.wait_until(lock, Clock::now() + std::chrono::milliseconds(ms), done))
      return WAIT_TIMEOUT;
  }
  return JoinOnce(t) ? WAIT_OBJECT_0 : WAIT_FAILED;
}

// ---- processes ----

struct Process : KObj
{
  Process() : KObj(WINL_KOBJ_PROCESS) {}
  std::mutex lock;
  pid_t pid = -1;
  bool reaped = false;
};

bool TryReap(Process* p)
{
  std::lock_guard<std::mutex> lock(p->lock);
  if (p->reaped) return true;
  int status = 0;
  const pid_t r = waitpid(p->pid, &status, WNOHANG);
  if (r == p->pid || (r < 0 && errno == ECHILD)) p->reaped = true;
  return p->reaped;
}

DWORD WaitProcess(Process* p, DWORD ms)
{
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms == INFINITE ? 0 : ms);
  while (!TryReap(p))
  {
    if (ms != INFINITE && Clock::now() >= deadline) return WAIT_TIMEOUT;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return WAIT_OBJECT_0;
}

// A child nobody waits for any more is reaped by a small thread of its own,
// so it never stays a zombie.
void ReapLater(pid_t pid)
{
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
  }).detach();
}

pid_t Spawn(const char* path, const std::vector<const char*>& argv, bool searchPath)
{
  std::vector<char*> args;
  for (const char* a : argv) args.push_back(const_cast<char*>(a));
  args.push_back(nullptr);
  return SpawnClean(path, args.data(), searchPath);
}

// ---- files ----

struct File : KObj
{
  explicit File(FILE* f) : KObj(WINL_KOBJ_FILE), file(f) {}
  ~File() override { std::fclose(file); }
  std::mutex lock;
  FILE* const file;
};

// The file behind a handle, held for the caller's use; obj is null for
// anything else.
struct HeldFile : Held
{
  explicit HeldFile(HANDLE h) : Held(h)
  {
    if (obj && obj->tag != WINL_KOBJ_FILE)
    {
      Release(obj);
      obj = nullptr;
    }
  }
  File* file() const { return static_cast<File*>(obj); }
};

// stdio wants a seek between a write and a read on the same stream; one to
// where it stands is always allowed and costs little.
bool Settle(FILE* f) { return fseeko(f, 0, SEEK_CUR) == 0; }

// ---- waits and closing ----

void Release(KObj* o)
{
  {
    std::lock_guard<std::mutex> lock(gObjectsLock);
    if (o->refs.fetch_sub(1) != 1) return;
    Objects().erase(o);
  }
  if (o->tag == WINL_KOBJ_THREAD)
  {
    auto* t = static_cast<Thread*>(o);
    std::unique_lock<std::mutex> lock(t->lock);
    const bool self = pthread_equal(t->thread, pthread_self());
    if (!t->joined)
    {
      t->joined = true;
      // The thread drops the last reference as it ends: it cannot join
      // itself, so it lets the system collect it.
      if (self)
        pthread_detach(t->thread);
      else
      {
        lock.unlock();
        pthread_join(t->thread, nullptr);
        lock.lock();
      }
    }
  }
  else if (o->tag == WINL_KOBJ_PROCESS)
  {
    auto* p = static_cast<Process*>(o);
    if (!TryReap(p)) ReapLater(p->pid);
  }
  delete o;
}
}  // namespace

HANDLE CreateEvent(void*, BOOL manualReset, BOOL initiallySignalled)
{
  return Register(new Event(manualReset != FALSE, initiallySignalled != FALSE));
}

HANDLE CreateEventAsSocket(void*, BOOL manualReset, BOOL initiallySignalled)
{
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return nullptr;
  auto* e = new SocketEvent;
  e->readFd = fds[0];
  e->writeFd = fds[1];
  e->autoReset = manualReset == FALSE;
  fcntl(e->readFd, F_SETFL, fcntl(e->readFd, F_GETFL) | O_NONBLOCK);
  if (initiallySignalled)
  {
    const char zero = 0;
    if (write(e->writeFd, &zero, 1) != 1)
    {
      delete e;
      return nullptr;
    }
  }
  return Register(e);
}

BOOL SetEvent(HANDLE event)
{
  Held h(event);
  if (!h.obj) return FALSE;
  if (h.obj->tag == WINL_KOBJ_EVENT)
  {
    auto* e = static_cast<Event*>(h.obj);
    {
      std::lock_guard<std::mutex> lock(e->lock);
      e->signalled = true;
    }
    if (e->manualReset)
      e->cond.notify_all();
    else
      e->cond.notify_one();
    return TRUE;
  }
  if (h.obj->tag == WINL_KOBJ_SOCKET_EVENT)
  {
    auto* e = static_cast<SocketEvent*>(h.obj);
    const char zero = 0;
    if (!Readable(e->readFd) && write(e->writeFd, &zero, 1) != 1) return FALSE;
    return TRUE;
  }
  return FALSE;
}

BOOL ResetEvent(HANDLE event)
{
  Held h(event);
  if (!h.obj) return FALSE;
  if (h.obj->tag == WINL_KOBJ_EVENT)
  {
    auto* e = static_cast<Event*>(h.obj);
    std::lock_guard<std::mutex> lock(e->lock);
    e->signalled = false;
    return TRUE;
  }
  if (h.obj->tag == WINL_KOBJ_SOCKET_EVENT)
  {
    Drain(static_cast<SocketEvent*>(h.obj));
    return TRUE;
  }
  return FALSE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD ms)
{
  Held h(handle);
  if (!h.obj) return WAIT_FAILED;
  switch (h.obj->tag)
  {
    case WINL_KOBJ_EVENT: return WaitEvent(static_cast<Event*>(h.obj), ms);
    case WINL_KOBJ_SOCKET_EVENT: return WaitSockets({static_cast<SocketEvent*>(h.obj)}, ms);
    case WINL_KOBJ_THREAD: return WaitThread(static_cast<Thread*>(h.obj), ms);
    case WINL_KOBJ_PROCESS: return WaitProcess(static_cast<Process*>(h.obj), ms);
    default: return WAIT_FAILED;
  }
}

DWORD WaitForAnySocketObject(int count, const HANDLE* handles, DWORD ms)
{
  if (count <= 0 || !handles) return WAIT_FAILED;
  std::vector<std::unique_ptr<Held>> held;
  std::vector<SocketEvent*> events;
  for (int i = 0; i < count; ++i)
  {
    held.push_back(std::make_unique<Held>(handles[i]));
    if (!held.back()->obj || held.back()->obj->tag != WINL_KOBJ_SOCKET_EVENT) return WAIT_FAILED;
    events.push_back(static_cast<SocketEvent*>(held.back()->obj));
  }
  return WaitSockets(events, ms);
}

BOOL CloseHandle(HANDLE handle)
{
  KObj* o = nullptr;
  {
    std::lock_guard<std::mutex> lock(gObjectsLock);
    o = static_cast<KObj*>(handle);
    if (!handle || !Objects().count(o)) return FALSE;
  }
  Release(o);
  return TRUE;
}

HANDLE CreateThread(void*, size_t, LPTHREAD_START_ROUTINE proc, void* parameter, DWORD, DWORD* threadId)
{
  if (!proc) return nullptr;
  auto* t = new Thread;
  t->proc = proc;
  t->parameter = parameter;
  // One reference for the caller, one for the thread until it ends.
  t->refs.store(2);
  Register(t);
  // The thread reads its own handle field when it drops its reference: the
  // lock keeps it waiting until pthread_create has stored it.
  std::unique_lock<std::mutex> lock(t->lock);
  if (pthread_create(&t->thread, nullptr, ThreadMain, t) != 0)
  {
    lock.unlock();
    {
      std::lock_guard<std::mutex> objects(gObjectsLock);
      Objects().erase(t);
    }
    delete t;
    return nullptr;
  }
  t->id = ThreadIdOf(t->thread);
  if (threadId) *threadId = t->id;
  return t;
}

DWORD GetCurrentThreadId() { return ThreadIdOf(pthread_self()); }

BOOL SetThreadPriority(HANDLE thread, int priority)
{
  Held h(thread);
  if (!h.obj || h.obj->tag != WINL_KOBJ_THREAD) return FALSE;
  auto* t = static_cast<Thread*>(h.obj);
  std::lock_guard<std::mutex> lock(t->lock);
  if (t->finished || t->joined) return FALSE;
  int policy = 0;
  sched_param param{};
  if (pthread_getschedparam(t->thread, &policy, &param) != 0) return FALSE;
  param.sched_priority =
      std::clamp(priority + 31, sched_get_priority_min(policy), sched_get_priority_max(policy));
  return pthread_setschedparam(t->thread, policy, &param) == 0;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* code)
{
  Held h(thread);
  if (!h.obj || h.obj->tag != WINL_KOBJ_THREAD) return FALSE;
  auto* t = static_cast<Thread*>(h.obj);
  std::lock_guard<std::mutex> lock(t->lock);
  if (!t->finished) return FALSE;
  if (code) *code = t->result;
  return TRUE;
}

HANDLE WINL_CreateProcess(const char* path, int count, const char* const* arguments)
{
  if (!path || !*path || count < 0 || (count > 0 && !arguments)) return nullptr;
  std::vector<const char*> argv{path};
  for (int i = 0; i < count; ++i) argv.push_back(arguments[i] ? arguments[i] : "");
  const pid_t pid = Spawn(path, argv, false);
  if (pid < 0) return nullptr;
  auto* p = new Process;
  p->pid = pid;
  return Register(p);
}

HANDLE WINL_OpenFile(const char* path, const char* mode)
{
  if (!path || !*path || !mode || !*mode) return nullptr;
  FILE* f = std::fopen(path, mode);
  return f ? Register(new File(f)) : nullptr;
}

DWORD SetFilePointer(HANDLE file, LONG low, LONG* high, DWORD method)
{
  HeldFile h(file);
  if (!h.obj || method != FILE_BEGIN || (high && *high != 0)) return INVALID_SET_FILE_POINTER;
  std::lock_guard<std::mutex> lock(h.file()->lock);
  const off_t offset = static_cast<DWORD>(low);
  if (fseeko(h.file()->file, offset, SEEK_SET) != 0) return INVALID_SET_FILE_POINTER;
  return static_cast<DWORD>(offset);
}

DWORD WINL_GetFilePointer(HANDLE file)
{
  HeldFile h(file);
  if (!h.obj) return INVALID_SET_FILE_POINTER;
  std::lock_guard<std::mutex> lock(h.file()->lock);
  const off_t at = ftello(h.file()->file);
  return at < 0 || at > off_t{0xFFFFFFFF} ? INVALID_SET_FILE_POINTER : static_cast<DWORD>(at);
}

DWORD GetFileSize(HANDLE file, DWORD* high)
{
  if (high) *high = 0;
  HeldFile h(file);
  if (!h.obj) return INVALID_SET_FILE_POINTER;
  std::lock_guard<std::mutex> lock(h.file()->lock);
  FILE* f = h.file()->file;
  const off_t at = ftello(f);
  if (at < 0 || fseeko(f, 0, SEEK_END) != 0) return INVALID_SET_FILE_POINTER;
  const off_t end = ftello(f);
  if (fseeko(f, at, SEEK_SET) != 0 || end < 0) return INVALID_SET_FILE_POINTER;
  const auto size = static_cast<uint64_t>(end);
  if (high) *high = static_cast<DWORD>(size >> 32);
  return static_cast<DWORD>(size);
}

namespace
{
// The common part of a read and a write: the count out cleared, the handle
// checked and the stream readied; move(f) moves the bytes, tells how many
// went through and answers whether the call succeeded.
template <typename Move>
BOOL Transfer(HANDLE file, const void* bytes, DWORD count, DWORD* done, Move move)
{
  if (done) *done = 0;
  HeldFile h(file);
  if (!h.obj || (!bytes && count)) return FALSE;
  std::lock_guard<std::mutex> lock(h.file()->lock);
  FILE* f = h.file()->file;
  if (!Settle(f)) return FALSE;
  size_t n = 0;
  const bool ok = move(f, &n);
  if (done) *done = static_cast<DWORD>(n);
  return ok;
}
}  // namespace

BOOL WriteFile(HANDLE file, const void* bytes, DWORD count, DWORD* done, void*)
{
  return Transfer(file, bytes, count, done, [&](FILE* f, size_t* n) {
    *n = std::fwrite(bytes, 1, count, f);
    // Flushed now, so that what was written is in the file for anyone who
    // opens it, as a write on a file handle is.
    const bool flushed = std::fflush(f) == 0;
    return *n == count && flushed;
  });
}

BOOL ReadFile(HANDLE file, void* bytes, DWORD count, DWORD* done, void*)
{
  return Transfer(file, bytes, count, done, [&](FILE* f, size_t* n) {
    *n = std::fread(bytes, 1, count, f);
    return *n == count || !std::ferror(f);
  });
}

BOOL WINL_BringProcessToFront(HANDLE process)
{
  Held h(process);
  if (!h.obj || h.obj->tag != WINL_KOBJ_PROCESS) return FALSE;
  auto* p = static_cast<Process*>(h.obj);
  constexpr int kTries = 20;
  for (int i = 0; i < kTries; ++i)
  {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (TryReap(p)) return FALSE;
    if (PLAT_XRaiseWindowOfProcess(p->pid)) return TRUE;
  }
  return FALSE;
}

// ---- modules ----

namespace
{
struct Module
{
  void* library = nullptr;
  int refs = 1;
  WINL_ModuleEntry winlEntry = nullptr;
  WINL_ModuleEntry dllMain = nullptr;
  std::string path;
};

std::mutex gModulesLock;
// Sorted by library handle, searched by bisection.
std::vector<Module*>& Modules()
{
  static auto* list = new std::vector<Module*>;
  return *list;
}

std::vector<Module*>::iterator FindByLibrary(void* library)
{
  auto& list = Modules();
  return std::lower_bound(list.begin(), list.end(), library,
                          [](const Module* m, void* lib) { return m->library < lib; });
}

// The module of a handle, or null for one this layer did not hand out.
Module* FindModule(HMODULE module)
{
  auto* m = reinterpret_cast<Module*>(module);
  for (Module* known : Modules())
    if (known == m) return m;
  return nullptr;
}

void Unlink(Module* m)
{
  auto it = FindByLibrary(m->library);
  if (it != Modules().end() && *it == m) Modules().erase(it);
}

HMODULE HandleOf(Module* m) { return reinterpret_cast<HMODULE>(m); }
}  // namespace

HMODULE LoadLibraryGlobals(const char* path, bool globalSymbols)
{
  if (!path || !*path) return nullptr;
  struct stat st;
  // There are no bundles here: a folder is not a module.
  if (stat(path, &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;
  void* library = dlopen(path, RTLD_NOW | (globalSymbols ? RTLD_GLOBAL : RTLD_LOCAL));
  if (!library) return nullptr;
  std::unique_lock<std::mutex> lock(gModulesLock);
  auto it = FindByLibrary(library);
  if (it != Modules().end() && (*it)->library == library)
  {
    ++(*it)->refs;
    // The loader counts its own references: give back the one just taken.
    dlclose(library);
    return HandleOf(*it);
  }
  auto* m = new Module;
  m->library = library;
  m->path = path;
  m->winlEntry = reinterpret_cast<WINL_ModuleEntry>(dlsym(library, "WINL_dllMain"));
  m->dllMain = reinterpret_cast<WINL_ModuleEntry>(dlsym(library, "DllMain"));
  Modules().insert(it, m);
  if (!m->winlEntry) return HandleOf(m);
  bool ok = m->winlEntry(HandleOf(m), 1, nullptr) != 0;
  if (ok && m->dllMain && !m->dllMain(HandleOf(m), 1, nullptr))
  {
    m->winlEntry(HandleOf(m), 0, nullptr);
    ok = false;
  }
  if (ok) return HandleOf(m);
  Unlink(m);
  dlclose(library);
  delete m;
  return nullptr;
}

HMODULE LoadLibrary(const char* path) { return LoadLibraryGlobals(path, false); }

FARPROC GetProcAddress(HMODULE module, const char* name)
{
  if (!name) return nullptr;
  std::lock_guard<std::mutex> lock(gModulesLock);
  Module* m = FindModule(module);
  return m ? reinterpret_cast<FARPROC>(dlsym(m->library, name)) : nullptr;
}

BOOL FreeLibrary(HMODULE module)
{
  std::lock_guard<std::mutex> lock(gModulesLock);
  Module* m = FindModule(module);
  if (!m) return FALSE;
  if (--m->refs > 0) return TRUE;
  Unlink(m);
  if (m->winlEntry)
  {
    m->winlEntry(module, 0, nullptr);
    if (m->dllMain) m->dllMain(module, 0, nullptr);
  }
  dlclose(m->library);
  delete m;
  return TRUE;
}

DWORD GetModuleFileName(HMODULE module, char* buffer, DWORD size)
{
  std::string path;
  if (!module)
  {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return 0;
    path.assign(self, static_cast<size_t>(n));
  }
  else
  {
    std::lock_guard<std::mutex> lock(gModulesLock);
    Module* m = FindModule(module);
    if (!m) return 0;
    path = m->path;
  }
  if (!buffer || size == 0) return 0;
  const size_t n = std::min<size_t>(path.size(), size - 1);
  std::memcpy(buffer, path.data(), n);
  buffer[n] = 0;
  return static_cast<DWORD>(n);
}

const char* WINL_GetBundle(HMODULE module)
{
  std::string folder;
  if (!module)
    folder = PLAT_GetResourcesDir();
  else
  {
    char path[4096];
    if (!GetModuleFileName(module, path, sizeof path)) return nullptr;
    const std::string file(path);
    folder = file.substr(0, file.rfind('/') + 1);
    struct stat st{};
    if (stat((folder + "resources").c_str(), &st) == 0 && S_ISDIR(st.st_mode)) folder += "resources/";
  }
  if (folder.empty()) return nullptr;
  // Every answer is kept: callers hold the text without freeing it.
  static std::mutex lock;
  static std::set<std::string>* kept = new std::set<std::string>;
  std::lock_guard<std::mutex> hold(lock);
  return kept->insert(folder).first->c_str();
}

// ---- small services ----

void WINL_GenerateGUID(GUID* guid)
{
  if (!guid) return;
  uint8_t bytes[16] = {};
  size_t got = 0;
  while (got < sizeof bytes)
  {
    const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  std::memcpy(&guid->Data1, bytes, 4);
  std::memcpy(&guid->Data2, bytes + 4, 2);
  std::memcpy(&guid->Data3, bytes + 6, 2);
  std::memcpy(guid->Data4, bytes + 8, 8);
  guid->Data3 = static_cast<uint16_t>((guid->Data3 & 0x0FFF) | 0x4000);             // version 4
  guid->Data4[0] = static_cast<uint8_t>((guid->Data4[0] & 0x3F) | 0x80);            // the standard variant
}

namespace
{
bool StartsWithNoCase(const char* text, const char* prefix)
{
  return strncasecmp(text, prefix, std::strlen(prefix)) == 0;
}

bool OpenWithDesktop(const std::string& target)
{
  if (target.empty()) return false;
  const pid_t pid = Spawn("xdg-open", {"xdg-open", target.c_str()}, true);
  if (pid < 0) return false;
  ReapLater(pid);
  return true;
}

// "/select,\"/a/b c/d.txt\"" gives "/a/b c/d.txt".
std::string PathToReveal(const char* parameters)
{
  std::string path(parameters + std::strlen("/select,"));
  if (path.size() >= 2 && path.front() == '"')
  {
    const size_t close = path.find('"', 1);
    path = path.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  }
  return path;
}

// "/a/b c/d.txt" gives "/a/b c"; a path without a folder gives itself.
std::string FolderOf(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return path;
  return slash == 0 ? "/" : path.substr(0, slash);
}
}  // namespace

INT_PTR ShellExecute(HWND, const char*, const char* file, const char* parameters, const char*, int)
{
  constexpr INT_PTR kStarted = 33;
  constexpr INT_PTR kNotStarted = 2;
  if (!file || !*file) return kNotStarted;
  std::string target = file;
  const char* params = parameters ? parameters : "";
  if (StartsWithNoCase(file, "explorer.exe") && StartsWithNoCase(params, "/select,"))
  {
    // The file manager shows the file selected; without one, its folder.
    const std::string path = PathToReveal(params);
    if (!path.empty() && PLAT_BusShowItems({path})) return kStarted;
    target = FolderOf(path);
  }
  else if (StartsWithNoCase(file, "explorer.exe"))
    target = params;
  else if (strcasecmp(file, "notepad.exe") == 0 || strcasecmp(file, "notepad") == 0)
    return *params && PLAT_OpenAsPlainText(params) ? kStarted : kNotStarted;
  return OpenWithDesktop(target) ? kStarted : kNotStarted;
}
