// Binding controllers and process variables to catalogue tags. The binding
// lives in each item's own fields: a code naming the kind of tag and the
// entry's index in its table, so the exchange never searches by name.
#pragma once

#include <cstdint>

#include "catalogue/tag_catalogue.h"
#include "catalogue/tag_index.h"
#include "record/dcs_data.h"
#include "record/fields.h"

// Where an item binds: the code of its table's kind and the entry's index.
struct Binding {
  std::int32_t code;
  std::int32_t index;
};

// The first entry with the tag's name and the data set `ds`, in the tables a
// controller (or a process variable) exchanges with, searched entry by entry
// in the catalogue's order. The binding's way when the index cannot be built.
bool find_binding_linear(const TagCatalogue& catalogue, bool controller, const char* tag,
                         std::int32_t ds, Binding& found);

// The same answer through an index built over the same catalogue.
bool find_binding_indexed(const TagIndex& index, const TagCatalogue& catalogue, bool controller,
                          const char* tag, std::int32_t ds, Binding& found);

// Binds every controller and process variable of lists that carry the
// driver's fields, through an index from the host's heap released before
// returning; without its memory, by the entry-by-entry search, with the same
// result. An item that matches nothing keeps its slots.
void bind_lists(DCSData* data, const TagCatalogue& catalogue);
