#include "host_platform.h"

#include <filesystem>
#include <stdexcept>

#include "text_list.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
namespace {
constexpr const char* kLibraryName = "dravik32.dll";
void* open_library(const std::string& path) { return LoadLibraryA(path.c_str()); }
void* find_symbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void close_library(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }
std::string last_error() { return "error " + std::to_string(GetLastError()); }
}  // namespace

std::vector<DriverBox> take_driver_boxes() { return {}; }

bool is_terminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

void use_line_feeds(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

std::filesystem::path program_file() {
  char path[MAX_PATH * 4];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length == sizeof path) return {};
  return std::filesystem::path(std::string(path, length));
}

std::FILE* open_pipe(const std::string& command) { return _popen(command.c_str(), "w"); }
int close_pipe(std::FILE* pipe) { return _pclose(pipe); }
#else
#include <dlfcn.h>
#include <unistd.h>

#include "user32/user32_control.h"
namespace {
constexpr const char* kLibraryName = "libdravik32.so";
void* open_library(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void* find_symbol(void* library, const char* name) { return dlsym(library, name); }
void close_library(void* library) { dlclose(library); }
std::string last_error() {
  const char* error = dlerror();
  return error != nullptr ? error : "unknown error";
}
}  // namespace

std::vector<DriverBox> take_driver_boxes() {
  std::vector<DriverBox> boxes;
  for (int i = 0; i < user32_message_count(); ++i) {
    User32Message box = user32_message(i);
    boxes.push_back({box.text, box.caption});
  }
  user32_reset();
  return boxes;
}

bool is_terminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

void use_line_feeds(std::FILE*) {}

std::filesystem::path program_file() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

std::FILE* open_pipe(const std::string& command) { return popen(command.c_str(), "w"); }
int close_pipe(std::FILE* pipe) { return pclose(pipe); }
#endif

DriverLibrary::DriverLibrary(const std::string& given) {
  // A path as given: relative to the working directory, never searched for.
  std::string path = given;
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(given, error);
  if (!error) path = absolute.string();
  handle_ = open_library(path);
  if (handle_ == nullptr) {
    throw std::runtime_error("cannot load the driver library " + given + ": " + last_error());
  }
  std::string missing;
#define DCS_RESOLVE(name)                                                   \
  entry_.name = reinterpret_cast<name##Type*>(find_symbol(handle_, #name)); \
  if (entry_.name == nullptr) add_to_list(missing, #name);
  DCS_ENTRY_POINTS(DCS_RESOLVE)
#undef DCS_RESOLVE
  if (!missing.empty()) {
    close_library(handle_);
    throw std::runtime_error("the driver library " + given + " lacks " + missing);
  }
}

DriverLibrary::~DriverLibrary() { close_library(handle_); }

std::string DriverLibrary::default_path() {
  std::filesystem::path program = program_file();
  if (program.empty()) return kLibraryName;
  return (program.parent_path() / kLibraryName).string();
}
