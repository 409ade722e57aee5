// The local HTTPS server that plays the program database (dbserver.py),
// started once per test program with a certificate made for the run.
#pragma once

#include <string>

class DatabaseServer
{
public:
  // Starts the server, or returns the one already running; null when
  // python3 or openssl are missing.
  static DatabaseServer* Get();

  const std::string& Host() const { return mHost; }     // "127.0.0.1:port"
  const std::string& CaFile() const { return mCaFile; }
  // Replaces the server's behaviour (a JSON object) and empties its log.
  void Control(const std::string& json);
  // Every request since the last Control, as a JSON array.
  std::string Log();

private:
  std::string mHost;
  std::string mCaFile;
};
