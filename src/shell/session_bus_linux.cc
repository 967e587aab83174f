#include "shell/session_bus_linux.h"

#include <cstdlib>
#include <memory>

namespace spellchecker {
namespace {

struct VariantUnref {
  void operator()(GVariant* variant) const { Gio().variant_unref(variant); }
};
struct ErrorFree {
  void operator()(GError* error) const { Gio().error_free(error); }
};
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

// A main context of the call's own, the thread default while the call runs, so every completion
// GDBus posts for the call is dispatched here and nowhere else. GDBus does its I/O on GLib's own
// worker threads; this thread only waits on the context.
class CallContext {
 public:
  CallContext() : context_(Gio().main_context_new()) {
    Gio().main_context_push_thread_default(context_);
  }
  CallContext(const CallContext&) = delete;
  CallContext& operator=(const CallContext&) = delete;
  ~CallContext() {
    Gio().main_context_pop_thread_default(context_);
    Gio().main_context_unref(context_);
  }
  GMainContext* get() const { return context_; }

 private:
  GMainContext* context_;
};

// One asynchronous operation's result, filled in by its callback on the call's context. A
// callback that never got dispatched before the call gave up is never dispatched at all: nothing
// iterates the context afterwards, so the operation may live on the caller's stack.
struct Pending {
  ObjectPtr<GAsyncResult> result;
};

void KeepResult(GObject*, GAsyncResult* result, gpointer data) {
  static_cast<Pending*>(data)->result.reset(static_cast<GAsyncResult*>(Gio().object_ref(result)));
}

gboolean MarkExpired(gpointer data) {
  *static_cast<bool*>(data) = true;
  return G_SOURCE_REMOVE;
}

// Dispatches the context's events until `done()` holds or the monotonic clock reaches
// `deadline` (microseconds).
template <typename Done>
bool WaitUntil(GMainContext* context, Done done, gint64 deadline) {
  bool expired = false;
  const gint64 now = Gio().get_monotonic_time();
  if (now >= deadline) return done();
  GSource* timer = Gio().timeout_source_new(static_cast<guint>((deadline - now + 999) / 1000));
  Gio().source_set_callback(timer, MarkExpired, &expired, nullptr);
  Gio().source_attach(timer, context);
  while (!done() && !expired) Gio().main_context_iteration(context, TRUE);
  Gio().source_destroy(timer);
  Gio().source_unref(timer);
  return done();
}

gint64 GraceDeadline() { return Gio().get_monotonic_time() + kSessionBusGrace.count() * 1000; }

// Waits until the deadline; then cancels and grants the operation a short grace to wind up.
bool Await(GMainContext* context, const Pending& pending, GCancellable* cancellable,
           gint64 deadline) {
  const auto completed = [&pending] { return pending.result != nullptr; };
  if (WaitUntil(context, completed, deadline)) return true;
  Gio().cancellable_cancel(cancellable);
  return WaitUntil(context, completed, GraceDeadline());
}

// Whether the connection's "closed" signal has been delivered. GDBus queues it on the call's
// context from its worker thread once the connection's read ends, which may come after the
// close itself has completed; queued on a context nobody iterates any more, it would keep the
// connection and the context (and the context's wake-up descriptor) alive for good.
class ClosedWatch {
 public:
  explicit ClosedWatch(GDBusConnection* connection)
      : connection_(connection),
        handler_(Gio().signal_connect_data(connection, "closed", G_CALLBACK(OnClosed), &closed_,
                                           nullptr, static_cast<GConnectFlags>(0))) {}
  ClosedWatch(const ClosedWatch&) = delete;
  ClosedWatch& operator=(const ClosedWatch&) = delete;
  ~ClosedWatch() { Gio().signal_handler_disconnect(connection_, handler_); }
  bool closed() const { return closed_; }

 private:
  static void OnClosed(GDBusConnection*, gboolean, GError*, gpointer data) {
    *static_cast<bool*>(data) = true;
  }
  GDBusConnection* connection_;
  bool closed_ = false;
  gulong handler_;
};

// Closes the connection and waits, within the grace, until GDBus has delivered everything it
// owes the call's context: the close's completion and the "closed" signal, in either order.
void Close(GMainContext* context, GDBusConnection* connection, const ClosedWatch& watch) {
  Pending closing;
  Gio().dbus_connection_close(connection, nullptr, KeepResult, &closing);
  WaitUntil(
      context, [&] { return closing.result != nullptr && watch.closed(); }, GraceDeadline());
  if (closing.result) Gio().dbus_connection_close_finish(connection, closing.result.get(), nullptr);
}

// Makes one call and waits for its reply until the deadline. Answers whether it replied
// without an error.
// `calling` must outlive every later iteration of the context.
bool Call(GMainContext* context, GDBusConnection* connection, const SessionBusCall& call,
          gint64 deadline, GCancellable* cancellable, Pending& calling) {
  const gint64 remaining_ms = (deadline - Gio().get_monotonic_time()) / 1000;
  Gio().dbus_connection_call_with_unix_fd_list(
      connection, call.destination, call.object_path, call.interface_name, call.method,
      call.parameters, nullptr, G_DBUS_CALL_FLAGS_NONE,
      static_cast<gint>(remaining_ms > 1 ? remaining_ms : 1), call.fds, cancellable, KeepResult,
      &calling);
  if (!Await(context, calling, cancellable, deadline)) return false;
  GError* error = nullptr;
  VariantPtr reply(Gio().dbus_connection_call_with_unix_fd_list_finish(
      connection, nullptr, calling.result.get(), &error));
  ErrorPtr call_error(error);
  return reply != nullptr;
}

bool IsConnectableTransport(const std::string& entry) {
  const std::string transport = entry.substr(0, entry.find(':'));
  return transport == "unix" || transport == "tcp" || transport == "nonce-tcp";
}

}  // namespace

std::string SessionBusAddress() {
  const char* configured = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (configured == nullptr || *configured == '\0') {
    const char* runtime_dir = std::getenv("XDG_RUNTIME_DIR");
    if (runtime_dir == nullptr || *runtime_dir == '\0') return {};
    const std::string socket_path = std::string(runtime_dir) + "/bus";
    gchar* escaped = Gio().dbus_address_escape_value(socket_path.c_str());
    std::string address = std::string("unix:path=") + escaped;
    Gio().free(escaped);
    return address;
  }
  const std::string list(configured);
  std::string address;
  for (std::string::size_type start = 0; start <= list.size();) {
    std::string::size_type end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    const std::string entry = list.substr(start, end - start);
    if (!entry.empty() && IsConnectableTransport(entry)) {
      if (!address.empty()) address += ';';
      address += entry;
    }
    start = end + 1;
  }
  return address;
}

bool CallSessionBusMethod(const SessionBusCall& call) {
  VariantPtr parameters(Gio().variant_ref_sink(call.parameters));
  const std::string address = SessionBusAddress();
  if (address.empty()) return false;
  const gint64 deadline = Gio().get_monotonic_time() + kSessionBusBudget.count() * 1000;

  CallContext context;
  ObjectPtr<GCancellable> cancellable(Gio().cancellable_new());
  // GDBus's own greeting of the bus (G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION) waits for
  // the bus's answer without a timeout and cannot be cancelled, so the greeting is sent here.
  Pending connecting;
  Gio().dbus_connection_new_for_address(address.c_str(),
                                        G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT, nullptr,
                                        cancellable.get(), KeepResult, &connecting);
  if (!Await(context.get(), connecting, cancellable.get(), deadline)) return false;
  GError* error = nullptr;
  ObjectPtr<GDBusConnection> connection(
      Gio().dbus_connection_new_for_address_finish(connecting.result.get(), &error));
  ErrorPtr connect_error(error);
  if (!connection) return false;
  const ClosedWatch watch(connection.get());
  const SessionBusCall greeting = {"org.freedesktop.DBus",
                                   "/org/freedesktop/DBus",
                                   "org.freedesktop.DBus",
                                   "Hello",
                                   nullptr,
                                   nullptr};
  Pending greeted;
  Pending called;
  const bool replied =
      Call(context.get(), connection.get(), greeting, deadline, cancellable.get(), greeted) &&
      Call(context.get(), connection.get(), call, deadline, cancellable.get(), called);
  Close(context.get(), connection.get(), watch);
  return replied;
}

}  // namespace spellchecker
