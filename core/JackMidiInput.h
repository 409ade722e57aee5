// JackMidiInput: a MIDI input read straight off the JACK server, one client
// of the editor's own with at most one port.
//
// The MIDI library's JACK input glues every event that follows an
// unfinished SysEx onto it until one ends in F7: one cut message (a cable
// pulled, a bridge that cuts a dump short) silences the input, and the
// held bytes grow without end. Here each event of the port's buffer is
// handed on as it is, and the input's cleaner (MidiInputCleaner) reads the
// bytes as the wire would: a status byte ends an unfinished SysEx, which is
// held only up to a bounded size.
//
// Threads: Open, the port operations, Abandon and the destructor on one
// thread (the main thread or a making thread). The receiver runs inside the
// server's cycle and must neither block nor allocate.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class JackMidiInput
{
public:
  // Called in the server's cycle with each event's bytes, in order.
  using Receiver = void (*)(const uint8_t* bytes, size_t size, void* user);

  JackMidiInput(Receiver receiver, void* user) : mReceiver(receiver), mUser(user) {}
  // Closes the client, unless it was abandoned or its server went.
  ~JackMidiInput();
  JackMidiInput(const JackMidiInput&) = delete;
  JackMidiInput& operator=(const JackMidiInput&) = delete;

  // Opens the client (never starting a server) and joins the cycles; false
  // when no server answers.
  bool Open(const char* clientName);
  // The name the server gave the client ("-01" and the like added where the
  // asked one was taken); empty before Open.
  const std::string& ClientName() const { return mClientName; }
  // The full names of the server's MIDI ports that an input can be fed by
  // (every program's outputs, this one's too), in the server's order.
  std::vector<std::string> Sources() const;
  // The client's port, named portName, fed by the server's port source
  // ("client:port"); the port before it is closed first. False when the
  // port cannot be made or connected.
  bool OpenPort(const std::string& source, const char* portName);
  // The client's port, named portName, that other programs connect to.
  bool OpenVirtualPort(const char* portName);
  // Removes the port; nothing more is received.
  void ClosePort();
  bool PortOpen() const { return mPort.load() != nullptr; }
  // For a server that went or does not answer: the client is let go of
  // unclosed, since closing would reach into what the server took away.
  void Abandon();
  // The server dropped the client.
  bool Lost() const { return mLost.load(std::memory_order_acquire); }

private:
  static int OnProcess(uint32_t frames, void* self);
  static void OnShutdown(void* self);
  bool Register(const char* portName);

  const Receiver mReceiver;
  void* const mUser;
  std::atomic<void*> mClient{nullptr};  // jack_client_t
  std::atomic<void*> mPort{nullptr};    // jack_port_t
  // Set while a cycle reads the port: ClosePort waits for it to end before
  // the port goes.
  std::atomic<bool> mInCycle{false};
  std::atomic<bool> mLost{false};
  std::string mClientName;
};
