#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "shell/gio_api_linux.h"

// Everything here calls GIO, opened at run time: use it only once OpenGio() has answered
// non-null.

namespace spellchecker {

// Owns one reference to a GObject.
struct ObjectUnref {
  void operator()(gpointer object) const { Gio().object_unref(object); }
};
template <typename T>
using ObjectPtr = std::unique_ptr<T, ObjectUnref>;

// Longest time one call holds the calling thread for connecting, authenticating and waiting for
// the reply. A service started on demand answers within a few hundred milliseconds.
inline constexpr std::chrono::milliseconds kSessionBusBudget{1500};
// Once the budget is spent, the longest wait for GLib to wind up the cancelled operations.
inline constexpr std::chrono::milliseconds kSessionBusGrace{250};

// The session bus address as the environment gives it now: DBUS_SESSION_BUS_ADDRESS, else
// unix:path=$XDG_RUNTIME_DIR/bus. Only unix, tcp and nonce-tcp entries are kept, since any other
// transport (autolaunch: above all) would start programs. Empty when nothing is left.
std::string SessionBusAddress();

struct SessionBusCall {
  const char* destination;
  const char* object_path;
  const char* interface_name;
  const char* method;
  GVariant* parameters;  // a tuple; a floating reference is consumed
  GUnixFDList* fds;      // may be null
};

// Calls a method over a private connection to the session bus, closed again before returning,
// and waits for the reply on the calling thread, within kSessionBusBudget plus kSessionBusGrace.
// Prints nothing. Answers whether the method replied without an error.
bool CallSessionBusMethod(const SessionBusCall& call);

}  // namespace spellchecker
