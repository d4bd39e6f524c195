// A DCSData record built the way the host builds one: controllers and points
// whose Fields hold one slot per declared field, seeded from the driver's
// default arrays. The record and its arrays sit at odd addresses, so any
// access that assumes alignment shows under the sanitizers.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "record/dcs_data.h"

class HostRecord {
 public:
  HostRecord();
  HostRecord(const HostRecord&) = delete;
  HostRecord& operator=(const HostRecord&) = delete;

  DCSData* get() { return data_; }
  DCSData& data() { return *data_; }

  // Adds an item with its driver fields; a null tag leaves the TAG slot null.
  int add_controller(const char* tag, std::int32_t ds, std::int16_t active = 1);
  int add_point(const char* tag, std::int32_t ds, double value = 0.0, std::int16_t active = 1);
  int add_import(const char* tag, std::int32_t ds);

  DCSCtrl& ctrl(int i);
  DCSPoint& pv(int i);
  DCSPoint& import(int i);
  DCSValue& ctrl_slot(int i, int k) { return ctrl(i).Fields[k]; }
  DCSValue& pv_slot(int i, int k) { return pv(i).Fields[k]; }

  // The host's own copy of a text, kept as long as the record.
  char* text(const char* value);
  void set_ctrl_tag(int i, const char* tag);
  void set_pv_tag(int i, const char* tag);

  // True when no byte beyond the driver's part of the record was written.
  bool tail_untouched() const;

 private:
  DCSValue* new_fields(std::int32_t def_count, const DCSValue* defaults, const char* tag,
                       std::int32_t ds);
  static void grow(std::vector<unsigned char>& bytes, std::size_t item_size, std::size_t count);

  std::vector<unsigned char> record_bytes_;
  DCSData* data_;
  std::vector<unsigned char> ctrl_bytes_;
  std::vector<unsigned char> pv_bytes_;
  std::vector<unsigned char> import_bytes_;
  std::deque<std::vector<unsigned char>> field_blocks_;
  std::deque<std::string> texts_;
};
