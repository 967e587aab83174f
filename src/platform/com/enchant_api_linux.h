#pragma once

#include <enchant.h>

namespace spellchecker {
namespace com_layer {

// The Enchant 2 functions that the spelling service calls, taken from libenchant-2.so.2 at run
// time: where Enchant is missing the module still loads, and the service counts as unavailable.
struct EnchantApi {
  decltype(&enchant_broker_init) broker_init;
  decltype(&enchant_broker_free) broker_free;
  decltype(&enchant_broker_list_dicts) broker_list_dicts;
  decltype(&enchant_broker_set_ordering) broker_set_ordering;
  decltype(&enchant_broker_request_dict) broker_request_dict;
  decltype(&enchant_broker_free_dict) broker_free_dict;
  decltype(&enchant_dict_describe) dict_describe;
  decltype(&enchant_dict_is_word_character) dict_is_word_character;
  decltype(&enchant_dict_check) dict_check;
  decltype(&enchant_dict_suggest) dict_suggest;
  decltype(&enchant_dict_free_string_list) dict_free_string_list;
  decltype(&enchant_dict_add) dict_add;
  decltype(&enchant_dict_add_to_session) dict_add_to_session;
};

// Opened on the first call, then the same for the life of the process; null when the library or
// any of the functions is missing.
const EnchantApi* OpenEnchant();

}  // namespace com_layer
}  // namespace spellchecker
