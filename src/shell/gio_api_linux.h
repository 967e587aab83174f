#pragma once

#include <gio/gio.h>
#include <gio/gunixfdlist.h>

namespace spellchecker {

// The GLib, GObject and GIO functions that the shell calls use, taken from libgio-2.0.so.0 (and
// the libraries it depends on) at run time: where GIO is missing the module still loads, and
// the shell calls do nothing.
struct GioApi {
  // GLib
  decltype(&g_free) free;
  decltype(&g_error_free) error_free;
  decltype(&g_get_monotonic_time) get_monotonic_time;
  decltype(&g_main_context_new) main_context_new;
  decltype(&g_main_context_unref) main_context_unref;
  decltype(&g_main_context_push_thread_default) main_context_push_thread_default;
  decltype(&g_main_context_pop_thread_default) main_context_pop_thread_default;
  decltype(&g_main_context_iteration) main_context_iteration;
  decltype(&g_timeout_source_new) timeout_source_new;
  decltype(&g_source_set_callback) source_set_callback;
  decltype(&g_source_attach) source_attach;
  decltype(&g_source_destroy) source_destroy;
  decltype(&g_source_unref) source_unref;
  decltype(&g_variant_new) variant_new;
  decltype(&g_variant_new_boolean) variant_new_boolean;
  decltype(&g_variant_ref_sink) variant_ref_sink;
  decltype(&g_variant_unref) variant_unref;
  decltype(&g_variant_builder_init) variant_builder_init;
  decltype(&g_variant_builder_add) variant_builder_add;
  // GObject
  decltype(&g_object_ref) object_ref;
  decltype(&g_object_unref) object_unref;
  decltype(&g_signal_connect_data) signal_connect_data;
  decltype(&g_signal_handler_disconnect) signal_handler_disconnect;
  // GIO
  decltype(&g_cancellable_new) cancellable_new;
  decltype(&g_cancellable_cancel) cancellable_cancel;
  decltype(&g_dbus_address_escape_value) dbus_address_escape_value;
  decltype(&g_dbus_connection_new_for_address) dbus_connection_new_for_address;
  decltype(&g_dbus_connection_new_for_address_finish) dbus_connection_new_for_address_finish;
  decltype(&g_dbus_connection_call_with_unix_fd_list) dbus_connection_call_with_unix_fd_list;
  decltype(&g_dbus_connection_call_with_unix_fd_list_finish)
      dbus_connection_call_with_unix_fd_list_finish;
  decltype(&g_dbus_connection_close) dbus_connection_close;
  decltype(&g_dbus_connection_close_finish) dbus_connection_close_finish;
  decltype(&g_unix_fd_list_new) unix_fd_list_new;
  decltype(&g_unix_fd_list_append) unix_fd_list_append;
};

// Opened on the first call, then the same for the life of the process; null when the library or
// any of the functions is missing.
const GioApi* OpenGio();

// The opened functions, for code that runs only once OpenGio() has answered non-null.
inline const GioApi& Gio() { return *OpenGio(); }

}  // namespace spellchecker
