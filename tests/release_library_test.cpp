// The release library as the host meets it: loaded by name at run time,
// with the nine entry points and nothing else of the driver exported.
#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "corva/corva_control.h"
#include "driver/entry_point_types.h"

namespace {

// Names of the global symbols the library defines in its dynamic table.
template <typename Ehdr, typename Shdr, typename Sym>
std::set<std::string> defined_dynamic_symbols(const std::vector<char>& image) {
  std::set<std::string> names;
  Ehdr header;
  std::memcpy(&header, image.data(), sizeof header);
  std::vector<Shdr> sections(header.e_shnum);
  std::memcpy(sections.data(), image.data() + header.e_shoff, sizeof(Shdr) * header.e_shnum);
  for (const Shdr& section : sections) {
    if (section.sh_type != SHT_DYNSYM) continue;
    const char* strings = image.data() + sections[section.sh_link].sh_offset;
    for (std::size_t offset = 0; offset < section.sh_size; offset += sizeof(Sym)) {
      Sym symbol;
      std::memcpy(&symbol, image.data() + section.sh_offset + offset, sizeof symbol);
      unsigned binding = symbol.st_info >> 4;
      if (symbol.st_shndx == SHN_UNDEF || binding == STB_LOCAL) continue;
      names.insert(strings + symbol.st_name);
    }
  }
  return names;
}

std::set<std::string> exported_names(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> image{std::istreambuf_iterator<char>(file), {}};
  if (image.size() < EI_NIDENT || std::memcmp(image.data(), ELFMAG, SELFMAG) != 0) return {};
  if (image[EI_CLASS] == ELFCLASS32) {
    return defined_dynamic_symbols<Elf32_Ehdr, Elf32_Shdr, Elf32_Sym>(image);
  }
  return defined_dynamic_symbols<Elf64_Ehdr, Elf64_Shdr, Elf64_Sym>(image);
}

TEST(ReleaseLibrary, ExportsExactlyTheNineEntryPoints) {
  std::set<std::string> expected;
#define DCS_NAME(name) expected.insert(#name);
  DCS_ENTRY_POINTS(DCS_NAME)
#undef DCS_NAME
  EXPECT_EQ(exported_names(DRAVIK32_LIBRARY), expected);
}

TEST(ReleaseLibrary, LoadsByNameAndResolvesEveryEntryPoint) {
  void* library = dlopen(DRAVIK32_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
#define DCS_RESOLVE(name)                                                   \
  auto* name##Entry = reinterpret_cast<name##Type*>(dlsym(library, #name)); \
  EXPECT_NE(name##Entry, nullptr) << #name;
  DCS_ENTRY_POINTS(DCS_RESOLVE)
#undef DCS_RESOLVE
  ASSERT_NE(DCSSimulateEntry, nullptr);
  ASSERT_NE(DCSResetEntry, nullptr);
  EXPECT_EQ(DCSResetEntry(), 0);

  // The driver's allocation forwards stay inside it: the program's own
  // allocations still go to the C runtime.
  corva_reset();
  void* block = std::malloc(64);
  std::free(block);
  EXPECT_EQ(corva_calls(CORVA_MALLOC), 0);
  EXPECT_EQ(corva_calls(CORVA_FREE), 0);
  dlclose(library);
}

}  // namespace
