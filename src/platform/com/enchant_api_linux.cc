#include "platform/com/enchant_api_linux.h"

#include "host/shared_library_linux.h"

namespace spellchecker {
namespace com_layer {
namespace {

const EnchantApi* Bind() {
  static const SharedLibrary library("libenchant-2.so.2");
  static EnchantApi api;
  const bool bound = library.Bind("enchant_broker_init", &api.broker_init) &&
                     library.Bind("enchant_broker_free", &api.broker_free) &&
                     library.Bind("enchant_broker_list_dicts", &api.broker_list_dicts) &&
                     library.Bind("enchant_broker_set_ordering", &api.broker_set_ordering) &&
                     library.Bind("enchant_broker_request_dict", &api.broker_request_dict) &&
                     library.Bind("enchant_broker_free_dict", &api.broker_free_dict) &&
                     library.Bind("enchant_dict_describe", &api.dict_describe) &&
                     library.Bind("enchant_dict_is_word_character", &api.dict_is_word_character) &&
                     library.Bind("enchant_dict_check", &api.dict_check) &&
                     library.Bind("enchant_dict_suggest", &api.dict_suggest) &&
                     library.Bind("enchant_dict_free_string_list", &api.dict_free_string_list) &&
                     library.Bind("enchant_dict_add", &api.dict_add) &&
                     library.Bind("enchant_dict_add_to_session", &api.dict_add_to_session);
  return bound ? &api : nullptr;
}

}  // namespace

const EnchantApi* OpenEnchant() {
  static const EnchantApi* const api = Bind();
  return api;
}

}  // namespace com_layer
}  // namespace spellchecker
