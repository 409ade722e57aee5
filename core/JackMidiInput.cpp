#include "core/JackMidiInput.h"

#include "core/JackServerWatch.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <thread>

namespace
{
jack_client_t* Client(void* client) { return static_cast<jack_client_t*>(client); }
jack_port_t* Port(void* port) { return static_cast<jack_port_t*>(port); }
}  // namespace

JackMidiInput::~JackMidiInput()
{
  jack_client_t* client = Client(mClient.exchange(nullptr));
  if (!client || Lost()) return;
  jack_deactivate(client);
  jack_client_close(client);
}

bool JackMidiInput::Open(const char* clientName)
{
  JackServerWatch::RouteLibraryMessages();
  jack_status_t status{};
  jack_client_t* client = jack_client_open(clientName, JackNoStartServer, &status);
  if (!client) return false;
  jack_on_shutdown(client, &JackMidiInput::OnShutdown, this);
  jack_set_process_callback(client, &JackMidiInput::OnProcess, this);
  if (jack_activate(client) != 0)
  {
    jack_client_close(client);
    return false;
  }
  mClientName = jack_get_client_name(client);
  mClient = client;
  return true;
}

std::vector<std::string> JackMidiInput::Sources() const
{
  std::vector<std::string> names;
  jack_client_t* client = Client(mClient.load());
  if (!client || Lost()) return names;
  if (const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput))
  {
    for (const char** port = ports; *port; ++port) names.emplace_back(*port);
    jack_free(ports);
  }
  return names;
}

bool JackMidiInput::Register(const char* portName)
{
  ClosePort();
  jack_client_t* client = Client(mClient.load());
  if (!client || Lost()) return false;
  jack_port_t* port = jack_port_register(client, portName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  if (!port) return false;
  mPort = port;
  return true;
}

bool JackMidiInput::OpenPort(const std::string& source, const char* portName)
{
  if (!Register(portName)) return false;
  jack_client_t* client = Client(mClient.load());
  if (jack_connect(client, source.c_str(), jack_port_name(Port(mPort.load()))) == 0) return true;
  ClosePort();
  return false;
}

bool JackMidiInput::OpenVirtualPort(const char* portName)
{
  return Register(portName);
}

void JackMidiInput::ClosePort()
{
  jack_port_t* port = Port(mPort.exchange(nullptr));
  if (!port) return;
  // A cycle that took the port before it was taken away ends first.
  while (mInCycle.load()) std::this_thread::yield();
  jack_client_t* client = Client(mClient.load());
  if (client && !Lost()) jack_port_unregister(client, port);
}

void JackMidiInput::Abandon()
{
  mPort = nullptr;
  mClient = nullptr;
}

int JackMidiInput::OnProcess(uint32_t frames, void* self)
{
  auto* input = static_cast<JackMidiInput*>(self);
  input->mInCycle.store(true);
  if (jack_port_t* port = Port(input->mPort.load()))
  {
    void* buffer = jack_port_get_buffer(port, frames);
    const uint32_t count = buffer ? jack_midi_get_event_count(buffer) : 0;
    for (uint32_t i = 0; i < count; ++i)
    {
      jack_midi_event_t event;
      if (jack_midi_event_get(&event, buffer, i) == 0 && event.size > 0)
        input->mReceiver(event.buffer, event.size, input->mUser);
    }
  }
  input->mInCycle.store(false);
  return 0;
}

void JackMidiInput::OnShutdown(void* self)
{
  static_cast<JackMidiInput*>(self)->mLost.store(true, std::memory_order_release);
}
