// For tests of the session-bus calls: a private session bus of the test's
// own, and stand-in services on it that record every call they receive and
// answer it as told.
#pragma once

#include <memory>
#include <string>
#include <vector>

// Starts a private bus daemon and points the process's session bus address
// at it; the address before is restored and the daemon stopped on
// destruction. Ok() is false when no daemon could start.
class PLAT_TestSessionBus
{
public:
  PLAT_TestSessionBus();
  ~PLAT_TestSessionBus();
  PLAT_TestSessionBus(const PLAT_TestSessionBus&) = delete;
  PLAT_TestSessionBus& operator=(const PLAT_TestSessionBus&) = delete;

  bool Ok() const { return mPid > 0 && !mAddress.empty(); }

private:
  int mPid = -1;
  std::string mAddress;
  std::string mSaved;
  bool mHadSaved = false;
};

// A service that owns the name on the session bus and serves the object
// path with the one interface described (its introspection text). Each
// call is recorded as the method's name followed by its arguments in
// GVariant text, e.g. "Inhibit('app', 'why')"; every method with results
// answers the reply given in GVariant text ("(uint32 7,)"), the others an
// empty one. Served on a thread of its own until destruction.
class PLAT_TestBusService
{
public:
  PLAT_TestBusService(const char* name, const char* path, const char* introspection, const char* reply);
  ~PLAT_TestBusService();
  PLAT_TestBusService(const PLAT_TestBusService&) = delete;
  PLAT_TestBusService& operator=(const PLAT_TestBusService&) = delete;

  // True once the name is owned.
  bool Ok() const;
  // The calls received so far, oldest first, e.g. "UnInhibit(uint32 7,)".
  std::vector<std::string> Calls() const;

  struct State;

private:
  std::unique_ptr<State> mState;
};
