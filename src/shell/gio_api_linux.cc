#include "shell/gio_api_linux.h"

#include "host/shared_library_linux.h"

namespace spellchecker {
namespace {

const GioApi* Bind() {
  static const SharedLibrary library("libgio-2.0.so.0");
  static GioApi api;
  const bool bound =
      library.Bind("g_free", &api.free) && library.Bind("g_error_free", &api.error_free) &&
      library.Bind("g_get_monotonic_time", &api.get_monotonic_time) &&
      library.Bind("g_main_context_new", &api.main_context_new) &&
      library.Bind("g_main_context_unref", &api.main_context_unref) &&
      library.Bind("g_main_context_push_thread_default", &api.main_context_push_thread_default) &&
      library.Bind("g_main_context_pop_thread_default", &api.main_context_pop_thread_default) &&
      library.Bind("g_main_context_iteration", &api.main_context_iteration) &&
      library.Bind("g_timeout_source_new", &api.timeout_source_new) &&
      library.Bind("g_source_set_callback", &api.source_set_callback) &&
      library.Bind("g_source_attach", &api.source_attach) &&
      library.Bind("g_source_destroy", &api.source_destroy) &&
      library.Bind("g_source_unref", &api.source_unref) &&
      library.Bind("g_variant_new", &api.variant_new) &&
      library.Bind("g_variant_new_boolean", &api.variant_new_boolean) &&
      library.Bind("g_variant_ref_sink", &api.variant_ref_sink) &&
      library.Bind("g_variant_unref", &api.variant_unref) &&
      library.Bind("g_variant_builder_init", &api.variant_builder_init) &&
      library.Bind("g_variant_builder_add", &api.variant_builder_add) &&
      library.Bind("g_object_ref", &api.object_ref) &&
      library.Bind("g_object_unref", &api.object_unref) &&
      library.Bind("g_signal_connect_data", &api.signal_connect_data) &&
      library.Bind("g_signal_handler_disconnect", &api.signal_handler_disconnect) &&
      library.Bind("g_cancellable_new", &api.cancellable_new) &&
      library.Bind("g_cancellable_cancel", &api.cancellable_cancel) &&
      library.Bind("g_dbus_address_escape_value", &api.dbus_address_escape_value) &&
      library.Bind("g_dbus_connection_new_for_address", &api.dbus_connection_new_for_address) &&
      library.Bind("g_dbus_connection_new_for_address_finish",
                   &api.dbus_connection_new_for_address_finish) &&
      library.Bind("g_dbus_connection_call_with_unix_fd_list",
                   &api.dbus_connection_call_with_unix_fd_list) &&
      library.Bind("g_dbus_connection_call_with_unix_fd_list_finish",
                   &api.dbus_connection_call_with_unix_fd_list_finish) &&
      library.Bind("g_dbus_connection_close", &api.dbus_connection_close) &&
      library.Bind("g_dbus_connection_close_finish", &api.dbus_connection_close_finish) &&
      library.Bind("g_unix_fd_list_new", &api.unix_fd_list_new) &&
      library.Bind("g_unix_fd_list_append", &api.unix_fd_list_append);
  return bound ? &api : nullptr;
}

}  // namespace

const GioApi* OpenGio() {
  static const GioApi* const api = Bind();
  return api;
}

}  // namespace spellchecker
